#include "insert/table_panel.h"

#include "app/form_hooks.h"
#include "app/main_widgets.h"
#include "app/main_widgets_builder.h"
#include "app/user_dialogs.h"
#include "insert/table_fields.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

const QString kRowsMessage
    = QStringLiteral("Please specify a positive integer for the number of table rows.");
const QString kColsMessage
    = QStringLiteral("Please specify a positive integer for the number of table columns.");

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

} // namespace

TablePanel::TablePanel(MainWidgets &w, FormHooks &hooks, UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , w(w)
    , hooks(hooks)
    , dialogs(dialogs)
{
    buildPanel();
}

void TablePanel::buildPanel()
{
    QFrame *frame = w.FrameInserttable;
    if (!frame)
        return;
    // Each field with its label to its left; places in twips inside the frame.
    const auto field = [&](const char *name, const char *caption, QRect label, QRect at) {
        auto *edit = new QLineEdit(frame);
        edit->setObjectName(name);
        edit->setAccessibleName(QString::fromLatin1(caption));
        place(edit, at.x(), at.y(), at.width(), at.height());
        auto *text = new QLabel(QString::fromLatin1(caption), frame);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        text->setBuddy(edit);
        place(text, label.x(), label.y(), label.width(), label.height());
        // Enter in a field is OK, as in a dialog.
        connect(edit, &QLineEdit::returnPressed, this, &TablePanel::OkCmd_Click);
        return edit;
    };
    const auto list = [&](const char *name, const char *caption, QRect label, QRect at) {
        auto *box = new QComboBox(frame);
        box->setObjectName(name);
        box->setAccessibleName(QString::fromLatin1(caption));
        box->view()->setAccessibleName(QStringLiteral("%1 choices").arg(caption));
        place(box, at.x(), at.y(), at.width(), at.height());
        auto *text = new QLabel(QString::fromLatin1(caption), frame);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // These captions are long for their room: they wrap onto two lines.
        text->setWordWrap(true);
        text->setBuddy(box);
        place(text, label.x(), label.y(), label.width(), label.height());
        return box;
    };
    // Created in reading order, which is also the Tab order.
    Rows = field("Rows", "Number of rows", { 60, 90, 1680, 285 }, { 1800, 90, 615, 285 });
    Cols = field("Cols", "Number of columns", { 2490, 90, 1770, 285 }, { 4320, 90, 615, 285 });
    TableAttrs = field("TableAttrs", "Border:", { 60, 495, 1680, 285 }, { 1800, 495, 630, 285 });
    CellAttrs
        = field("CellAttrs", "Cell Padding", { 2490, 495, 1770, 285 }, { 4320, 495, 630, 285 });
    CellAttrs2
        = field("CellAttrs2", "Cell Spacing", { 5010, 495, 1365, 285 }, { 6435, 495, 645, 285 });
    Combo1 = list("Combo1", "Cell Vertical Alignment", { 60, 800, 1680, 425 },
                  { 1800, 855, 1590, 315 });
    Combo2 = list("Combo2", "Cell Horizontal Alignment", { 3450, 800, 2025, 425 },
                  { 5535, 855, 1545, 315 });
    TableCaption = field("TableCaption", "Table Heading", { 60, 1260, 1680, 270 },
                         { 1800, 1260, 5310, 270 });
    CancelCmd = new QPushButton(QStringLiteral("Cancel"), frame);
    CancelCmd->setObjectName("CancelCmd");
    place(CancelCmd, 3555, 1665, 1635, 375);
    OkCmd = new QPushButton(QStringLiteral("OK"), frame);
    OkCmd->setObjectName("OkCmd");
    place(OkCmd, 5490, 1665, 1635, 375);
    connect(CancelCmd, &QPushButton::clicked, this, &TablePanel::CancelCmd_Click);
    connect(OkCmd, &QPushButton::clicked, this, &TablePanel::OkCmd_Click);

    // Esc in the panel is its Cancel.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), frame);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &TablePanel::CancelCmd_Click);
}

void TablePanel::OkCmd_Click()
{
    DEInsertTableParam param;
    const std::optional<int> rows = TableCount(Rows->text());
    if (!rows) {
        dialogs.MsgBox(kRowsMessage, MsgButtons::OK, MsgIcon::Critical);
        Rows->setFocus();
        return;
    }
    const std::optional<int> cols = TableCount(Cols->text());
    if (!cols) {
        dialogs.MsgBox(kColsMessage, MsgButtons::OK, MsgIcon::Critical);
        Cols->setFocus();
        return;
    }
    param.NumRows = *rows;
    param.NumCols = *cols;
    if (!TableAttrs->text().isEmpty())
        param.TableAttrs
            = TableAttributeText(TableAttrs->text(), CellAttrs->text(), CellAttrs2->text());
    if (!CellAttrs->text().isEmpty())
        param.CellAttrs = CellAttributeText(Combo1->currentText());
    if (!TableCaption->text().isEmpty())
        param.Caption = TableCaption->text();
    hooks.focusPage();
    try {
        w.DHTMLEdit1->ExecCommand(DECMD_INSERTTABLE, OLECMDEXECOPT_DONTPROMPTUSER, param);
    } catch (const ComponentError &error) {
        // Nothing was inserted: the panel stays open with the user's entries.
        QString text = QStringLiteral("The table could not be inserted.");
        if (!error.message().isEmpty())
            text += QLatin1Char('\n') + error.message();
        dialogs.MsgBox(text, MsgButtons::OK, MsgIcon::Critical);
        Rows->setFocus();
        return;
    }
    m_param = param;
    hooks.panelReset();
    clearFields();
    hooks.focusPage();
}

void TablePanel::CancelCmd_Click()
{
    hooks.panelReset();
    clearFields();
    hooks.focusPage();
}

void TablePanel::clearFields()
{
    for (QLineEdit *field : { TableAttrs, Rows, Cols, CellAttrs, CellAttrs2, TableCaption })
        field->clear();
}
