#include "platform/editing/page_file_dialogs.h"

#include "app/user_dialogs.h"
#include "platform/local_path.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

const QString HtmlFilter = QStringLiteral("HTML files (*.htm *.html)");
const QString AllFilter = QStringLiteral("All files (*)");

// A file name on disk whose bytes are not UTF-8 comes back from Qt's file
// dialogs with U+FFFD in their place (the desktop portal's dialog alone
// hands over a file: URL with the bytes), and Qt's own dialog does not list
// it at all. So the choice is taken as a URL, a name with U+FFFD is matched
// against its folder (pathOnDisk), and in Qt's own dialog such a name can be
// typed: as the editor shows it (with U+FFFD, as in the caption) or as a
// file: URL, whose escapes are the bytes.
class PageFileDialog : public QFileDialog
{
public:
    PageFileDialog(QWidget *parent, const QString &caption, AcceptMode mode, const QString &start)
        : QFileDialog(parent, caption)
    {
        setAcceptMode(mode);
        setFileMode(mode == AcceptOpen ? ExistingFile : AnyFile);
        setNameFilters({ HtmlFilter, AllFilter });
        if (!start.isEmpty()) {
            setDirectory(shownPath(folderOfPath(start)));
            selectFile(shownPath(start.mid(start.lastIndexOf(u'/') + 1)));
        }
        // Qt's own dialog enables Open only for a name it lists; one typed
        // the ways above enables it too (after Qt's own check of the text).
        if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) {
                auto *box = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
                QPushButton *open = box ? box->button(QDialogButtonBox::Open) : nullptr;
                if (open && acceptMode() == AcceptOpen && isRegularFile(typedPath(text)))
                    open->setEnabled(true);
            });
        }
    }

    // The file chosen, exactly; empty when none. named: the dialog did not
    // see the file under this name (and so did not ask about replacing it).
    QString chosenPath(bool &named) const
    {
        named = !m_typed.isEmpty();
        if (named)
            return m_typed;
        const QString path = pathFromUrl(selectedUrls().value(0));
        const QString onDisk = pathOnDisk(path);
        named = onDisk != path;
        return onDisk;
    }

protected:
    void accept() override
    {
        m_typed.clear();
        if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            const QString typed = typedPath(edit->text());
            const bool fits = acceptMode() == AcceptOpen ? isRegularFile(typed)
                                                         : !typed.isEmpty() && !isFolder(typed);
            if (fits) {
                m_typed = typed;
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    // The file a name typed in Qt's own dialog stands for, when Qt cannot
    // reach it by that name; else empty.
    QString typedPath(const QString &text) const
    {
        if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            const QUrl url(text.trimmed());
            return url.isValid() ? pathFromUrl(url) : QString();
        }
        if (!text.contains(QChar(QChar::ReplacementCharacter)))
            return {};
        const QString shown = selectedFiles().value(0);
        const QString onDisk = pathOnDisk(shown);
        return onDisk != shown ? onDisk : QString();
    }

    QString m_typed;
};

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
    PageFileDialog dialog(parent, QStringLiteral("Open"), QFileDialog::AcceptOpen, QString());
    bool named = false;
    return dialog.exec() == QDialog::Accepted ? dialog.chosenPath(named) : QString();
}

QString QtPageFileDialogs::savePagePath(QWidget *parent, const QString &current)
{
    QString start = current;
    for (;;) {
        // The dialog confirms overwriting the name as typed; the extension
        // added afterwards may name another existing file, asked about here,
        // as is a file the dialog knew under no name of its own.
        PageFileDialog dialog(parent, QStringLiteral("Save As"), QFileDialog::AcceptSave, start);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        bool named = false;
        const QString chosen = dialog.chosenPath(named);
        if (chosen.isEmpty())
            return {};
        const QString path = withDefaultPageExtension(chosen);
        struct stat info;
        if ((path == chosen && !named) || !statPath(path, info))
            return path;
        const auto answer
            = QMessageBox::question(parent, AppTitle,
                                    QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                        .arg(shownPath(path.mid(path.lastIndexOf(u'/') + 1))),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes)
            return path;
        start = path;
    }
}
