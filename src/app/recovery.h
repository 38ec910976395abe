#pragma once

// Unsaved work that survives a crash of the whole program. A few seconds after
// edits stop, the page (or the source box's text, when that holds edits not
// yet applied) is written to a recovery file in the user's data folder, with
// the page's path and encoding. A save, a New or Open that discards the page
// and a clean exit remove the file; on the next start one that is still there
// is offered back.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLockFile;
class QTimer;
struct FormHooks;
struct FormState;
struct MainWidgets;
class UserDialogs;

// What a recovery file holds.
struct RecoveredPage
{
    QString path; // empty for an untitled page
    QString encoding; // the encoding the page was read in; empty if not known
    QString html;
    QString savedAt; // ISO 8601, UTC
};

// A copy on its way to its file.
struct RecoveryCopy
{
    QString file;
    RecoveredPage page;
    // When set, gives page.html when the copy is written, on any thread.
    std::function<QString()> html;
};

// Reads a recovery file; false when there is none or it is not one of ours.
bool readRecoveryFile(const QString &file, RecoveredPage &page);
// Writes it atomically (a temporary file renamed over the old one); false on
// failure, with the reason in *error when given.
bool writeRecoveryFile(const QString &file, const RecoveredPage &page, QString *error = nullptr);

namespace RecoveryTexts {
// %1: the page's file, or "an untitled page"; %2: when it was kept.
inline const QString Question = QStringLiteral(
    "The editor did not close properly last time. It kept a copy of %1 with changes that "
    "were not saved (kept %2).\r\n\r\nDo you want to restore it?");
inline const QString NotRestored
    = QStringLiteral("The kept page could not be opened. It is still in the file \"%1\".");
// %1: the folder of the copies; %2: why the copy could not be written.
inline const QString NotKept = QStringLiteral(
    "Your unsaved changes are not being kept against a crash: the copy could not be written "
    "to \"%1\" (%2). The editor keeps trying; save the page to keep your work safe.");
} // namespace RecoveryTexts

class PageRecovery : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultIdleMs = 3000;
    // A copy that costs nothing to take (the source box's text, a page the
    // editor keeps a copy of) is written this long after a change, even while
    // the user goes on typing, so a kill loses at most the last moment.
    static constexpr int KeptCopyDelayMs = 200;
    // After a copy could not be written, how soon it is tried again.
    static constexpr int RetryMs = 5000;

    // directory: where the file lives; empty for the user's data folder.
    PageRecovery(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                 const QString &directory = {}, QObject *parent = nullptr);
    // A clean exit: what the user left unsaved was their choice.
    ~PageRecovery() override;

    QString filePath() const { return m_file; }
    void setIdleMs(int ms);
    void setRetryMs(int ms);

    // At start: offers the page a previous run left, if any. Yes puts it in
    // the editor as a changed page (under its old path when that file is
    // still there, else untitled); No deletes it.
    void offerRestore();
    // Writes the unsaved page now (true when written), or removes the file
    // when nothing is unsaved.
    bool writeNow();
    // The program is ending without the user's say (a signal, the display
    // gone): the unsaved page is written now and kept for the next start.
    // mayAskPage: whether the page may be asked (from the event loop); else
    // only a copy that asks nothing is written, or the last one stays.
    void writeFinal(bool mayAskPage);

private:
    void edited();
    void writeSoon();
    bool unsaved() const;
    bool takeCopy(RecoveryCopy &copy, bool mayAskPage);
    void wrote(bool ok, const QString &error);
    void settle();
    void remove();
    bool offer(const QString &file);
    QString setAside(const QString &file);

    MainWidgets &m_w;
    FormState &m_state;
    FormHooks &m_hooks;
    UserDialogs &m_dialogs;
    QString m_file;
    std::unique_ptr<QLockFile> m_lock; // held while this run lives
    std::unique_ptr<class RecoveryWriter> m_writer;
    QTimer *m_timer;
    QTimer *m_retry;
    int m_idleMs = DefaultIdleMs;
    bool m_keep = false; // the file outlives this run
    QString m_failure; // the notice shown while copies cannot be written
};
