#pragma once

// Pointers to the named controls of the main window. MainForm creates and owns
// the controls; the subsystem classes receive this struct and touch only the
// controls their handlers name. Control arrays are lists indexed from 0,
// separators included. A top-level menu is enabled through its menuAction().

#include <QHash>
#include <QList>
#include <QString>

class QAction;
class QComboBox;
class QFrame;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class QWidget;
class EditingComponent;

struct MainWidgets
{
    QMainWindow *window = nullptr;

    // The visible editor and the hidden storage-only copy.
    EditingComponent *DHTMLEdit1 = nullptr;
    EditingComponent *DHTMLEdit2 = nullptr;

    // Top-level menus.
    QMenu *file = nullptr, *Edit = nullptr, *view = nullptr, *pageproperty = nullptr,
          *insert = nullptr, *updatemenu1 = nullptr, *Format = nullptr, *Table = nullptr,
          *D2D = nullptr, *htmlcode = nullptr, *help = nullptr;

    // File.
    QAction *FileNew = nullptr, *FileOpen = nullptr, *openurl = nullptr, *FileSave = nullptr,
            *FileSaveAs = nullptr, *print = nullptr, *FileExit = nullptr;
    // Not in the menu: holds Save's key while Save is disabled (an untitled
    // page), so the key asks for a name instead of doing nothing.
    QAction *FileSaveUntitled = nullptr;
    // Edit: 9 items, indexes 2 and 7 are separators.
    QList<QAction *> EditSub;
    // View. inbrowser1 is the control array's only member (index 1).
    QAction *inbrowser1 = nullptr, *menuweditor = nullptr, *menuhtmlsource = nullptr,
            *viewBorders = nullptr, *viewDetails = nullptr;
    // Page Property.
    QAction *pagetitle = nullptr, *BodyBackGroudColor = nullptr, *linkcolor = nullptr,
            *vlinkcolor = nullptr;
    // Insert.
    QAction *insertpicture = nullptr, *Inserthyperlink = nullptr, *InsertButton = nullptr,
            *InsertHTML = nullptr, *sendemail = nullptr;
    // Update.
    QAction *updatepicture = nullptr, *updatehyperlink = nullptr, *Updatebutton = nullptr,
            *updatesendemailto = nullptr;
    // Format: 16 items with empty captions until the first DocumentComplete.
    QList<QAction *> FormatSub;
    // Table: 12 items; 2D DHTML: 9 items.
    QList<QAction *> TableSub;
    QList<QAction *> D2DSub;
    // HTML Source.
    QAction *updatewysiwyg = nullptr;
    // Help.
    QAction *helpcontent = nullptr, *AboutTessary = nullptr;

    // Toolbar. Buttons by key ("Bold", "Color", ... and the placeholders "Font"
    // and "FontSize"); a button's pressed mark is its checked state. Disabling
    // a placeholder does not disable the combo box it holds.
    QToolBar *Toolbar1 = nullptr;
    QHash<QString, QAction *> toolbarButtons;
    QComboBox *FontCombo = nullptr;
    QComboBox *FontSizeCombo = nullptr;

    // Panes.
    QWidget *Picture1 = nullptr, *picShadow = nullptr;
    QWidget *Picturehtmlbox = nullptr, *PicHTMLShadow = nullptr;
    QPlainTextEdit *txtHTML = nullptr;
    QWidget *imgSplitter = nullptr, *picSplitter = nullptr;

    // Panel frames and the HTML fragment panel's own controls.
    QFrame *Framehtmlinsert = nullptr, *frameinsertpic = nullptr, *Frame1 = nullptr,
           *FrameInsertHyperLink = nullptr, *Framebgcolor = nullptr, *FrameInserttable = nullptr,
           *FrameSendemail = nullptr;
    QPlainTextEdit *txtHTMLInsert = nullptr;
    QPushButton *Commandinserthtml = nullptr, *Commandcancelhtml = nullptr;
};
