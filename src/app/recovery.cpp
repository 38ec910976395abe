#include "app/recovery.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString FileName = QStringLiteral("unsaved-page.json");
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
    page.path = o.value("path").toString();
    page.encoding = o.value("encoding").toString();
    page.html = o.value("html").toString();
    page.savedAt = o.value("savedAt").toString();
    return true;
}

bool writeRecoveryFile(const QString &file, const RecoveredPage &page)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    const QJsonObject o { { "format", Format },        { "version", 1 },
                          { "path", page.path },       { "encoding", page.encoding },
                          { "savedAt", page.savedAt }, { "html", page.html } };
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
    m_file = QDir(dir).filePath(FileName);
    m_timer->setSingleShot(true);
    m_timer->setInterval(DefaultIdleMs);
    connect(m_timer, &QTimer::timeout, this, &PageRecovery::writeNow);
    if (m_w.DHTMLEdit1)
        connect(m_w.DHTMLEdit1, &EditingComponent::ContentChanged, this, &PageRecovery::edited);
    if (m_w.txtHTML)
        connect(m_w.txtHTML, &QPlainTextEdit::textChanged, this, &PageRecovery::edited);
    // Every New, Open and Save refreshes the caption: after each, a page left
    // without unsaved work needs no copy.
    auto titleRefresh = m_hooks.TitleRefresh;
    m_hooks.TitleRefresh = [this, titleRefresh] {
        if (titleRefresh)
            titleRefresh();
        settle();
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

// Moves the file out of the way, to a name later saves and exits never touch.
QString PageRecovery::setAside()
{
    const QString aside = QFileInfo(m_file).absolutePath()
        + QStringLiteral("/unrestored-page-%1.json")
              .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    return QFile::rename(m_file, aside) ? aside : m_file;
}

void PageRecovery::writeNow()
{
    const bool sourcePending = m_state.sourceView && m_state.sourceEdited && m_w.txtHTML;
    if (!m_state.changed && !sourcePending) {
        remove();
        return;
    }
    EditingComponent *editor = m_w.DHTMLEdit1;
    if (!editor)
        return;
    // A call to the page is waiting for its answer (a load, a save): asking
    // the page now would nest inside it. Try again once it is done.
    if (editor->Busy()) {
        m_timer->start();
        return;
    }
    RecoveredPage page;
    try {
        page.html = sourcePending ? m_w.txtHTML->toPlainText() : editor->DocumentHTML();
        page.path = editor->CurrentDocumentPath();
    } catch (const std::exception &) {
        return; // the copy written last stays; it is older but whole
    }
    page.encoding = editor->DocumentEncoding();
    page.savedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    writeRecoveryFile(m_file, page);
}

void PageRecovery::offerRestore()
{
    RecoveredPage page;
    if (!QFileInfo::exists(m_file))
        return;
    if (!readRecoveryFile(m_file, page)) {
        // Not a whole copy of ours (a write never stops half-way): nothing to
        // offer, but set aside rather than removed at exit.
        setAside();
        return;
    }
    const QDateTime when = QDateTime::fromString(page.savedAt, Qt::ISODate).toLocalTime();
    const QString which = page.path.isEmpty()
        ? QStringLiteral("an untitled page")
        : QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(page.path));
    const QString question = RecoveryTexts::Question.arg(
        which, when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd hh:mm")) : page.savedAt);
    if (m_dialogs.MsgBox(question, MsgButtons::YesNo, MsgIcon::Question) != vbYes) {
        remove();
        return;
    }
    EditingComponent *editor = m_w.DHTMLEdit1;
    bool restored = false;
    try {
        // Under its old path, so Save writes it back there in the file's own
        // encoding; untitled when that file is gone or cannot be opened.
        bool underPath = false;
        if (!page.path.isEmpty() && QFileInfo(page.path).isFile()) {
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
        m_dialogs.MsgBox(RecoveryTexts::NotRestored.arg(QDir::toNativeSeparators(setAside())),
                         MsgButtons::OK, MsgIcon::Exclamation);
        m_hooks.titleRefresh();
        return;
    }
    m_state.changed = true;
    m_hooks.titleRefresh();
    m_hooks.statusRefresh();
}
