#pragma once

// The About window: the product artwork and an OK button. It also serves as
// the start-up splash, then without its OK button.

#include <QDialog>

class QPushButton;

class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);
    QPushButton *cmdOK() const { return m_ok; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPushButton *m_ok;
};
