#include "app/main_form.h"

#include "app/about_window.h"
#include "app/deferred_shortcuts.h"
#include "app/editing_component.h"
#include "app/main_widgets_builder.h"
#include "app/notice_bar.h"
#include "app/page_template.h"
#include "app/user_dialogs.h"
#include "document/help.h"
#include "platform/panel_hider.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

QRect toPixels(const TwipsRect &r)
{
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}

} // namespace

MainForm::MainForm(EditingComponent *editor, EditingComponent *store, UserDialogs *dialogs,
                   QWidget *parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_shell(m_w, m_state, m_hooks, *dialogs)
{
    setObjectName("MainForm");
    buildMainWidgets(this, m_w);
    m_w.DHTMLEdit1 = editor;
    m_w.DHTMLEdit2 = store;
    if (editor && editor->widget()) {
        m_editorWidget = editor->widget();
        editor->widget()->setParent(m_w.Picture1);
        editor->widget()->raise(); // above its shadow
        editor->widget()->show();
    }
    if (editor)
        connect(editor, &EditingComponent::ContentChanged, this,
                [this] { m_state.changed = true; });
    m_notice = new NoticeBar(centralWidget());
    connect(m_notice, &NoticeBar::shownChanged, this, [this] { applyLayout(); });
    connect(m_notice, &NoticeBar::keyboardLeft, this, &MainForm::FocusPage);
    m_hooks.ShowNotice = [this](const QString &text) { m_notice->showNotice(text); };
    m_hooks.HideNotice = [this](const QString &text) { m_notice->hideNotice(text); };
    // Said in the bar, not in a message box: a box would take the keys the
    // user goes on typing, a space pressing its button. The keyboard goes
    // back to the page if the lost one had it.
    if (editor)
        connect(editor, &EditingComponent::RendererRestarted, this, [this](const QString &text) {
            m_notice->showNotice(text);
            QWidget *focus = QApplication::focusWidget();
            if (!focus || focus == this
                || (m_editorWidget && (focus == m_editorWidget || m_editorWidget->isAncestorOf(focus))))
                FocusPage();
        });

    setWindowTitle(ShellTexts::InitialCaption);
    // The client area below the menu bar starts at 10500 x 9195 twips.
    resize(twipsToPixels(10500), twipsToPixels(9195) + menuBar()->sizeHint().height());

    m_hooks.SizeControls = [this] { SizeControls(); };
    m_hooks.PanelReset = [this] { PanelReset(); };
    m_hooks.PanelOpen = [this](QFrame *f) { PanelOpen(f); };
    m_hooks.TitleRefresh = [this] { TitleRefresh(); };
    m_hooks.SaveChangesPrompt = [this] { return SaveChangesPrompt(); };
    m_hooks.FocusPage = [this] { FocusPage(); };

    if (editor && editor->widget() && editor->widget()->accessibleName().isEmpty())
        editor->widget()->setAccessibleName(QStringLiteral("Page"));
    for (QAction *top : menuBar()->actions()) {
        if (top->menu())
            top->menu()->installEventFilter(this);
    }

    connect(m_w.FileExit, &QAction::triggered, this, &MainForm::FileExit_Click);
    connect(m_w.helpcontent, &QAction::triggered, this, &MainForm::helpcontent_Click);
    connect(m_w.AboutTessary, &QAction::triggered, this, &MainForm::AboutTessary_Click);
    new DeferredShortcuts(this);
}

MainForm::~MainForm()
{
    // The editor's control belongs to its component, not to this window.
    if (m_editorWidget && m_editorWidget->parent() == m_w.Picture1)
        m_editorWidget->setParent(nullptr);
}

void MainForm::Form_Load()
{
    m_w.menuweditor->setEnabled(false);
    m_w.menuhtmlsource->setEnabled(true);
    m_layout.panelName.clear();
    m_state.sourceView = false;
    m_hooks.setWysiwygMode(true);
    m_layout.panelHeight = 0;
    PanelReset();
    m_w.imgSplitter->setEnabled(false);
    m_w.picSplitter->setEnabled(false);
    m_state.changed = false;
    m_state.documentReady = false;

    m_fontNames = { "Times New Roman", "Arial", "Tahoma", "Courier", "Verdana", "Wingdings" };
    m_fontSizes = { "1", "2", "3", "4", "5", "6", "7" };
    m_w.FontCombo->addItems(m_fontNames);
    m_w.FontCombo->setCurrentIndex(0);
    m_w.FontSizeCombo->addItems(m_fontSizes);
    m_w.FontSizeCombo->setCurrentIndex(0);

    m_hooks.initToolbarCommands();
    m_hooks.initMenuCommands();
    m_hooks.toolbarReset();

    if (m_w.DHTMLEdit1)
        m_w.DHTMLEdit1->setDocumentHTML(newDocumentTemplate(true));
    m_state.changed = false;
    unsetCursor();
    // Typing starts in the page, not in the first box of the toolbar.
    FocusPage();
}

void MainForm::FocusPage()
{
    QWidget *view
        = m_state.sourceView ? static_cast<QWidget *>(m_w.txtHTML) : m_editorWidget.data();
    // A view that is not on screen must not take the keyboard; before the
    // window is shown, this names the widget that gets it when it is.
    if (view && view->isVisibleTo(this))
        view->setFocus(Qt::OtherFocusReason);
}

bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    // Esc out of a menu leaves the menu bar holding the keyboard with no
    // sign of it, and the next keys go nowhere; give them back.
    if (event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Cancel)
        && qobject_cast<QMenu *>(watched)) {
        QTimer::singleShot(0, this, [this] {
            QMenuBar *bar = menuBar();
            if (QApplication::activePopupWidget() || QApplication::focusWidget() != bar)
                return;
            // The bar's own Esc leaves its keyboard mode and gives the keyboard
            // back to the widget that had it before.
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(bar, &escape);
            if (!QApplication::focusWidget() || QApplication::focusWidget() == bar)
                FocusPage();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

QSizeF MainForm::outerSizeTwips() const
{
    const QRect outer = frameGeometry();
    return QSizeF(outer.width() * TwipsPerPixel, outer.height() * TwipsPerPixel);
}

void MainForm::SizeControls()
{
    LayoutModel m = m_layout;
    const QSizeF outer = outerSizeTwips();
    m.windowWidth = float(outer.width());
    m.windowHeight = float(outer.height());
    m.minimized = isMinimized();
    m = sizeControls(std::move(m));
    if (m.minimized)
        return;
    m_layout = m;
    applyLayout();
    if (m.windowEnlarged) {
        // The frame is not ours to size; grow the window by what is missing.
        const QSize frameExtra = frameGeometry().size() - size();
        const QSize target(int(std::ceil(m.windowWidth / TwipsPerPixel)),
                           int(std::ceil(m.windowHeight / TwipsPerPixel)));
        resize(target - frameExtra);
    }
}

void MainForm::applyLayout()
{
    const LayoutModel &m = m_layout;
    QWidget *client = centralWidget();
    m_w.Toolbar1->setGeometry(0, 0, client->width(), twipsToPixels(405));
    QRect pane = toPixels(m.Picture1);
    QRect sourcePane = toPixels(m.Picturehtmlbox);
    // A notice stands above the page and pushes both panes down.
    int drop = 0;
    if (m_notice && !m_notice->isHidden()) {
        drop = std::min(m_notice->heightForWidth(pane.width()), pane.height() / 2);
        m_notice->setGeometry(pane.left(), pane.top(), pane.width(), drop);
        m_notice->raise();
        pane.setTop(pane.top() + drop);
        sourcePane.setTop(sourcePane.top() + drop);
    }
    const auto inside = [drop](const TwipsRect &r) { return toPixels(r).adjusted(0, 0, 0, -drop); };
    m_w.Picture1->setGeometry(pane);
    m_w.Picturehtmlbox->setGeometry(sourcePane);
    m_w.PicHTMLShadow->setGeometry(inside(m.PicHTMLShadow));
    m_w.picShadow->setGeometry(inside(m.picShadow));
    if (m_editorWidget)
        m_editorWidget->setGeometry(inside(m.DHTMLEdit1));
    m_w.txtHTML->setGeometry(inside(m.txtHTML));

    const QHash<QString, QFrame *> frames = { { "Framehtmlinsert", m_w.Framehtmlinsert },
                                              { "frameinsertpic", m_w.frameinsertpic },
                                              { "Frame1", m_w.Frame1 },
                                              { "FrameInsertHyperLink", m_w.FrameInsertHyperLink },
                                              { "Framebgcolor", m_w.Framebgcolor },
                                              { "FrameInserttable", m_w.FrameInserttable },
                                              { "FrameSendemail", m_w.FrameSendemail } };
    for (auto it = m.frames.cbegin(); it != m.frames.cend(); ++it) {
        if (QFrame *f = frames.value(it.key()))
            f->setGeometry(toPixels(it.value()));
    }
    if (m.txtHTMLInsert.height > 0) { // once the fragment panel has been fitted
        m_w.txtHTMLInsert->setGeometry(toPixels(m.txtHTMLInsert));
        m_w.Commandinserthtml->move(toPixels(m.Commandinserthtml).topLeft());
        m_w.Commandcancelhtml->move(toPixels(m.Commandcancelhtml).topLeft());
    }
}

// Every panel opens with the colour panel's options cleared and its OK
// caption shown above them; that panel's controls live in its own frame.
void MainForm::clearPanelOptions()
{
    for (QAbstractButton *option : findChildren<QAbstractButton *>("Option1")) {
        QButtonGroup *group = option->group();
        const bool groupExclusive = group && group->exclusive();
        const bool autoExclusive = option->autoExclusive();
        if (group)
            group->setExclusive(false);
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(autoExclusive);
        if (group)
            group->setExclusive(groupExclusive);
    }
    auto *ok = findChild<QAbstractButton *>("Commandsetbgcolor");
    auto *label = findChild<QLabel *>("ColorLabel");
    if (ok && label)
        label->setText(ok->text());
}

void MainForm::PanelOpen(QFrame *frame)
{
    if (!frame)
        return;
    clearPanelOptions();
    LayoutModel m = m_layout;
    const QSizeF outer = outerSizeTwips();
    m.windowWidth = float(outer.width());
    m.windowHeight = float(outer.height());
    m.minimized = isMinimized();
    m_layout = panelOpen(std::move(m), frame->objectName());
    applyLayout();
    if (m_layout.windowEnlarged)
        SizeControls(); // grows the window to the size just laid out
    frame->show();
    frame->raise();
}

void MainForm::PanelReset()
{
    const bool closing = m_layout.panelOpen();
    ClearAllFrame(m_w);
    m_layout.panelHeight = 0;
    SizeControls();
    m_layout.panelName.clear();
    // The keyboard was in the panel, which is gone.
    if (closing)
        FocusPage();
}

void MainForm::FileExit_Click()
{
    if (m_shell.mayLeave())
        Unload();
    else
        repaint();
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (m_unloading || m_shell.mayLeave()) {
        event->accept();
        Unload();
    } else {
        event->ignore();
    }
}

void MainForm::Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    delete m_about;
    close();
    QApplication::closeAllWindows();
    QCoreApplication::quit();
    m_unloaded = true;
    emit unloaded();
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    SizeControls();
}

void MainForm::helpcontent_Click()
{
    // Looked for where the user started the program, then where an install
    // put it; a missing file is the viewer's to report.
    m_dialogs->ShowHelp(helpFileFor(QDir::currentPath(), QCoreApplication::applicationDirPath()));
}

void MainForm::setAboutWindow(AboutWindow *about)
{
    if (m_about && m_about != about)
        delete m_about;
    m_about = about;
}

void MainForm::AboutTessary_Click()
{
    if (!m_about)
        m_about = new AboutWindow(this);
    m_about->cmdOK()->show();
    m_about->exec();
}
