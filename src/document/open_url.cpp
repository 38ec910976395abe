#include "document/open_url.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
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
    , Label2(new QLabel(this))
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
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAccessibleName(QStringLiteral("Loading status"));
    Label2->hide();
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
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus(Qt::OtherFocusReason);
}

void OpenUrlDialog::setLoading(bool loading)
{
    m_loading = loading;
    Text1->setReadOnly(loading);
    Command1->setEnabled(!loading);
    if (loading) {
        Label2->setText(QStringLiteral("Loading the page... (Cancel stops it)"));
        setCursor(Qt::BusyCursor);
        Command2->setCursor(Qt::ArrowCursor);
        Command2->setFocus(Qt::OtherFocusReason);
    } else {
        unsetCursor();
        Text1->setFocus(Qt::OtherFocusReason);
    }
    Label2->setVisible(loading);
}

void OpenUrlDialog::reject()
{
    if (m_loading)
        emit stopLoading();
    QDialog::reject();
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
        connect(&frmloadURL, &OpenUrlDialog::stopLoading, &frmloadURL,
                [this] { w.DHTMLEdit1->CancelLoadURL(); });
        connect(frmloadURL.Command1, &QPushButton::clicked, &frmloadURL, [&] {
            if (frmloadURL.isLoading())
                return;
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
    // The answer can take a while; the dialog stays live meanwhile, so that
    // Cancel can stop it.
    dialog.setLoading(true);
    try {
        w.DHTMLEdit1->LoadURL(dialog.Text1->text());
    } catch (const ComponentError &e) {
        dialog.setLoading(false);
        if (e.code() == ComponentErrorCode::Cancelled)
            return false; // the dialog is closing
        // The user can correct the address or cancel; the second line says
        // why this one failed.
        const QString reason = e.message().trimmed();
        dialogs.MsgBox(reason.isEmpty() ? OpenUrlFailedText : OpenUrlFailedText + u'\n' + reason,
                       MsgButtons::OK, MsgIcon::Critical);
        return false;
    } catch (const std::exception &) {
        dialog.setLoading(false);
        dialogs.MsgBox(OpenUrlFailedText, MsgButtons::OK, MsgIcon::Critical);
        return false;
    }
    dialog.setLoading(false);
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
