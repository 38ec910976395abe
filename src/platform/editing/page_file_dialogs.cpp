#include "platform/editing/page_file_dialogs.h"

#include "app/user_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString HtmlFilter = QStringLiteral("HTML files (*.htm *.html)");
const QString AllFilter = QStringLiteral("All files (*)");

} // namespace

QString withDefaultPageExtension(const QString &path)
{
    if (path.isEmpty())
        return path;
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    // A leading dot names a hidden file; it is not an extension.
    if (dot > nameStart && dot < path.size() - 1)
        return path;
    if (dot == path.size() - 1 && dot > nameStart)
        return path.chopped(1) + QStringLiteral(".htm");
    return path + QStringLiteral(".htm");
}

QString QtPageFileDialogs::openPagePath(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QString(),
                                        HtmlFilter + QStringLiteral(";;") + AllFilter);
}

QString QtPageFileDialogs::savePagePath(QWidget *parent, const QString &current)
{
    QString start = current;
    for (;;) {
        // The dialog confirms overwriting the name as typed; the extension
        // added afterwards may name another existing file, asked about here.
        const QString chosen
            = QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), start,
                                           HtmlFilter + QStringLiteral(";;") + AllFilter);
        if (chosen.isEmpty())
            return {};
        const QString path = withDefaultPageExtension(chosen);
        if (path == chosen || !QFileInfo::exists(path))
            return path;
        const auto answer
            = QMessageBox::question(parent, AppTitle,
                                    QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                        .arg(QFileInfo(path).fileName()),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes)
            return path;
        start = path;
    }
}
