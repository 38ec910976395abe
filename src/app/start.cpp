#include "app/start.h"

#include "app/about_window.h"
#include "app/disk_watch.h"
#include "app/editing_component.h"
#include "app/ending_watch.h"
#include "app/event_loop.h"
#include "app/main_form.h"
#include "app/recovery.h"
#include "app/user_dialogs.h"
#include "document/desktop_open.h"
#include "platform/local_path.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

// Message boxes shown over the main window, which exists only after the
// dialogs have been handed to it.
class WindowDialogs : public UserDialogs
{
public:
    void setWindow(QWidget *window) { m_real = std::make_unique<QtUserDialogs>(window); }
    int MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
               const QString &caption) override
    {
        return m_real->MsgBox(text, buttons, icon, caption);
    }
    // The held colour is this object's; the real dialogs only show.
    std::optional<quint32> showColorDialog(quint32 start) override
    {
        return m_real->ChooseColor(start);
    }
    bool ShowPrinter(QPrinter &printer) override { return m_real->ShowPrinter(printer); }
    bool PrintText(QPrinter &printer, const QString &text) override
    {
        return m_real->PrintText(printer, text);
    }
    void ShowHelp(const QString &helpFile) override { m_real->ShowHelp(helpFile); }

private:
    std::unique_ptr<QtUserDialogs> m_real = std::make_unique<QtUserDialogs>(nullptr);
};

} // namespace

std::unique_ptr<MainForm> startMainForm(EditingComponent *editor, EditingComponent *store,
                                        UserDialogs *dialogs, const WireMainForm &wire,
                                        const QStringList &pages)
{
    auto *splash = new AboutWindow;
    splash->cmdOK()->hide();
    splash->show();
    splash->repaint();

    auto form = std::make_unique<MainForm>(editor, store, dialogs);
    if (wire)
        wire(*form);
    form->Form_Load();
    form->show();

    delete splash;
    auto *about = new AboutWindow(form.get());
    about->cmdOK()->show();
    form->setAboutWindow(about);
    // From the event loop: the window is up and painted with its start-up
    // page, and its message boxes have their window, before a named page
    // loads or a failure is said.
    if (!pages.isEmpty()) {
        MainForm *shown = form.get();
        runFromEventLoop(shown, [shown, pages] { shown->hooks().openFiles(pages); });
    }
    return form;
}

int runEditor(QApplication &app, EditingComponent *editor, EditingComponent *store,
              const QStringList &arguments, const WireMainForm &wire)
{
    WindowDialogs dialogs;
    auto form = startMainForm(editor, store, &dialogs, wire,
                              pageArguments(arguments.mid(1), currentFolder()));
    dialogs.setWindow(form.get());
    // Unsaved work a crashed run left is offered back; this run's is kept,
    // and written once more when a signal or the display's loss ends the run.
    PageRecovery recovery(form->widgets(), form->state(), form->hooks(), dialogs);
    auto ending = std::make_unique<EndingWatch>(
        [&recovery](bool fromEventLoop) { recovery.writeFinal(fromEventLoop); },
        [editor] { return editor && editor->InputPending(); });
    recovery.offerRestore();
    // The page's file changed by another program is seen at activation.
    DiskWatch diskWatch(form.get(), form->widgets(), form->state(), form->hooks(), dialogs);
    const int result = app.exec();
    ending.reset(); // the user ended the run; the window goes next
    form.reset();
    return result;
}
