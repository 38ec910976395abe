#include "app/recovery.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
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

bool writeRecoveryFile(const QString &file, const RecoveredPage &page)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
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
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // Only the user may read what they typed.
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

PageRecovery::PageRecovery(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                           const QString &directory, QObject *parent)
    : QObject(parent)
    , m_w(w)
    , m_state(state)
    , m_hooks(hooks)
    , m_dialogs(dialogs)
    , m_timer(new QTimer(this))
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
    m_timer->setInterval(DefaultIdleMs);
    connect(m_timer, &QTimer::timeout, this, &PageRecovery::writeNow);
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
    remove();
}

void PageRecovery::setIdleMs(int ms)
{
    m_timer->setInterval(ms);
}

void PageRecovery::edited()
{
    m_timer->start(); // serialising costs time: only once edits pause
}

void PageRecovery::settle()
{
    // Looked at from the event loop: the handler that refreshed the caption
    // may clear the changed flag only after it.
    QTimer::singleShot(0, this, [this] {
        if (!m_state.changed && !(m_state.sourceView && m_state.sourceEdited))
            remove();
    });
}

void PageRecovery::remove()
{
    m_timer->stop();
    QFile::remove(m_file);
}

// Moves a copy out of the way, to a name later saves and exits never touch.
QString PageRecovery::setAside(const QString &file)
{
    const QString aside = QFileInfo(file).absolutePath()
        + QStringLiteral("/unrestored-page-%1.json")
              .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmsszzz")));
    return QFile::rename(file, aside) ? aside : file;
}

bool PageRecovery::writeNow()
{
    const bool sourcePending = m_state.sourceView && m_state.sourceEdited && m_w.txtHTML;
    if (!m_state.changed && !sourcePending) {
        remove();
        return false;
    }
    EditingComponent *editor = m_w.DHTMLEdit1;
    if (!editor)
        return false;
    // A call to the page is waiting for its answer (a load, a save): asking
    // the page now would nest inside it. Try again once it is done.
    if (editor->Busy()) {
        m_timer->start();
        return false;
    }
    RecoveredPage page;
    try {
        page.html = sourcePending ? m_w.txtHTML->toPlainText() : editor->RecoveryHTML();
        page.path = editor->CurrentDocumentPath();
    } catch (const std::exception &) {
        return false; // the copy written last stays; it is older but whole
    }
    page.encoding = editor->DocumentEncoding();
    page.savedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    return writeRecoveryFile(m_file, page);
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
