#include "insert/insert_subsystem.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/main_widgets.h"
#include "app/main_widgets_builder.h"
#include "app/user_dialogs.h"
#include "insert/insert_texts.h"
#include "insert/picture_drop.h"
#include "insert/picture_panel.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

QPushButton *addButton(QFrame *frame, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, frame);
    b->setObjectName(name);
    return b;
}

QLineEdit *addField(QFrame *frame, const char *name, QLabel *label)
{
    auto *field = new QLineEdit(frame);
    field->setObjectName(name);
    label->setBuddy(field);
    field->setAccessibleName(label->text());
    return field;
}

// The panels are only a few hundred twips high: no room for the usual margins.
QHBoxLayout *rowLayout(QFrame *frame)
{
    auto *row = new QHBoxLayout(frame);
    row->setContentsMargins(twipsToPixels(60), 0, twipsToPixels(60), 0);
    row->setSpacing(twipsToPixels(90));
    return row;
}

bool isControl(const QString &type)
{
    return type.toLower() == QLatin1String("control");
}

} // namespace

InsertSubsystem::InsertSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks,
                                 UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , w(w)
    , state(state)
    , hooks(hooks)
    , dialogs(dialogs)
{
    // Scratch storage for the inspection, never shown.
    QWidget *host = w.window ? w.window->centralWidget() : nullptr;
    m_text3 = new QPlainTextEdit(host);
    m_text3->setObjectName("Text3");
    m_text3->hide();
    if (!host)
        connect(this, &QObject::destroyed, m_text3, &QObject::deleteLater);

    buildHyperlinkPanel();
    buildButtonPanel();
    buildEmailPanel();
    if (w.frameinsertpic) {
        m_picture = new PicturePanel(w.frameinsertpic, this);
        connect(m_picture, &PicturePanel::insertRequested, this, &InsertSubsystem::Command2_Click);
        connect(m_picture, &PicturePanel::cancelRequested, this, &InsertSubsystem::Command3_Click);
        onEscape(w.frameinsertpic, &InsertSubsystem::Command3_Click);
    }
    if (w.Commandinserthtml)
        connect(w.Commandinserthtml, &QPushButton::clicked, this,
                &InsertSubsystem::Commandinserthtml_Click);
    if (w.Commandcancelhtml)
        connect(w.Commandcancelhtml, &QPushButton::clicked, this,
                &InsertSubsystem::Commandcancelhtml_Click);
    onEscape(w.Framehtmlinsert, &InsertSubsystem::Commandcancelhtml_Click);
    connectMenus();
    hooks.InsertButtonClick = [this] { InsertButtonClick(); };
    if (w.DHTMLEdit1 && w.DHTMLEdit1->widget())
        new PictureDropWatcher(
            w.DHTMLEdit1->widget(),
            [this](const QStringList &files, const QPoint &point) {
                InsertDroppedPictures(files, point);
            },
            this);
}

void InsertSubsystem::connectMenus()
{
    if (w.insert)
        connect(w.insert, &QMenu::aboutToShow, this, &InsertSubsystem::insert_Click);
    if (w.updatemenu1)
        connect(w.updatemenu1, &QMenu::aboutToShow, this, &InsertSubsystem::updatemenu1_Click);
    const auto onTriggered = [this](QAction *action, void (InsertSubsystem::*handler)()) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    onTriggered(w.insertpicture, &InsertSubsystem::insertpicture_Click);
    onTriggered(w.Inserthyperlink, &InsertSubsystem::Inserthyperlink_Click);
    onTriggered(w.InsertButton, &InsertSubsystem::InsertButton_Click);
    onTriggered(w.InsertHTML, &InsertSubsystem::InsertHTML_Click);
    onTriggered(w.sendemail, &InsertSubsystem::sendemail_Click);
    onTriggered(w.updatepicture, &InsertSubsystem::updatepicture_Click);
    onTriggered(w.updatehyperlink, &InsertSubsystem::updatehyperlink_Click);
    onTriggered(w.Updatebutton, &InsertSubsystem::Updatebutton_Click);
    onTriggered(w.updatesendemailto, &InsertSubsystem::updatesendemailto_Click);
}

void InsertSubsystem::onEscape(QFrame *frame, void (InsertSubsystem::*cancel)())
{
    if (!frame)
        return;
    // Esc in a panel is its Cancel, as in a dialog.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), frame);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, cancel);
}

void InsertSubsystem::buildHyperlinkPanel()
{
    QFrame *frame = w.FrameInsertHyperLink;
    if (!frame)
        return;
    QHBoxLayout *row = rowLayout(frame);
    auto *label = new QLabel(QStringLiteral("HyperLink"), frame);
    m_hyperlink = addField(frame, "Texthyperlink", label);
    m_insertLink = addButton(frame, "Commandinserthyperlink", QStringLiteral("Insert Hyper Link"));
    m_cancelLink = addButton(frame, "Commandcancelhyperlink", QStringLiteral("Cancel"));
    row->addWidget(label);
    row->addWidget(m_hyperlink, 1);
    row->addWidget(m_insertLink);
    row->addWidget(m_cancelLink);
    connect(m_insertLink, &QPushButton::clicked, this,
            &InsertSubsystem::Commandinserthyperlink_Click);
    connect(m_hyperlink, &QLineEdit::returnPressed, this,
            &InsertSubsystem::Commandinserthyperlink_Click);
    connect(m_cancelLink, &QPushButton::clicked, this,
            &InsertSubsystem::Commandcancelhyperlink_Click);
    onEscape(frame, &InsertSubsystem::Commandcancelhyperlink_Click);
}

void InsertSubsystem::buildButtonPanel()
{
    QFrame *frame = w.Frame1;
    if (!frame)
        return;
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(twipsToPixels(60), 0, twipsToPixels(60), 0);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(twipsToPixels(90));
    // The frame's own caption.
    auto *caption = new QLabel(QStringLiteral("Frame1"), frame);
    caption->setObjectName("Frame1Caption");
    auto *label = new QLabel(QStringLiteral("Button Caption"), frame);
    m_caption = addField(frame, "Text2", label);
    m_insertButton = addButton(frame, "Command1", QStringLiteral("Insert Button"));
    m_cancelButton = addButton(frame, "Command4", QStringLiteral("Cancel"));
    grid->addWidget(caption, 0, 0, 1, 4);
    grid->addWidget(label, 1, 0);
    grid->addWidget(m_caption, 1, 1);
    grid->addWidget(m_insertButton, 1, 2);
    grid->addWidget(m_cancelButton, 1, 3);
    grid->setColumnStretch(1, 1);
    connect(m_insertButton, &QPushButton::clicked, this, &InsertSubsystem::Command1_Click);
    connect(m_caption, &QLineEdit::returnPressed, this, &InsertSubsystem::Command1_Click);
    connect(m_cancelButton, &QPushButton::clicked, this, &InsertSubsystem::Command4_Click);
    onEscape(frame, &InsertSubsystem::Command4_Click);
}

void InsertSubsystem::buildEmailPanel()
{
    QFrame *frame = w.FrameSendemail;
    if (!frame)
        return;
    QHBoxLayout *row = rowLayout(frame);
    auto *label = new QLabel(QStringLiteral("eMail Address"), frame);
    m_address = addField(frame, "Textemailaddress", label);
    // Kept from the design and cleared with the address; never shown or read.
    auto *nameLabel = new QLabel(QStringLiteral("eMail recipient Name"), frame);
    m_name = addField(frame, "Textemailname", nameLabel);
    nameLabel->hide();
    m_name->hide();
    m_emailOk = addButton(frame, "Command9", QStringLiteral("OK"));
    m_emailCancel = addButton(frame, "Command8", QStringLiteral("Cancel"));
    row->addWidget(label);
    row->addWidget(m_address, 1);
    row->addWidget(m_emailOk);
    row->addWidget(m_emailCancel);
    connect(m_emailOk, &QPushButton::clicked, this, &InsertSubsystem::Command9_Click);
    connect(m_address, &QLineEdit::returnPressed, this, &InsertSubsystem::Command9_Click);
    connect(m_emailCancel, &QPushButton::clicked, this, &InsertSubsystem::Command8_Click);
    onEscape(frame, &InsertSubsystem::Command8_Click);
}

bool InsertSubsystem::report(const QString &what, const ComponentError &error)
{
    QString text = what;
    if (!error.message().isEmpty())
        text += QLatin1Char('\n') + error.message();
    dialogs.MsgBox(text, MsgButtons::OK, MsgIcon::Critical);
    return false;
}

// --- menus ---

void InsertSubsystem::EnableUnlessControl(QAction *item)
{
    if (!item || !w.DHTMLEdit1)
        return;
    item->setEnabled(!isControl(w.DHTMLEdit1->DOM().selection().type()));
}

void InsertSubsystem::insert_Click()
{
    if (!w.DHTMLEdit1)
        return;
    for (QAction *a :
         { w.InsertHTML, w.InsertButton, w.Inserthyperlink, w.insertpicture, w.sendemail }) {
        if (a)
            a->setEnabled(true);
    }
    try {
        const int link = w.DHTMLEdit1->QueryStatus(DECMD_HYPERLINK);
        for (QAction *a : { w.Inserthyperlink, w.sendemail }) {
            if (a)
                a->setEnabled(link > DECMDF_DISABLED);
        }
        EnableUnlessControl(w.insertpicture);
        EnableUnlessControl(w.InsertButton);
        EnableUnlessControl(w.InsertHTML);
        const bool control = isControl(w.DHTMLEdit1->DOM().selection().type());
        for (QAction *a : { w.InsertButton, w.InsertHTML }) {
            if (a)
                a->setEnabled(!control);
        }
    } catch (const ComponentError &error) {
        // Without the selection nothing can be placed.
        for (QAction *a :
             { w.InsertHTML, w.InsertButton, w.Inserthyperlink, w.insertpicture, w.sendemail }) {
            if (a)
                a->setEnabled(false);
        }
        report(QStringLiteral("The selection in the page could not be read."), error);
    }
}

void InsertSubsystem::InspectSelection()
{
    const PageSelection selection = w.DHTMLEdit1->DOM().selection();
    m_inspectedType = selection.type();
    if (m_inspectedType == QLatin1String("None") || m_inspectedType == QLatin1String("Text")) {
        const PageRange range = selection.createRange();
        range.Collapse();
        m_text3->setPlainText(range.parentElement().outerHTML());
    } else if (m_inspectedType == QLatin1String("Control")) {
        m_text3->setPlainText(selection.createRange().commonParentElement().outerHTML());
    }
}

void InsertSubsystem::updatemenu1_Click()
{
    if (!w.DHTMLEdit1)
        return;
    for (QAction *a : { w.updatepicture, w.Updatebutton, w.updatehyperlink, w.updatesendemailto }) {
        if (a)
            a->setEnabled(false);
    }
    try {
        InspectSelection();
        const QString t = m_text3->toPlainText();
        const QString type = m_inspectedType.toLower();
        if (type == QLatin1String("control")) {
            if (t.contains(QLatin1String("src")) && t.contains(QLatin1String("IMG"))
                && w.updatepicture)
                w.updatepicture->setEnabled(true);
            if (t.contains(QLatin1String("INPUT")) && t.contains(QLatin1String("type=submit"))
                && w.Updatebutton)
                w.Updatebutton->setEnabled(true);
        }
        if (type == QLatin1String("text") && t.contains(QLatin1String("href"))) {
            if (!t.contains(QLatin1String("mailto"))) {
                if (w.updatehyperlink)
                    w.updatehyperlink->setEnabled(w.DHTMLEdit1->QueryStatus(DECMD_HYPERLINK)
                                                  > DECMDF_DISABLED);
            } else if (w.updatesendemailto) {
                w.updatesendemailto->setEnabled(true);
            }
        }
        m_selectedElementHTML = t;
    } catch (const ComponentError &error) {
        report(QStringLiteral("The element at the selection could not be read."), error);
    }
    m_text3->clear();
}

void InsertSubsystem::openPanel(QFrame *frame, QWidget *focus)
{
    // Only the Update items replace; they set this after opening.
    m_replacing = Replacing::Nothing;
    hooks.panelReset();
    hooks.panelOpen(frame);
    if (focus && frame && frame->isVisible())
        focus->setFocus(Qt::OtherFocusReason);
}

void InsertSubsystem::insertpicture_Click()
{
    // The keyboard goes to the file list, so the panel works without a mouse.
    openPanel(w.frameinsertpic, m_picture ? m_picture->File1 : nullptr);
}

void InsertSubsystem::Inserthyperlink_Click()
{
    openPanel(w.FrameInsertHyperLink, m_hyperlink);
}

void InsertSubsystem::InsertButton_Click()
{
    openPanel(w.Frame1, m_caption);
}

void InsertSubsystem::InsertHTML_Click()
{
    // The keyboard goes to the panel's field, so it can be used without a mouse.
    openPanel(w.Framehtmlinsert, w.txtHTMLInsert);
}

void InsertSubsystem::sendemail_Click()
{
    openPanel(w.FrameSendemail, m_address);
}

void InsertSubsystem::updatepicture_Click()
{
    insertpicture_Click();
    m_replacing = Replacing::Picture;
}

void InsertSubsystem::updatehyperlink_Click()
{
    m_hyperlink->setText(hyperlinkPrefill(m_selectedElementHTML));
    Inserthyperlink_Click();
}

void InsertSubsystem::Updatebutton_Click()
{
    m_caption->setText(buttonPrefill(m_selectedElementHTML));
    InsertButton_Click();
    m_replacing = Replacing::Button;
}

void InsertSubsystem::updatesendemailto_Click()
{
    m_address->clear();
    m_name->clear();
    m_address->setText(emailPrefill(m_selectedElementHTML));
    sendemail_Click();
}

// --- panel buttons ---

void InsertSubsystem::deleteReplaced(Replacing what)
{
    const bool replacing = m_replacing == what;
    m_replacing = Replacing::Nothing;
    // The selection moved off the element being replaced: nothing is deleted.
    if (replacing && isControl(w.DHTMLEdit1->DOM().selection().type()))
        w.DHTMLEdit1->ExecCommand(DECMD_DELETE);
}

void InsertSubsystem::Commandinserthyperlink_Click()
{
    if (!w.DHTMLEdit1)
        return;
    try {
        w.DHTMLEdit1->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_DONTPROMPTUSER,
                                  m_hyperlink->text());
    } catch (const ComponentError &error) {
        // The panel stays open with the target, to be corrected.
        report(QStringLiteral("The hyper link could not be made."), error);
        return;
    }
    hooks.panelReset();
    m_hyperlink->clear();
    hooks.focusPage();
}

void InsertSubsystem::Commandcancelhyperlink_Click()
{
    hooks.panelReset();
    m_hyperlink->clear();
    hooks.focusPage();
}

void InsertSubsystem::Command9_Click()
{
    if (!w.DHTMLEdit1)
        return;
    try {
        w.DHTMLEdit1->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_DONTPROMPTUSER,
                                  QStringLiteral("mailto:") + m_address->text());
    } catch (const ComponentError &error) {
        report(QStringLiteral("The e-mail link could not be made."), error);
        return;
    }
    hooks.panelReset();
    m_address->clear();
    m_name->clear();
    hooks.focusPage();
}

void InsertSubsystem::Command8_Click()
{
    hooks.panelReset();
    m_address->clear();
    hooks.focusPage();
}

void InsertSubsystem::Command1_Click()
{
    bool inserted = true;
    try {
        InsertButtonClick();
    } catch (const ComponentError &error) {
        // The caption stays for another try.
        report(QStringLiteral("The button could not be inserted."), error);
        inserted = false;
    }
    m_replacing = Replacing::Nothing;
    hooks.panelReset();
    if (inserted)
        m_caption->clear();
    hooks.focusPage();
}

void InsertSubsystem::InsertButtonClick()
{
    if (!w.DHTMLEdit1)
        return;
    deleteReplaced(Replacing::Button);
    w.DHTMLEdit1->DOM().selection().createRange().pasteHTML(buttonHtml(m_caption->text()));
}

void InsertSubsystem::Command4_Click()
{
    m_replacing = Replacing::Nothing;
    hooks.panelReset();
    hooks.focusPage();
}

void InsertSubsystem::Commandinserthtml_Click()
{
    if (!w.DHTMLEdit1 || !w.txtHTMLInsert)
        return;
    try {
        w.DHTMLEdit1->DOM().selection().createRange().pasteHTML(w.txtHTMLInsert->toPlainText());
    } catch (const ComponentError &error) {
        report(QStringLiteral("The HTML could not be inserted."), error);
        return;
    }
    hooks.panelReset();
    w.txtHTMLInsert->clear();
    hooks.focusPage();
}

void InsertSubsystem::Commandcancelhtml_Click()
{
    hooks.panelReset();
    if (w.txtHTMLInsert)
        w.txtHTMLInsert->clear();
    hooks.focusPage();
}

void InsertSubsystem::Command2_Click()
{
    if (!w.DHTMLEdit1 || !m_picture)
        return;
    try {
        // Without a file there is nothing to put in the old picture's place:
        // it stays.
        if (!m_picture->fileName().trimmed().isEmpty()) {
            deleteReplaced(Replacing::Picture);
            w.DHTMLEdit1->DOM().selection().createRange().pasteHTML(m_picture->elementHtml());
        }
    } catch (const ComponentError &error) {
        report(QStringLiteral("The picture could not be inserted."), error);
        return;
    }
    m_replacing = Replacing::Nothing;
    hooks.panelReset();
    hooks.focusPage();
}

void InsertSubsystem::InsertDroppedPictures(const QStringList &files, const QPoint &point)
{
    if (!w.DHTMLEdit1)
        return;
    QString html;
    for (const QString &file : files)
        html += droppedPictureHtml(file);
    if (html.isEmpty())
        return; // gone or changed since the drag began
    try {
        const PageSelection selection = w.DHTMLEdit1->DOM().selection();
        // Outside the page's content the caret stays where it was.
        selection.moveCaretToPoint(point);
        selection.createRange().pasteHTML(html);
    } catch (const ComponentError &error) {
        report(QStringLiteral("The picture could not be inserted."), error);
        return;
    }
    hooks.focusPage();
}

void InsertSubsystem::Command3_Click()
{
    m_replacing = Replacing::Nothing;
    hooks.panelReset();
    hooks.focusPage();
}
