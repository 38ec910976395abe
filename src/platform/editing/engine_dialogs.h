#pragma once

// The editing component's own dialogs: Find (modeless), Font and Hyperlink.
// The component reaches them through EngineDialogs so tests can answer them
// without a window ever blocking.

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

struct FindRequest
{
    QString text;
    bool matchCase = false;
    bool wholeWord = false;
    bool up = false;
};

// What the Font dialog shows and returns. A format left empty (name, colour),
// at 0 (size) or unset (the three toggles) keeps what the text has.
struct FontChoice
{
    QString name;
    int size = 0;
    QString color;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
};

// What to do with a paste above the size the page takes at once.
enum class LargePasteChoice { Paste, PasteAsText, Cancel };

// Searches the page for a request; true when a match was selected.
using FindFunction = std::function<bool(const FindRequest &)>;

class EngineDialogs
{
public:
    virtual ~EngineDialogs() = default;
    // Shows the Find dialog and returns at once.
    virtual void showFind(QWidget *parent, const FindFunction &find) = 0;
    // Both return false when the user cancelled.
    virtual bool chooseFont(QWidget *parent, FontChoice &choice) = 0;
    virtual bool chooseLink(QWidget *parent, QString &url) = 0;
    // Asked before a paste of `bytes` of HTML (or text, when hasHtml is false).
    virtual LargePasteChoice askLargePaste(QWidget *parent, qint64 bytes, bool hasHtml) = 0;
    // Asked when the engine has not answered for `seconds`: true to wait
    // on, false to reload the page from the copy kept of it. `answered`
    // turns true once the answer has come; the question then closes itself
    // as a wait.
    virtual bool keepWaiting(QWidget *parent, int seconds, const std::function<bool()> &answered)
        = 0;
};

class QtEngineDialogs : public EngineDialogs
{
public:
    ~QtEngineDialogs() override;
    void showFind(QWidget *parent, const FindFunction &find) override;
    bool chooseFont(QWidget *parent, FontChoice &choice) override;
    bool chooseLink(QWidget *parent, QString &url) override;
    LargePasteChoice askLargePaste(QWidget *parent, qint64 bytes, bool hasHtml) override;
    bool keepWaiting(QWidget *parent, int seconds, const std::function<bool()> &answered) override;

private:
    QPointer<class FindDialog> m_find;
};

class FindDialog : public QDialog
{
    Q_OBJECT
public:
    FindDialog(QWidget *parent, FindFunction find);
    void setFindFunction(FindFunction find) { m_findFunction = std::move(find); }
    FindRequest request() const;

public slots:
    // Looks for the next match; the dialog says so when there is none.
    bool findNext();

private:
    FindFunction m_findFunction;
    QLineEdit *m_text;
    QCheckBox *m_matchCase;
    QCheckBox *m_wholeWord;
    QRadioButton *m_up;
    QRadioButton *m_down;
    QLabel *m_message;
};

class FontDialog : public QDialog
{
    Q_OBJECT
public:
    FontDialog(QWidget *parent, const FontChoice &initial);
    FontChoice choice() const;

private:
    QComboBox *m_name;
    QComboBox *m_size;
    QLineEdit *m_color;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    QCheckBox *m_underline;
};
