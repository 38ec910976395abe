#pragma once

// The page's file changed by another program. When the window is next
// activated: a page without unsaved edits is read again at once (nothing is
// lost); one with edits asks whether to reload; a removed file is said. A save
// over a file that changed since it was opened asks first (DocumentSubsystem).

#include <QObject>
#include <QString>

struct FormHooks;
struct FormState;
struct MainWidgets;
class UserDialogs;

namespace DiskTexts {
// %1: the file.
inline const QString ChangedReload = QStringLiteral(
    "\"%1\" was changed by another program.\r\n\r\nDo you want to reload it? Your unsaved "
    "changes to the page will be lost.");
inline const QString Removed = QStringLiteral(
    "\"%1\" was removed or renamed by another program. The page is still in the editor; save it "
    "to keep it.");
inline const QString ReloadFailed
    = QStringLiteral("\"%1\" changed on disk and could not be read again: %2 The page in the "
                     "editor is kept.");
inline const QString SaveOver = QStringLiteral(
    "\"%1\" was changed by another program since it was opened.\r\n\r\nDo you want to save "
    "over it?");
} // namespace DiskTexts

class DiskWatch : public QObject
{
    Q_OBJECT
public:
    DiskWatch(QWidget *window, MainWidgets &w, FormState &state, FormHooks &hooks,
              UserDialogs &dialogs, QObject *parent = nullptr);

    // What activation runs, from the event loop.
    void check();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainWidgets &m_w;
    FormState &m_state;
    FormHooks &m_hooks;
    UserDialogs &m_dialogs;
    bool m_checking = false;
    bool m_queued = false;
};
