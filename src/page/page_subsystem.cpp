#include "page/page_subsystem.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/main_widgets.h"
#include "app/main_widgets_builder.h"
#include "app/user_dialogs.h"
#include "page/color.h"

#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace {

struct ColorMode
{
    const char *key;
    const char *okCaption;
    // The document object's property: the engine keeps it as a BODY attribute.
    const char *property;
};

constexpr ColorMode Modes[] = {
    { "fgcolor", "Set FG Color", "fgColor" },
    { "bgcolor", "Set BG Color", "bgColor" },
    { "linkcolor", "Set Link Color", "linkColor" },
    { "vlinkcolor", "Set VLink Color", "vlinkColor" },
};

const ColorMode *findMode(const QString &key)
{
    for (const ColorMode &m : Modes) {
        if (key == QLatin1String(m.key))
            return &m;
    }
    return nullptr;
}

struct Preset
{
    const char *caption;
    QColor swatch;
    int row, column;
};

// Index order is the control array's; rows and columns place them on screen.
const Preset Presets[] = {
    { "Red", QColor(255, 0, 0), 0, 0 },   { "Yellow", QColor(255, 255, 0), 0, 1 },
    { "Blue", QColor(0, 0, 255), 1, 0 },  { "White", QColor(255, 255, 255), 1, 1 },
    { "Green", QColor(0, 192, 0), 0, 2 }, { "Black", QColor(0, 0, 0), 1, 2 },
};

void showComponentError(UserDialogs &dialogs, const ComponentError &error)
{
    QString text = QStringLiteral("The page colour could not be changed.");
    if (!error.message().isEmpty())
        text += QLatin1Char('\n') + error.message();
    dialogs.MsgBox(text, MsgButtons::OK, MsgIcon::Critical);
}

} // namespace

PageSubsystem::PageSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks,
                             UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , w(w)
    , state(state)
    , hooks(hooks)
    , dialogs(dialogs)
{
    buildPanel();
    const auto onTriggered = [this](QAction *action, auto handler) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    onTriggered(w.pagetitle, [this] { pagetitle_Click(); });
    onTriggered(w.BodyBackGroudColor, [this] { BodyBackGroudColor_Click(); });
    onTriggered(w.linkcolor, [this] { linkcolor_Click(); });
    onTriggered(w.vlinkcolor, [this] { vlinkcolor_Click(); });
    if (w.DHTMLEdit1)
        connect(w.DHTMLEdit1, &EditingComponent::DocumentComplete, this,
                &PageSubsystem::DHTMLEdit1_DocumentComplete);
}

void PageSubsystem::buildPanel()
{
    QFrame *frame = w.Framebgcolor;
    if (!frame)
        return;
    // The frame is 1290 twips high: the label and two rows of options must
    // fit without the layout's usual margins.
    auto *outer = new QGridLayout(frame);
    outer->setContentsMargins(twipsToPixels(60), twipsToPixels(30), twipsToPixels(60),
                              twipsToPixels(30));
    outer->setVerticalSpacing(twipsToPixels(30));

    m_label = new QLabel(QStringLiteral("Set BG Color"), frame);
    m_label->setObjectName("ColorLabel");
    outer->addWidget(m_label, 0, 0, 1, 2);

    auto *options = new QGridLayout;
    options->setVerticalSpacing(twipsToPixels(30));
    options->setHorizontalSpacing(twipsToPixels(90));
    auto *group = new QButtonGroup(frame);
    for (int i = 0; i < int(std::size(Presets)); ++i) {
        const Preset &p = Presets[i];
        auto *swatch = new QFrame(frame);
        swatch->setObjectName("Picture2");
        swatch->setFrameShape(QFrame::Box);
        swatch->setFixedSize(twipsToPixels(255), twipsToPixels(255));
        swatch->setAutoFillBackground(true);
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::Window, p.swatch);
        swatch->setPalette(palette);
        auto *option = new QRadioButton(QString::fromLatin1(p.caption), frame);
        option->setObjectName("Option1");
        group->addButton(option, i);
        // clicked, not toggled: the panel opener unchecks the options and
        // must not write anything into the page by doing so.
        connect(option, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        options->addWidget(swatch, p.row, p.column * 2);
        options->addWidget(option, p.row, p.column * 2 + 1);
        m_swatches << swatch;
        m_options << option;
    }
    outer->addLayout(options, 1, 0, Qt::AlignLeft);
    outer->setColumnStretch(1, 1);

    auto *buttons = new QGridLayout;
    buttons->setVerticalSpacing(twipsToPixels(30));
    m_preview = new QPushButton(QStringLiteral("Custom Color"), frame);
    m_preview->setObjectName("Commandpreview");
    m_ok = new QPushButton(QStringLiteral("Set BG Color"), frame);
    m_ok->setObjectName("Commandsetbgcolor");
    m_cancel = new QPushButton(QStringLiteral("Cancel"), frame);
    m_cancel->setObjectName("Commandcancelbgcolor");
    buttons->addWidget(m_preview, 0, 0, 1, 2);
    buttons->addWidget(m_ok, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);
    outer->addLayout(buttons, 0, 2, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    connect(m_preview, &QPushButton::clicked, this, &PageSubsystem::Commandpreview_Click);
    connect(m_ok, &QPushButton::clicked, this, &PageSubsystem::Commandsetbgcolor_Click);
    connect(m_cancel, &QPushButton::clicked, this, &PageSubsystem::Commandcancelbgcolor_Click);

    // Tab runs through the options, then the buttons, in the order seen.
    QWidget *previous = nullptr;
    for (const int i : { 0, 1, 4, 2, 3, 5 }) {
        if (previous)
            QWidget::setTabOrder(previous, m_options[i]);
        previous = m_options[i];
    }
    for (QWidget *b : { static_cast<QWidget *>(m_preview), static_cast<QWidget *>(m_ok),
                        static_cast<QWidget *>(m_cancel) }) {
        QWidget::setTabOrder(previous, b);
        previous = b;
    }

    // Esc in the panel is its Cancel, as in a dialog.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), frame);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &PageSubsystem::Commandcancelbgcolor_Click);
}

void PageSubsystem::pagetitle_Click()
{
    openPanel(QStringLiteral("fgcolor"));
}
void PageSubsystem::BodyBackGroudColor_Click()
{
    openPanel(QStringLiteral("bgcolor"));
}
void PageSubsystem::linkcolor_Click()
{
    openPanel(QStringLiteral("linkcolor"));
}
void PageSubsystem::vlinkcolor_Click()
{
    openPanel(QStringLiteral("vlinkcolor"));
}

void PageSubsystem::openPanel(const QString &modeKey)
{
    const ColorMode *mode = findMode(modeKey);
    if (!mode || !w.DHTMLEdit1)
        return;
    // Without the colour the page had, Cancel could not put it back: the
    // panel does not open.
    QString saved;
    try {
        saved = w.DHTMLEdit1->DOM().bodyAttribute(QLatin1String(mode->property));
    } catch (const ComponentError &error) {
        showComponentError(dialogs, error);
        return;
    }
    m_mode = modeKey;
    if (m_ok)
        m_ok->setText(QLatin1String(mode->okCaption));
    m_saved[modeKey] = saved;
    hooks.panelReset();
    hooks.panelOpen(w.Framebgcolor);
    // The keyboard goes into the panel, as it would into a dialog.
    if (!m_options.isEmpty() && w.Framebgcolor && w.Framebgcolor->isVisible())
        m_options.first()->setFocus(Qt::OtherFocusReason);
}

bool PageSubsystem::writeColor(const QString &value)
{
    const ColorMode *mode = findMode(m_mode);
    if (!mode || !w.DHTMLEdit1)
        return false;
    try {
        w.DHTMLEdit1->DOM().setBodyAttribute(QLatin1String(mode->property), value);
    } catch (const ComponentError &error) {
        showComponentError(dialogs, error);
        return false;
    }
    return true;
}

void PageSubsystem::Option1_Click(int index)
{
    if (index < 0 || index >= m_options.size())
        return;
    // The caption itself is the colour: an HTML colour name.
    writeColor(m_options[index]->text());
}

void PageSubsystem::Commandpreview_Click()
{
    // A cancelled dialog gives the colour it held before; that is written.
    const QString text = customColorText(dialogs.ShowColor());
    if (!text.isEmpty())
        writeColor(text);
}

void PageSubsystem::Commandsetbgcolor_Click()
{
    hooks.panelReset();
    hooks.focusPage();
}

void PageSubsystem::Commandcancelbgcolor_Click()
{
    // An empty saved colour (the page had none) removes the attribute again.
    if (findMode(m_mode) && m_saved.contains(m_mode))
        writeColor(m_saved.value(m_mode));
    hooks.panelReset();
    hooks.focusPage();
}

void PageSubsystem::DHTMLEdit1_DocumentComplete()
{
    // The saved colours belong to the page they were read from. Cancel must
    // not write one of them into a page that replaced it; it leaves the new
    // page's own colour.
    const ColorMode *mode = findMode(m_mode);
    if (!mode || !w.Framebgcolor || w.Framebgcolor->isHidden())
        return;
    try {
        m_saved[m_mode] = w.DHTMLEdit1->DOM().bodyAttribute(QLatin1String(mode->property));
    } catch (const ComponentError &) {
        // Nothing known to restore: Cancel leaves the page as it is.
        m_saved.remove(m_mode);
    }
}
