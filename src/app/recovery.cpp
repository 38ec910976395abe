#include "app/recovery.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/recovery_writer.h"
#include "app/user_dialogs.h"
#include "platform/local_path.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cerrno>

namespace {

QString lockPathFor(const QString &file)
{
    return file.left(file.size() - 5) + QStringLiteral(".lock"); // in place of ".json"
}

const QString Format = QStringLiteral("corvane-recovery");

} // namespace

bool readRecoveryFile(const QString &file, RecoveredPage &page)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject o = QJsonDocument::fromJson(in.readAll()).object();
    if (o.value("format").toString() != Format || !o.value("html").isString())
        return false;
    // The name's bytes when they were written (any name the system
    // allows); "path" alone in copies from before.
    page.path = o.value("pathBytes").isString()
        ? pathFromBytes(QByteArray::fromBase64(o.value("pathBytes").toString().toLatin1()))
        : o.value("path").toString();
    page.encoding = o.value("encoding").toString();
    page.html = o.value("html").toString();
    page.savedAt = o.value("savedAt").toString();
    return true;
}

bool writeRecoveryFile(const QString &file, const RecoveredPage &page, QString *error)
{
    const auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("the folder \"%1\" cannot be made").arg(folder));
    // The path as shown, for a person reading the file, and its exact bytes.
    QJsonObject o { { "format", Format },
                    { "version", 1 },
                    { "path", page.path.isEmpty() ? QString() : shownPath(page.path) },
                    { "encoding", page.encoding },
                    { "savedAt", page.savedAt },
                    { "html", page.html } };
    if (!page.path.isEmpty())
        o.insert("pathBytes", QString::fromLatin1(pathBytes(page.path).toBase64()));
    QSaveFile out(file);
    // Unbuffered: a buffered write that the disk cuts short was seen to
    // commit a truncated file over the whole one, reporting success.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(out.errorString());
    // Only the user may read what they typed.
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
    errno = 0;
    if (out.write(bytes) != bytes.size() || out.size() != bytes.size()) {
        const int cause = errno;
        return failed(cause ? qt_error_string(cause) : out.errorString());
    }
    if (!out.commit())
        return failed(out.errorString());
    return true;
}

PageRecovery::PageRecovery(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                           const QString &directory, QObject *parent)
    : QObject(parent)
    , m_w(w)
    , m_state(state)
    , m_hooks(hooks)
    , m_dialogs(dialogs)
    , m_writer(std::make_unique<RecoveryWriter>())
    , m_timer(new QTimer(this))
    , m_retry(new QTimer(this))
{
    const QString dir = directory.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        : directory;
    // Two windows of the editor each keep their own copy.
    static int made = 0;
    m_file = QDir(dir).filePath(QStringLiteral("unsaved-page-%1-%2-%3.json")
                                    .arg(QCoreApplication::applicationPid())
                                    .arg(QDateTime::currentMSecsSinceEpoch())
                                    .arg(++made));
    QDir().mkpath(dir);
    m_lock = std::make_unique<QLockFile>(lockPathFor(m_file));
    m_lock->setStaleLockTime(0); // only a dead owner makes it stale
    m_lock->tryLock(0);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &PageRecovery::writeSoon);
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryMs);
    connect(m_retry, &QTimer::timeout, this, &PageRecovery::writeSoon);
    connect(m_writer.get(), &RecoveryWriter::written, this, &PageRecovery::wrote,
            Qt::QueuedConnection);
    if (m_w.DHTMLEdit1)
        connect(m_w.DHTMLEdit1, &EditingComponent::ContentChanged, this, &PageRecovery::edited);
    if (m_w.txtHTML)
        connect(m_w.txtHTML, &QPlainTextEdit::textChanged, this, &PageRecovery::edited);
    // Every New, Open and Save refreshes the caption: after each, a page left
    // without unsaved work needs no copy.
    // The hooks may outlive this object.
    auto titleRefresh = m_hooks.TitleRefresh;
    m_hooks.TitleRefresh = [self = QPointer<PageRecovery>(this), titleRefresh] {
        if (titleRefresh)
            titleRefresh();
        if (self)
            self->settle();
    };
}

PageRecovery::~PageRecovery()
{
    // The window, and the hooks with it, may be gone already.
    if (!m_keep)
        m_writer->remove(m_file);
}

void PageRecovery::setIdleMs(int ms)
{
    m_idleMs = ms;
}

void PageRecovery::setRetryMs(int ms)
{
    m_retry->setInterval(ms);
}

bool PageRecovery::unsaved() const
{
    return m_state.changed || (m_state.sourceView && m_state.sourceEdited);
}

void PageRecovery::edited()
{
    const bool sourcePending = m_state.sourceView && m_state.sourceEdited && m_w.txtHTML;
    const bool cheap
        = sourcePending || (m_w.DHTMLEdit1 && m_w.DHTMLEdit1->KeptRecoveryHTML());
    if (!cheap) {
        m_timer->start(m_idleMs); // serialising costs time: only once edits pause
    } else if (!m_timer->isActive() || m_timer->remainingTime() > KeptCopyDelayMs) {
        m_timer->start(std::min(KeptCopyDelayMs, m_idleMs));
    }
}

void PageRecovery::settle()
{
    // Looked at from the event loop: the handler that refreshed the caption
    // may clear the changed flag only after it.
    QTimer::singleShot(0, this, [this] {
        if (!unsaved())
            remove();
    });
}

void PageRecovery::remove()
{
    m_timer->stop();
    m_retry->stop();
    m_writer->remove(m_file);
    // Nothing is left to keep, so nothing is being lost.
    if (!m_failure.isEmpty()) {
        m_hooks.hideNotice(m_failure);
        m_failure.clear();
    }
}

// Moves a copy out of the way, to a name later saves and exits never touch.
QString PageRecovery::setAside(const QString &file)
{
    const QString aside = QFileInfo(file).absolutePath()
        + QStringLiteral("/unrestored-page-%1.json")
              .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmsszzz")));
    return QFile::rename(file, aside) ? aside : file;
}

// The page as it is now, or the source box's text when that holds edits not
// yet applied. False when no copy can be had now.
bool PageRecovery::takeCopy(RecoveryCopy &copy, bool mayAskPage)
{
    EditingComponent *editor = m_w.DHTMLEdit1;
    if (!editor)
        return false;
    const bool sourcePending = m_state.sourceView && m_state.sourceEdited && m_w.txtHTML;
    try {
        if (sourcePending) {
            copy.page.html = m_w.txtHTML->toPlainText();
        } else if (auto kept = editor->KeptRecoveryHTML()) {
            copy.html = std::move(kept);
        } else {
            // A call to the page is waiting for its answer (a load, a save):
            // asking the page now would nest inside it. Try again once it is
            // done.
            if (!mayAskPage)
                return false;
            if (editor->Busy()) {
                m_timer->start(m_idleMs);
                return false;
            }
            copy.page.html = editor->RecoveryHTML();
        }
        copy.page.path = editor->CurrentDocumentPath();
    } catch (const std::exception &) {
        return false; // the copy written last stays; it is older but whole
    }
    copy.page.encoding = editor->DocumentEncoding();
    copy.page.savedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    copy.file = m_file;
    return true;
}

void PageRecovery::writeSoon()
{
    if (!unsaved()) {
        remove();
        return;
    }
    RecoveryCopy copy;
    if (takeCopy(copy, true))
        m_writer->post(std::move(copy));
}

bool PageRecovery::writeNow()
{
    if (!unsaved()) {
        remove();
        return false;
    }
    RecoveryCopy copy;
    if (!takeCopy(copy, true))
        return false;
    m_timer->stop();
    QString error;
    const bool ok = m_writer->writeNow(std::move(copy), &error);
    wrote(ok, error);
    return ok;
}

void PageRecovery::writeFinal(bool mayAskPage)
{
    m_keep = true;
    if (!unsaved()) {
        m_writer->remove(m_file); // nothing to offer at the next start
        return;
    }
    RecoveryCopy copy;
    if (takeCopy(copy, mayAskPage && !(m_w.DHTMLEdit1 && m_w.DHTMLEdit1->Busy())))
        m_writer->writeNow(std::move(copy));
}

// A copy that cannot be written is said once, with the reason, and tried
// again until it can; the notice goes when copies are written again.
void PageRecovery::wrote(bool ok, const QString &error)
{
    if (ok) {
        m_retry->stop();
        if (!m_failure.isEmpty()) {
            m_hooks.hideNotice(m_failure);
            m_failure.clear();
        }
        return;
    }
    if (!unsaved())
        return; // saved meanwhile: nothing is being lost
    if (m_failure.isEmpty()) {
        m_failure = RecoveryTexts::NotKept.arg(
            QDir::toNativeSeparators(QFileInfo(m_file).absolutePath()), error);
        m_hooks.showNotice(m_failure);
    }
    m_retry->start();
}

void PageRecovery::offerRestore()
{
    // Each run keeps its own copy and holds a lock beside it while it runs: a
    // copy whose lock can be taken belongs to a run that has ended without
    // cleaning up. The newest comes first; once one is restored the window
    // holds a page, and the rest wait for the next start.
    const QDir dir(QFileInfo(m_file).absolutePath());
    const QStringList names
        = dir.entryList({ QStringLiteral("unsaved-page*.json") }, QDir::Files, QDir::Time);
    for (const QString &name : names) {
        const QString file = dir.filePath(name);
        if (file == m_file)
            continue;
        QLockFile owner(lockPathFor(file));
        if (!owner.tryLock(0))
            continue; // another window of the editor is still editing it
        if (offer(file))
            break;
    }
}

bool PageRecovery::offer(const QString &file)
{
    RecoveredPage page;
    if (!readRecoveryFile(file, page)) {
        // Not a whole copy of ours (a write never stops half-way): nothing to
        // offer, but set aside rather than removed.
        setAside(file);
        return false;
    }
    const QDateTime when = QDateTime::fromString(page.savedAt, Qt::ISODate).toLocalTime();
    const QString which = page.path.isEmpty()
        ? QStringLiteral("an untitled page")
        : QStringLiteral("\"%1\"").arg(shownPath(page.path));
    const QString question = RecoveryTexts::Question.arg(
        which, when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd hh:mm")) : page.savedAt);
    if (m_dialogs.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question) != vbYes) {
        QFile::remove(file);
        return false;
    }
    EditingComponent *editor = m_w.DHTMLEdit1;
    bool restored = false;
    try {
        // Under its old path, so Save writes it back there in the file's own
        // encoding; untitled when that file is gone or cannot be opened.
        bool underPath = false;
        if (!page.path.isEmpty() && isRegularFile(page.path)) {
            try {
                underPath = editor->LoadDocument(page.path);
            } catch (const std::exception &) {
            }
        }
        if (!underPath)
            editor->NewDocument();
        editor->setDocumentHTML(page.html);
        restored = true;
    } catch (const std::exception &) {
    }
    if (!restored) {
        // Kept under a name of its own, which later saves and exits never
        // remove: nothing the user typed is thrown away.
        m_dialogs.MsgBox(RecoveryTexts::NotRestored.arg(QDir::toNativeSeparators(setAside(file))),
                         MsgButtons::OK, MsgIcon::Exclamation);
        m_hooks.titleRefresh();
        return false;
    }
    m_state.changed = true;
    m_hooks.titleRefresh();
    m_hooks.statusRefresh();
    // This run's own copy takes over; the old one goes only once that exists.
    if (writeNow())
        QFile::remove(file);
    return true;
}
