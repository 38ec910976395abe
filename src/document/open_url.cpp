#include "document/open_url.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
#include "document/busy_cursor.h"
#include "document/exchange_subsystem.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

OpenUrlDialog::OpenUrlDialog(QWidget *owner)
    : QDialog(owner)
    , Label1(new QLabel(QStringLiteral("Enter URL to be opened:"), this))
    , Text1(new QLineEdit(QStringLiteral("http://"), this))
    , Command1(new QPushButton(QStringLiteral("Open URL"), this))
    , Command2(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmloadURL"));
    setWindowTitle(QStringLiteral("Open URL"));
    setModal(true);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Label1->setBuddy(Text1);
    Text1->setAccessibleName(QStringLiteral("Enter URL to be opened"));
    Text1->setMinimumWidth(360);
    // Enter opens, Esc cancels.
    Command1->setDefault(true);
    Command1->setAutoDefault(true);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus(Qt::OtherFocusReason);
}

void ExchangeSubsystem::openurl_Click()
{
    // A page loaded from an address replaces the one in the editor, as Open
    // does: unsaved work is offered for saving first (2: Cancel, or Yes and
    // the save failed).
    if (state.changed && hooks.saveChangesPrompt() == 2)
        return;
    bool loaded = false;
    {
        OpenUrlDialog frmloadURL(w.window);
        connect(frmloadURL.Command1, &QPushButton::clicked, &frmloadURL, [&] {
            if (loadUrlFrom(frmloadURL)) {
                loaded = true;
                frmloadURL.accept();
            }
        });
        frmloadURL.exec();
    }
    // The dialog is gone; the loaded page is offered for saving at once.
    if (loaded)
        hooks.saveDocument(true);
}

bool ExchangeSubsystem::loadUrlFrom(OpenUrlDialog &dialog)
{
    try {
        const BusyCursor busy; // the answer can take a while
        w.DHTMLEdit1->LoadURL(dialog.Text1->text());
    } catch (const std::exception &) {
        // Whatever the reason, the user can correct the address or cancel.
        dialogs.MsgBox(OpenUrlFailedText, MsgButtons::OK, MsgIcon::Critical);
        return false;
    }
    // The source box still holds the previous page: saving would apply it
    // over the one just loaded.
    if (state.sourceView && w.txtHTML) {
        try {
            const QString html = w.DHTMLEdit1->DocumentHTML();
            const QSignalBlocker blocker(w.txtHTML);
            w.txtHTML->setPlainText(html);
        } catch (const std::exception &) {
            // The next display change fills it; the edits are dropped anyway.
        }
        state.sourceEdited = false;
    }
    hooks.titleRefresh();
    return true;
}
