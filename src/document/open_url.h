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

    // While a page is on its way: the address and Open URL take no input,
    // the status line says so, and Cancel, Esc or closing the window stop it
    // (stopLoading) and close the dialog.
    void setLoading(bool loading);
    bool isLoading() const { return m_loading; }
    void reject() override;

    QLabel *Label1;
    QLineEdit *Text1;
    QLabel *Label2; // the status line: what is being loaded
    QPushButton *Command1; // "Open URL": its click is the owner's to handle
    QPushButton *Command2; // "Cancel"

signals:
    void stopLoading();

private:
    bool m_loading = false;
};
