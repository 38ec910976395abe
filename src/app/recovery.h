#pragma once

// Unsaved work that survives a crash of the whole program. A few seconds after
// edits stop, the page (or the source box's text, when that holds edits not
// yet applied) is written to a recovery file in the user's data folder, with
// the page's path and encoding. A save, a New or Open that discards the page
// and a clean exit remove the file; on the next start one that is still there
// is offered back.

#include <QObject>
#include <QString>

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

// Reads a recovery file; false when there is none or it is not one of ours.
bool readRecoveryFile(const QString &file, RecoveredPage &page);
// Writes it atomically (a temporary file renamed over the old one); false on failure.
bool writeRecoveryFile(const QString &file, const RecoveredPage &page);

namespace RecoveryTexts {
// %1: the page's file, or "an untitled page"; %2: when it was kept.
inline const QString Question = QStringLiteral(
    "The editor did not close properly last time. It kept a copy of %1 with changes that "
    "were not saved (kept %2).\r\n\r\nDo you want to restore it?");
inline const QString NotRestored
    = QStringLiteral("The kept page could not be opened. It is still in the file \"%1\".");
} // namespace RecoveryTexts

class PageRecovery : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultIdleMs = 3000;

    // directory: where the file lives; empty for the user's data folder.
    PageRecovery(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                 const QString &directory = {}, QObject *parent = nullptr);
    // A clean exit: what the user left unsaved was their choice.
    ~PageRecovery() override;

    QString filePath() const { return m_file; }
    void setIdleMs(int ms);

    // At start: offers the page a previous run left, if any. Yes puts it in
    // the editor as a changed page (under its old path when that file is
    // still there, else untitled); No deletes it.
    void offerRestore();
    // Writes the unsaved page now (true when written), or removes the file
    // when nothing is unsaved.
    bool writeNow();

private:
    void edited();
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
    QTimer *m_timer;
};
