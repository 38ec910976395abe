#pragma once

// Message boxes and common dialogs sit behind this interface so that tests can
// script the user's answers. Button results use the classic numeric values.

#include <QPointer>
#include <QString>
#include <optional>

class HelpWindow;
class QPrinter;
class QWidget;

// The caption of every message box that gives none of its own.
inline const QString AppTitle = QStringLiteral("Corvane DHTML Editor");

enum class MsgButtons { OK, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Exclamation, Question, Information };

enum MsgResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

class UserDialogs
{
public:
    virtual ~UserDialogs() = default;
    // Shows a modal message box and returns the button chosen (MsgResult).
    virtual int MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                       const QString &caption = AppTitle) = 0;

    // The colour dialog is one control shared by every feature that asks for
    // a colour: it holds its colour (red in the low byte; black before the
    // first use) between uses, and a chosen colour becomes the held one.
    //
    // Sets the held colour to initial, then shows the dialog. Empty when the
    // user cancels.
    std::optional<quint32> ChooseColor(quint32 initial);
    // Shows the dialog at the held colour and gives the colour chosen or, when
    // the user cancels, the colour held before.
    quint32 ShowColor();
    quint32 colorDialogColor() const { return m_color; }

    // The print dialog: the user's choices (printer or file, copies) go into
    // printer. False when the user cancelled.
    virtual bool ShowPrinter(QPrinter &printer) = 0;
    // The printer object: prints the text as one job. False when it failed.
    virtual bool PrintText(QPrinter &printer, const QString &text) = 0;
    // The help viewer: shows the help file, or says why it cannot.
    virtual void ShowHelp(const QString &helpFile) = 0;

protected:
    // Shows the platform's colour dialog at start; empty when cancelled.
    virtual std::optional<quint32> showColorDialog(quint32 start) = 0;

private:
    quint32 m_color = 0;
};

// The real dialogs, shown over the given parent window.
class QtUserDialogs : public UserDialogs
{
public:
    explicit QtUserDialogs(QWidget *parent) : m_parent(parent) {}
    int MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
               const QString &caption = AppTitle) override;
    std::optional<quint32> showColorDialog(quint32 start) override;
    bool ShowPrinter(QPrinter &printer) override;
    bool PrintText(QPrinter &printer, const QString &text) override;
    void ShowHelp(const QString &helpFile) override;

private:
    QWidget *m_parent;
    QPointer<HelpWindow> m_help; // one viewer, kept between uses
};
