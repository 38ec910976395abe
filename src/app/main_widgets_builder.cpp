#include "app/main_widgets_builder.h"

#include "app/safe_plain_text_edit.h"
#include "app/toolbar_icons.h"

#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QWidgetAction>

namespace {

// A toolbar position that carries a combo box. Disabling the position must
// leave the box alone: the font boxes are enabled from the page's state while
// their placeholders stay disabled.
class PlaceholderAction : public QWidgetAction
{
public:
    using QWidgetAction::QWidgetAction;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::ActionChanged)
            return QAction::event(e); // skip QWidgetAction's enable propagation
        return QWidgetAction::event(e);
    }
};

QMenu *addMenu(QMenuBar *bar, const char *name, const QString &caption)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                 const QKeySequence &shortcut = {})
{
    auto *a = new QAction(caption, menu);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    menu->addAction(a);
    return a;
}

QAction *addSeparator(QMenu *menu, const char *name)
{
    auto *a = new QAction(menu);
    a->setObjectName(name);
    a->setSeparator(true);
    menu->addAction(a);
    return a;
}

// Items of a control array: "-" makes a separator member.
QList<QAction *> addArray(QMenu *menu, const char *name, const QStringList &captions,
                          const QList<QKeySequence> &shortcuts = {})
{
    QList<QAction *> items;
    for (int i = 0; i < captions.size(); ++i) {
        QAction *a
            = captions[i] == "-" ? addSeparator(menu, name) : addItem(menu, name, captions[i]);
        if (i < shortcuts.size())
            a->setShortcut(shortcuts[i]);
        a->setProperty("index", i);
        items << a;
    }
    return items;
}

QKeySequence ctrl(char letter)
{
    return QKeySequence(QString("Ctrl+%1").arg(letter));
}

// Every item has a mnemonic, unique in its menu, so the keyboard reaches
// each command in two keys (Alt+menu letter, item letter).
void buildMenus(QMenuBar *bar, MainWidgets &w)
{
    w.file = addMenu(bar, "file", "&File");
    w.FileNew = addItem(w.file, "FileNew", "&New", ctrl('N'));
    addSeparator(w.file, "FileNewSep1");
    w.FileOpen = addItem(w.file, "FileOpen", "&Open...", ctrl('O'));
    w.openurl = addItem(w.file, "openurl", "Open &URL");
    w.FileSave = addItem(w.file, "FileSave", "&Save", ctrl('S'));
    w.FileSaveAs = addItem(w.file, "FileSaveAs", "Save&As...");
    addSeparator(w.file, "filesep2");
    w.print = addItem(w.file, "print", "&Print");
    addSeparator(w.file, "filesep21");
    w.FileExit = addItem(w.file, "FileExit", "E&xit");
    // Belongs to the window, not the menu, so it is never shown.
    w.FileSaveUntitled = new QAction("Save As", bar->window());
    w.FileSaveUntitled->setObjectName("FileSaveUntitled");
    w.FileSaveUntitled->setShortcut(w.FileSave->shortcut());
    bar->window()->addAction(w.FileSaveUntitled);

    w.Edit = addMenu(bar, "Edit", "&Edit");
    w.EditSub = addArray(
        w.Edit, "EditSub",
        { "&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "Select &All", "-", "&Find Text" },
        { ctrl('Z'), ctrl('Y'), {}, ctrl('X'), ctrl('C'), ctrl('V'), ctrl('A'), {}, ctrl('F') });

    w.view = addMenu(bar, "view", "&View");
    w.inbrowser1 = addItem(w.view, "inbrowser", "In Default &Browser");
    w.inbrowser1->setProperty("index", 1);
    w.menuweditor = addItem(w.view, "menuweditor", "&WYSIWYG Editor");
    w.menuhtmlsource = addItem(w.view, "menuhtmlsource", "HTML &Source");
    w.viewBorders = addItem(w.view, "viewBorders", "Invisible B&orders");
    w.viewDetails = addItem(w.view, "viewDetails", "&Details");
    w.viewBorders->setCheckable(true);
    w.viewDetails->setCheckable(true);

    w.pageproperty = addMenu(bar, "pageproperty", "&Page Property");
    w.pagetitle = addItem(w.pageproperty, "pagetitle", "&Foreground Color");
    w.BodyBackGroudColor = addItem(w.pageproperty, "BodyBackGroudColor", "&Body BackGround Color");
    w.linkcolor = addItem(w.pageproperty, "linkcolor", "&Link Color");
    w.vlinkcolor = addItem(w.pageproperty, "vlinkcolor", "&Viewed Link Color");

    w.insert = addMenu(bar, "insert", "&Insert");
    w.insertpicture = addItem(w.insert, "insertpicture", "&Picture...");
    w.Inserthyperlink = addItem(w.insert, "Inserthyperlink", "Hyper &Link...");
    w.InsertButton = addItem(w.insert, "InsertButton", "&Button");
    w.InsertHTML = addItem(w.insert, "InsertHTML", "&HTML");
    w.sendemail = addItem(w.insert, "sendemail", "Send &eMail To...");

    w.updatemenu1 = addMenu(bar, "updatemenu1", "&Update");
    w.updatepicture = addItem(w.updatemenu1, "updatepicture", "&Picture...");
    w.updatehyperlink = addItem(w.updatemenu1, "updatehyperlink", "Hyper &Link...");
    w.Updatebutton = addItem(w.updatemenu1, "Updatebutton", "&Button");
    w.updatesendemailto = addItem(w.updatemenu1, "updatesendemailto", "Send &eMail To...");

    w.Format = addMenu(bar, "Format", "F&ormat");
    w.FormatSub = addArray(w.Format, "FormatSub", QStringList(16, QString()));
    for (QAction *a : std::as_const(w.FormatSub)) {
        // A nameless block format would show as a blank row; the item appears
        // once it is given a caption.
        a->setCheckable(true);
        a->setVisible(false);
        QObject::connect(a, &QAction::changed, a, [a] { a->setVisible(!a->text().isEmpty()); });
    }

    w.Table = addMenu(bar, "Table", "T&able");
    w.TableSub = addArray(w.Table, "TableSub",
                          { "Insert &Table...", "-", "Insert &Row", "Insert &Column", "Insert C&ell",
                            "-", "&Delete Rows", "Delete C&olumns", "Delete Ce&lls", "-",
                            "&Merge Cells", "&Split Cell" });

    w.D2D = addMenu(bar, "D2D", "2D &DHTML");
    w.D2DSub = addArray(w.D2D, "D2DSub",
                        { "Set &Position Attribute To Absolute", "Bring To &Front", "Send To &Back",
                          "Bring F&orward", "Send Bac&k", "Bring &Above Text", "Send Below &Text",
                          "-", "&Lock Element" });
    w.D2DSub[8]->setCheckable(true);

    w.htmlcode = addMenu(bar, "htmlcode", "HTM&L Source");
    w.updatewysiwyg = addItem(w.htmlcode, "updatewysiwyg", "&Update WYSIWYG Screen");

    w.help = addMenu(bar, "help", "&Help");
    w.helpcontent = addItem(w.help, "helpcontent", "&Content");
    w.AboutTessary = addItem(w.help, "AboutTessary", "&About ");
}

// What the toolbar's buttons say to the user (tooltip and accessible name);
// the keys stay the program's own names for them.
struct ButtonWords
{
    const char *key;
    const char *words;
    const char *shortcut; // the key the page itself gives the command, if any
};

constexpr ButtonWords kButtonWords[] = {
    { "Font", "Font", nullptr },
    { "FontSize", "Font Size", nullptr },
    { "Bold", "Bold", "Ctrl+B" },
    { "Italic", "Italic", "Ctrl+I" },
    { "Underline", "Underline", "Ctrl+U" },
    { "Color", "Text Color", nullptr },
    { "Numbers", "Numbered List", nullptr },
    { "Bullets", "Bulleted List", nullptr },
    { "Outdent", "Decrease Indent", nullptr },
    { "Indent", "Increase Indent", nullptr },
    { "LeftJustify", "Align Left", nullptr },
    { "Center", "Center", nullptr },
    { "RightJustify", "Align Right", nullptr },
};

const ButtonWords &buttonWords(const QString &key)
{
    for (const ButtonWords &b : kButtonWords) {
        if (key == QLatin1String(b.key))
            return b;
    }
    static const ButtonWords none { "", "", nullptr };
    return none;
}

QString toolTipFor(const QString &key)
{
    const ButtonWords &b = buttonWords(key);
    const QString words = QString::fromLatin1(b.words);
    if (!b.shortcut)
        return words;
    const QString shortcut
        = QKeySequence(QString::fromLatin1(b.shortcut)).toString(QKeySequence::NativeText);
    return QStringLiteral("%1 (%2)").arg(words, shortcut);
}

QComboBox *addFontBox(QToolBar *bar, MainWidgets &w, const char *key, const char *name,
                      int slotTwips, int widthTwips)
{
    auto *slot = new QWidget(bar);
    slot->setFixedSize(twipsToPixels(slotTwips), twipsToPixels(405));
    auto *box = new QComboBox(slot);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(0, (slot->height() - twipsToPixels(315)) / 2, twipsToPixels(widthTwips),
                     twipsToPixels(315));
    const QString words = QString::fromLatin1(buttonWords(key).words);
    box->setToolTip(toolTipFor(key));
    box->setAccessibleName(words);
    // On Linux a screen reader hears the box's value as its name; the
    // field typed into and the drop-down list say what they are for.
    box->lineEdit()->setAccessibleName(words);
    box->view()->setAccessibleName(QStringLiteral("%1 choices").arg(words));
    auto *place = new PlaceholderAction(bar);
    place->setObjectName(key);
    place->setProperty("key", QString(key));
    place->setText(words);
    place->setToolTip(toolTipFor(key));
    place->setDefaultWidget(slot);
    bar->addAction(place);
    w.toolbarButtons.insert(key, place);
    return box;
}

void buildToolbar(QWidget *client, MainWidgets &w)
{
    w.Toolbar1 = new QToolBar(client);
    w.Toolbar1->setObjectName("Toolbar1");
    w.Toolbar1->setAccessibleName("Formatting");
    w.Toolbar1->setMovable(false);
    w.Toolbar1->setFloatable(false);
    w.Toolbar1->setIconSize(QSize(16, 16));
    w.Toolbar1->setGeometry(0, 0, client->width(), twipsToPixels(405));

    w.FontCombo = addFontBox(w.Toolbar1, w, "Font", "FontCombo", 2000, 1935);
    w.FontSizeCombo = addFontBox(w.Toolbar1, w, "FontSize", "FontSizeCombo", 800, 615);
    const QStringList keys
        = { "Bold",    "Italic", "Underline",   "Color",  "Numbers",     "Bullets",
            "Outdent", "Indent", "LeftJustify", "Center", "RightJustify" };
    for (const QString &key : keys) {
        const QString words = QString::fromLatin1(buttonWords(key).words);
        QAction *a = w.Toolbar1->addAction(toolbarIcon(key), words);
        a->setObjectName(key);
        a->setProperty("key", key);
        a->setToolTip(toolTipFor(key));
        a->setCheckable(true);
        if (QWidget *button = w.Toolbar1->widgetForAction(a))
            button->setAccessibleName(words);
        w.toolbarButtons.insert(key, a);
    }
}

QWidget *addBox(QWidget *parent, const char *name, const QColor &colour)
{
    auto *box = new QFrame(parent);
    box->setObjectName(name);
    box->setAutoFillBackground(true);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, colour);
    box->setPalette(pal);
    return box;
}

QFrame *addFrame(QWidget *parent, const char *name, const char *purpose, bool visible)
{
    auto *f = new QFrame(parent);
    f->setObjectName(name);
    // A screen reader says what the panel is for on entering it.
    f->setAccessibleName(QString::fromLatin1(purpose));
    f->setFrameShape(QFrame::StyledPanel);
    f->setVisible(visible);
    return f;
}

void buildPanes(QWidget *client, MainWidgets &w)
{
    w.Picture1 = addBox(client, "Picture1", QColor(255, 255, 192));
    w.picShadow = addBox(w.Picture1, "picShadow", QColor(128, 128, 128));

    w.Picturehtmlbox = addBox(client, "Picturehtmlbox", QColor(255, 192, 128));
    w.Picturehtmlbox->hide();
    w.Picturehtmlbox->setAccessibleName("HTML source view");
    w.PicHTMLShadow = addBox(w.Picturehtmlbox, "PicHTMLShadow", QColor(128, 128, 128));
    w.txtHTML = new SafePlainTextEdit(w.Picturehtmlbox);
    w.txtHTML->setObjectName("txtHTML");
    w.txtHTML->setAccessibleName("HTML Source");
    w.txtHTML->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    w.txtHTML->setLineWrapMode(QPlainTextEdit::NoWrap);

    // The splitter parts never take part in the layout or the mouse.
    auto *img = new QLabel(client);
    img->setObjectName("imgSplitter");
    img->setGeometry(0, 0, 0, 0);
    img->setAttribute(Qt::WA_TransparentForMouseEvents);
    w.imgSplitter = img;
    w.picSplitter = addBox(client, "picSplitter", QColor(128, 128, 128));
    w.picSplitter->setAttribute(Qt::WA_TransparentForMouseEvents);
    w.picSplitter->hide();
}

void buildPanels(QWidget *client, MainWidgets &w)
{
    w.Framehtmlinsert = addFrame(client, "Framehtmlinsert", "Insert HTML panel", true);
    w.frameinsertpic = addFrame(client, "frameinsertpic", "Insert picture panel", false);
    w.Frame1 = addFrame(client, "Frame1", "Insert button panel", false);
    w.FrameInsertHyperLink
        = addFrame(client, "FrameInsertHyperLink", "Insert hyperlink panel", true);
    w.Framebgcolor = addFrame(client, "Framebgcolor", "Page colors panel", true);
    w.FrameInserttable = addFrame(client, "FrameInserttable", "Insert table panel", false);
    w.FrameSendemail = addFrame(client, "FrameSendemail", "Insert e-mail link panel", false);

    w.txtHTMLInsert = new SafePlainTextEdit(w.Framehtmlinsert);
    w.txtHTMLInsert->setObjectName("txtHTMLInsert");
    w.txtHTMLInsert->setAccessibleName("HTML to insert");
    w.txtHTMLInsert->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the panel's buttons, as in any field of a panel; a
    // fragment rarely needs a tab character, and the keyboard never gets stuck.
    w.txtHTMLInsert->setTabChangesFocus(true);
    w.Commandinserthtml = new QPushButton("Insert HTML", w.Framehtmlinsert);
    w.Commandinserthtml->setObjectName("Commandinserthtml");
    w.Commandcancelhtml = new QPushButton("Cancel", w.Framehtmlinsert);
    w.Commandcancelhtml->setObjectName("Commandcancelhtml");
    for (QPushButton *b : { w.Commandinserthtml, w.Commandcancelhtml })
        b->resize(twipsToPixels(1695), twipsToPixels(375));
}

} // namespace

void buildMainWidgets(QMainWindow *window, MainWidgets &w)
{
    w.window = window;
    buildMenus(window->menuBar(), w);

    // The client area below the menu bar: toolbar, panes and panels are placed
    // in it by absolute position.
    auto *client = new QWidget(window);
    client->setObjectName("client");
    window->setCentralWidget(client);

    buildToolbar(client, w);
    buildPanes(client, w);
    buildPanels(client, w);
}
