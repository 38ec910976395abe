#pragma once

// Message boxes and common dialogs sit behind this interface so that tests can
// script the user's answers. Button results use the classic numeric values.

#include <QString>
#include <optional>

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
    // The colour dialog; a colour value has red in the low byte. Empty when
    // the user cancels.
    virtual std::optional<quint32> ChooseColor(quint32 initial) = 0;
};

// The real dialogs, shown over the given parent window.
class QtUserDialogs : public UserDialogs
{
public:
    explicit QtUserDialogs(QWidget *parent) : m_parent(parent) {}
    int MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
               const QString &caption = AppTitle) override;
    std::optional<quint32> ChooseColor(quint32 initial) override;

private:
    QWidget *m_parent;
};
