#include "app/safe_plain_text_edit.h"

#include <QMimeData>

bool SafePlainTextEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source && !isReadOnly() && source->hasText();
}

void SafePlainTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!canInsertFromMimeData(source))
        return;
    const QString text = source->text();
    if (!text.isEmpty())
        insertPlainText(text);
}
