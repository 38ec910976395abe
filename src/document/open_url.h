#pragma once

// The Open URL dialog, frmloadURL: a prompt, the address box and two
// buttons. Created for each use and gone when it closes, so the box always
// starts with "http://".

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class OpenUrlDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OpenUrlDialog(QWidget *owner);

    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command1; // "Open URL": its click is the owner's to handle
    QPushButton *Command2; // "Cancel"
};
