#pragma once

// A plain text box whose paste never reaches Qt's rich-text mime handling.
// Qt 6.4's text control crashes when it pastes from a clipboard that has no
// owner (at the start of a desktop session, or after the program that copied
// has quit); here a paste takes the clipboard's plain text or nothing.

#include <QPlainTextEdit>

class SafePlainTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // Public so tests can hand over the mime data an ownerless clipboard gives.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};
