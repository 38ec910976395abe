#pragma once

// Help > Content: the help file's path, and the window that shows it (the
// platform's help viewer, in this system).

#include <QDialog>
#include <QString>

class QPushButton;
class QTextBrowser;

inline const QString HelpFileName = QStringLiteral("cvhelp.hlp");

// The help file in the given working directory, joined as it is: a
// directory that ends in the separator (the root) gives two in a row.
QString helpFilePath(const QString &currentDirectory);

// The guide Help > Content opens: the one in the working directory, as
// always; when that folder has none, the one an install put in the data
// folder beside the program's bin folder (a program started from the desktop
// menu runs in the home folder). With neither, the working directory's path,
// so the viewer names the file it looked for.
QString helpFileFor(const QString &currentDirectory, const QString &programDirectory);

// Where an install puts the guide, for a program in programDirectory.
QString installedHelpFilePath(const QString &programDirectory);

// Shows an HTML help file with its contents links; a file that cannot be
// read is reported in the window itself.
class HelpWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    // Loads the file afresh and brings the window up, at its start.
    void showFile(const QString &path);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
    QPushButton *m_contents;
    QPushButton *m_back;
};
