#pragma once

// The commands that move the page between the editor and the outside
// world: File > Open URL (the frmloadURL dialog), View > In Default Browser
// and File > Print. They hold no state; saving goes through the
// SaveDocument hook, the browser through the desktop shell.

#include <QObject>
#include <QString>

struct FormHooks;
struct FormState;
struct MainWidgets;
class DesktopShell;
class OpenUrlDialog;
class UserDialogs;

// What Open URL says when the component could not load the address.
inline const QString OpenUrlFailedText
    = QStringLiteral("Unable to Open the specific URL, please check spelling and try again");
inline const QString PreviewQuestionText = QStringLiteral(
    "You will need to save your file before previewing in browser, do you want to continue?");

class ExchangeSubsystem : public QObject
{
    Q_OBJECT
public:
    ExchangeSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                      DesktopShell &shell, QObject *parent = nullptr);

    void openurl_Click();
    void inbrowser_Click(int index);
    void print_Click();

private:
    // frmloadURL's Open URL button; true when the page was loaded.
    bool loadUrlFrom(OpenUrlDialog &dialog);
    void printSourceText();

    MainWidgets &w;
    FormState &state;
    FormHooks &hooks;
    UserDialogs &dialogs;
    DesktopShell &shell;
};
