#pragma once

// The table insertion panel, FrameInserttable: the size of a new table and a
// few of its attributes. Its controls are built here inside the window's
// frame; the Table menu's "Insert Table..." refills the two alignment lists
// (found by their object names, Combo1 and Combo2) and opens the panel.

#include "app/editing_component.h"

#include <QObject>

class QComboBox;
class QLineEdit;
class QPushButton;
struct FormHooks;
struct MainWidgets;
class UserDialogs;

class TablePanel : public QObject
{
    Q_OBJECT
public:
    TablePanel(MainWidgets &w, FormHooks &hooks, UserDialogs &dialogs, QObject *parent = nullptr);

    void OkCmd_Click();
    void CancelCmd_Click();

    // The parameter object of the last OK that reached the component.
    const DEInsertTableParam &lastParam() const { return m_param; }

    QLineEdit *Rows = nullptr, *Cols = nullptr, *TableAttrs = nullptr, *CellAttrs = nullptr,
              *CellAttrs2 = nullptr, *TableCaption = nullptr;
    QComboBox *Combo1 = nullptr, *Combo2 = nullptr;
    QPushButton *CancelCmd = nullptr, *OkCmd = nullptr;

private:
    void buildPanel();
    void clearFields();

    MainWidgets &w;
    FormHooks &hooks;
    UserDialogs &dialogs;
    DEInsertTableParam m_param;
};
