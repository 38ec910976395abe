#include "platform/editing/web_editing_component.h"

#include "app/event_loop.h"

#include "platform/editing/editor_page.h"
#include "platform/editing/engine_bridge.h"
#include "platform/editing/engine_dialogs.h"
#include "platform/editing/html_rules.h"
#include "platform/editing/page_file.h"
#include "platform/editing/page_file_dialogs.h"
#include "platform/editing/page_input.h"
#include "platform/editing/page_limits.h"
#include "platform/editing/page_print_dialog.h"
#include "platform/editing/page_scheme.h"
#include "platform/editing/refresh_guard.h"
#include "platform/editing/server_blocks.h"
#include "platform/editing/source_tree.h"
#include "platform/local_path.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing resource %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

// The get-commands answer from the snapshot that every notification carries.
bool isValueCommand(int cmdId)
{
    return cmdId == DECMD_GETBLOCKFMT || cmdId == DECMD_GETFONTNAME || cmdId == DECMD_GETFONTSIZE;
}

// Paste inserts HTML or text; anything else on the clipboard gives it nothing.
bool clipboardHasPage()
{
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    return mime && ((mime->hasText() && !mime->text().isEmpty()) || mime->hasHtml());
}

} // namespace

// The channel's client, started as the document is created; qwebchannel.js
// stays inside the closure, out of the page's reach.
static QString earlyChannelSource()
{
    return QStringLiteral("(function () {\n")
        + readResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + QStringLiteral("\n;\n")
        + readResource(QStringLiteral(":/engine/early/channel-early.js"))
        + QStringLiteral("\n})();\n");
}

QString editingEngineSource()
{
    static const QString source = [] {
        // The engine must start once per document, even if the script is
        // injected again; a second channel on the same transport would steal
        // the first one's answers. The page's elements are named properties
        // of the window (an id, a form's or a frame's name), so nothing here
        // may read a global the page could shadow: the flag is checked as the
        // window's own property, and the engine's names live in a closure.
        QString text = QStringLiteral(
            "(function () {\n"
            "if (Object.prototype.hasOwnProperty.call(window, '__corvaneEngineLoaded'))\n"
            "  return;\n"
            "Object.defineProperty(window, '__corvaneEngineLoaded', { value: true });\n");
        QDir dir(QStringLiteral(":/engine/js"));
        const QStringList files = dir.entryList({QStringLiteral("*.js")}, QDir::Files, QDir::Name);
        for (const QString &name : files)
            text += QStringLiteral("\n;\n") + readResource(dir.filePath(name));
        // Kept reachable for the benchmarks' probes, as an own property the
        // page cannot shadow.
        return text
            + QStringLiteral("\nObject.defineProperty(window, 'Corvane', { value: Corvane });\n"
                             "})();\n");
    }();
    return source;
}

WebEditingComponent::WebEditingComponent(QWidget *parentWidget)
    : EditingComponent(nullptr)
    , m_view(new QWebEngineView(parentWidget))
    , m_page(new EditorPage(m_view))
    , m_channel(new QWebChannel(this))
    , m_bridge(new EngineBridge(this))
    , m_fileDialogs(std::make_unique<QtPageFileDialogs>())
{
    m_view->setPage(m_page);
    new PageInput(m_view, m_bridge);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this,
            &WebEditingComponent::showContextMenuAt);

    m_channel->registerObject(QStringLiteral("bridge"), m_bridge);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);

    const auto insertScript = [this](const char *name, const QString &source,
                                     QWebEngineScript::InjectionPoint at) {
        QWebEngineScript script;
        script.setName(QLatin1String(name));
        script.setSourceCode(source);
        script.setInjectionPoint(at);
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setRunsOnSubFrames(false);
        m_page->scripts().insert(script);
    };
    insertScript("corvane-editing-engine", editingEngineSource(), QWebEngineScript::DocumentReady);
    // Ahead of the page's first layout, so that a large page is never laid
    // out whole before the engine starts.
    insertScript("corvane-early-skip", readResource(QStringLiteral(":/engine/early/offscreen-early.js")),
                 QWebEngineScript::DocumentCreation);
    insertScript("corvane-channel", earlyChannelSource(), QWebEngineScript::DocumentCreation);

    connect(m_bridge, &EngineBridge::engineEvent, this, &WebEditingComponent::onEngineEvent);
    watchRenderer();
    watchForStalls();
    connect(qApp, &QApplication::focusChanged, this, &WebEditingComponent::onFocusChanged);
}

WebEditingComponent::~WebEditingComponent()
{
    // The view may live in a window that outlives us; take it down with us.
    delete m_view;
}

QWidget *WebEditingComponent::widget()
{
    return m_view;
}

void WebEditingComponent::loadHtml(const QString &pageHtml, const QString &path)
{
    // Server code would be garbled by the browser: the page gets tokens in
    // its place, and DocumentHTML reads the code back.
    ProtectedPage page = protectServerBlocks(pageHtml);
    // The page's text as the browser gets it, but for the engine's own base.
    QStringList refreshNames;
    QString source = disarmRefresh(page.html, &refreshNames);
    const QUrl url = pageSchemeHandler()->publish(
        path, m_pageBase.isEmpty() ? source : withPageBase(source));
    m_serverBlocks = std::move(page.table);
    m_serverBlocksUrl = url;
    try {
        loadUrl(url);
    } catch (...) {
        pageSchemeHandler()->withdraw(url);
        throw;
    }
    pageSchemeHandler()->withdraw(url);
    keepSource(std::move(source));
    m_refreshNames = std::move(refreshNames);
    if (!m_serverBlocks.isEmpty())
        m_bridge->call(QStringLiteral("setServerBlocks"), m_serverBlocks.toJson());
}

void WebEditingComponent::loadUrl(const QUrl &url)
{
    m_snapshotValid = false;
    m_page->expectNavigation(url);
    // The page shows once its text is laid out; its pictures come after.
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    m_page->load(url);
    m_pageUrl = QUrl();
    const QJsonValue info = m_bridge->waitForReady(url, LoadTimeoutMs);
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    m_pageUrl = url;
    m_pageInstance = info.toObject().value("instance").toString();
    setSnapshot(info.toObject().value("snapshot"));
    pushViewOptions();
}

// The engine reads a file itself when it would decode it exactly as we did:
// UTF-8 that says so up front. A large page then arrives in one piece instead
// of being laid out again for every piece our scheme hands over.
static bool engineDecodesAlike(const PageText &page, const QString &path)
{
    // The browser picks the type of a file by its name: anything but an HTML
    // name would be shown as text or XML. A refresh declaration must be
    // disarmed first, which only our own serving does.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("htm") && suffix != QLatin1String("html"))
        return false;
    if (page.encoding != "UTF-8" || mayDeclareRefresh(page.html))
        return false;
    // Server code must be held back from the browser first, by loadHtml.
    if (hasServerBlocks(page.html))
        return false;
    if (page.bom)
        return true;
    const CharsetDeclaration declaration = findCharsetDeclaration(page.html);
    return declaration.isValid() && declaration.valueStart < 1024
        && canonicalEncodingName(declaration.label) == "UTF-8";
}

QString WebEditingComponent::DocumentHTML()
{
    return serializedPage(QJsonValue());
}

// The page's own text outside the edits costs a parse and a check of the
// whole page, seconds on a large one; a copy kept against a crash is taken
// every time the user pauses, so it is the engine's serialisation instead.
QString WebEditingComponent::RecoveryHTML()
{
    return serializedPage(QJsonObject {});
}

// The text is parsed on a worker as soon as the page is in, and handed to
// the engine when the parse is done, so that saving an edited page finds
// the pairing made.
void WebEditingComponent::keepSource(QString source)
{
    m_source = std::move(source);
    m_sourceUrl = m_pageUrl;
    m_sourceParse = m_source.isEmpty() ? SourceParse() : SourceParse(m_source);
    if (!m_sourceTimer) {
        m_sourceTimer = new QTimer(this);
        m_sourceTimer->setInterval(100);
        connect(m_sourceTimer, &QTimer::timeout, this, [this] {
            if (!m_sourceParse.isStarted() || m_sourceUrl != m_pageUrl) {
                m_sourceTimer->stop();
            } else if (m_sourceParse.isReady()) {
                m_sourceTimer->stop();
                sendSource(m_sourceParse.take());
            }
        });
    }
    if (m_sourceParse.isStarted())
        m_sourceTimer->start();
}

// Unanswered: the engine takes it in its own time, and a page that replaced
// this one meanwhile (another engine instance) leaves it aside.
void WebEditingComponent::sendSource(const SourceTree &tree)
{
    m_bridge->send(QStringLiteral("setSource"),
                   QJsonObject{{"text", tree.isEmpty() ? QJsonValue() : QJsonValue(m_source)},
                               {"tree", tree.toJson()},
                               {"instance", m_pageInstance}});
}

// The page's own text where it was not edited, the browser's HTML where it
// was (js/11-source.js). The engine gets the text and its parse only once
// an edited page is first read out.
QString WebEditingComponent::splicedPage()
{
    const QJsonObject args{{"splice", true}};
    QJsonValue answer = m_bridge->call(QStringLiteral("getHtml"), args);
    if (answer.toObject().value("needSource").toBool()) {
        // Read out before the parse was handed over, or by an engine that
        // replaced a lost renderer.
        if (m_sourceTimer)
            m_sourceTimer->stop();
        sendSource(m_sourceParse.isStarted() ? m_sourceParse.take() : parseSourceTree(m_source));
        answer = m_bridge->call(QStringLiteral("getHtml"), args);
    }
    if (answer.toObject().value("unchanged").toBool())
        return m_source;
    if (answer.toObject().contains(QLatin1String("pieces"))) {
        const std::optional<QString> page
            = joinPieces(m_source, answer.toObject().value("pieces").toArray());
        if (page)
            return *page;
    } else if (answer.isString()) {
        return answer.toString();
    }
    return m_bridge->call(QStringLiteral("getHtml")).toString();
}

QString WebEditingComponent::serializedPage(const QJsonValue &options)
{
    // Links made absolute change the whole page: written as the browser has it.
    const bool ownText = !options.isObject() && !m_source.isNull() && m_sourceUrl == m_pageUrl;
    const QString html = rearmRefresh(
        ownText ? splicedPage()
                : m_bridge->call(QStringLiteral("getHtml"), options).toString(),
        m_sourceUrl == m_pageUrl ? m_refreshNames : QStringList());
    // The tokens are read back only in the page they were given to.
    return m_pageUrl == m_serverBlocksUrl ? m_serverBlocks.restore(html) : html;
}

void WebEditingComponent::NewDocument()
{
    m_path.clear();
    m_pageBase.clear();
    m_format = PageText(); // new pages are saved as UTF-8
    loadHtml(QString(), QString());
    m_blankPageUrl = m_pageUrl;
    // Nothing to keep: a new page is written as the browser has it.
    m_source = QString();
    m_sourceParse = SourceParse();
    rememberPage(QString());
}

QVariant WebEditingComponent::ExecCommand(int cmdId, int option, const QVariant &input)
{
    if (isValueCommand(cmdId) && snapshotCurrent()) {
        const QJsonValue v = m_snapshot.value("values").toObject().value(QString::number(cmdId));
        if (!v.isUndefined())
            return v.toVariant();
    }
    if (const std::optional<QVariant> hosted = execHostCommand(cmdId, option, input))
        return *hosted;
    m_snapshotValid = false;
    const QJsonObject args{{"cmd", cmdId},
                           {"option", option},
                           {"input", QJsonValue::fromVariant(input)}};
    const QJsonObject answer = m_bridge->call(QStringLiteral("exec"), args).toObject();
    if (answer.contains("snapshot"))
        setSnapshot(answer.value("snapshot"));
    return answer.value("value").toVariant();
}

int WebEditingComponent::QueryStatus(int cmdId)
{
    const QJsonValue v = snapshot().value("status").toObject().value(QString::number(cmdId));
    const int status = v.isUndefined() ? int(DECMDF_NOTSUPPORTED) : v.toInt();
    // The page cannot see the clipboard: nothing to paste is the host's to tell.
    if (cmdId == DECMD_PASTE && status > DECMDF_DISABLED && !clipboardHasPage())
        return DECMDF_DISABLED;
    return status;
}

const QJsonObject &WebEditingComponent::snapshot()
{
    if (!snapshotCurrent())
        setSnapshot(m_bridge->call(QStringLiteral("snapshot")));
    return m_snapshot;
}

// A state the page told before it took the keys typed since is not the
// state a command typed right after them meets.
bool WebEditingComponent::snapshotCurrent() const
{
    return m_snapshotValid && (m_showingNotice || m_snapshotKeys >= m_bridge->keysSent());
}

void WebEditingComponent::setSnapshot(const QJsonValue &snapshot)
{
    m_snapshot = snapshot.toObject();
    m_snapshotValid = !m_snapshot.isEmpty();
    // A notice says which keys it follows; an answer follows all keys sent
    // before its call.
    const QJsonValue keys = m_snapshot.value("keys");
    m_snapshotKeys = keys.isObject() ? m_bridge->keysTakenBy(keys.toObject()) : m_bridge->keysSent();
}

void WebEditingComponent::onEngineEvent(const QString &name, const QJsonValue &payload)
{
    if (name == QLatin1String("DisplayChanged")) {
        setSnapshot(payload);
        if (payload.toObject().value("contentChanged").toBool())
            emit ContentChanged();
        // What reads the state now (the toolbar) takes it as told: a notice
        // for the keys still on their way follows.
        const QScopedValueRollback<bool> told(m_showingNotice, true);
        emit DisplayChanged();
    } else if (name == QLatin1String("PasteRequested")) {
        // Ctrl+V in the page: the clipboard is read, and a large paste asked
        // about, here rather than by the browser.
        try {
            ExecCommand(DECMD_PASTE, OLECMDEXECOPT_DODEFAULT);
        } catch (const ComponentError &) {
        }
    } else if (name == QLatin1String("DocumentComplete")) {
        // The engine finishes its start with the page's first frames; a view
        // out of sight draws none, so it is asked to once the page is in.
        QTimer::singleShot(SettleAfterMs, this, [this] { m_bridge->send(QStringLiteral("settle")); });
        emit DocumentComplete();
    }
}

void WebEditingComponent::onFocusChanged(QWidget *, QWidget *now)
{
    const bool inside = now && (now == m_view || m_view->isAncestorOf(now)
                                || now == m_view->focusProxy());
    if (inside && !m_hadFocus)
        emit GotFocus();
    m_hadFocus = inside;
}

void WebEditingComponent::SetContextMenu(const QStringList &texts, const QList<int> &states)
{
    m_menuTexts = texts;
    m_menuStates = states;
    m_menuOffered = true;
}

void WebEditingComponent::showContextMenuAt(const QPoint &pos)
{
    // The request arrives from inside the browser's own event handling, where
    // a call to the engine could not be answered; the menu is built from the
    // event loop instead, with the statuses at the caret the click just put
    // down rather than those of the last notification.
    runFromEventLoop(this, [this, pos] {
        m_snapshotValid = false;
        showContextMenuNow(pos);
    });
}

void WebEditingComponent::showContextMenuNow(const QPoint &pos)
{
    // The handler of ShowContextMenu hands us the items through SetContextMenu.
    m_menuOffered = false;
    emit ShowContextMenu(pos.x(), pos.y());
    if (!m_menuOffered || m_menuTexts.isEmpty())
        return;
    QMenu menu(m_view);
    QList<QAction *> actions;
    for (int i = 0; i < m_menuTexts.size(); ++i) {
        if (m_menuTexts[i].isEmpty()) {
            actions.append(menu.addSeparator());
            continue;
        }
        QAction *a = menu.addAction(m_menuTexts[i]);
        a->setEnabled(m_menuStates.value(i) != 2);
        actions.append(a);
    }
    QAction *chosen = menu.exec(m_view->mapToGlobal(pos));
    const int index = actions.indexOf(chosen);
    if (chosen && index >= 0)
        emit ContextMenuAction(index);
}

void WebEditingComponent::Refresh()
{
    m_view->update();
}

void WebEditingComponent::setShowBorders(bool on)
{
    m_borders = on;
    pushViewOptions();
}

void WebEditingComponent::setShowDetails(bool on)
{
    m_details = on;
    pushViewOptions();
}

// Unanswered: a page just loaded takes it before its first frame instead of
// holding the caller until that frame is drawn.
void WebEditingComponent::pushViewOptions()
{
    m_bridge->send(QStringLiteral("setView"),
                   QJsonObject{{"borders", m_borders}, {"details", m_details}});
}

QJsonValue WebEditingComponent::domCall(const QString &operation, const QJsonValue &args)
{
    // A document operation may move the selection or change the page; the
    // next status query asks the engine afresh.
    m_snapshotValid = false;
    return m_bridge->call(QStringLiteral("dom"), QJsonObject{{"op", operation}, {"args", args}});
}

bool WebEditingComponent::LoadDocument(const QString &path, bool promptUser)
{
    QString chosen = path;
    if (promptUser) {
        chosen = m_fileDialogs->openPagePath(m_view->window());
        if (chosen.isEmpty())
            return false; // the user cancelled: nothing changes
    }
    if (chosen.isEmpty())
        throw ComponentError(ComponentErrorCode::InvalidArg, QStringLiteral("No file was named."));
    m_loadWarning.clear();
    checkPageFileSize(chosen); // before a huge file is read into memory
    // Taken before the read: a change made while it reads is still a change.
    const DiskStamp stamp = diskStamp(chosen);
    QByteArray bytes;
    PageText page = readPageFile(chosen, &bytes);
    checkPageAcceptable(page.html);
    checkPageLimits(page.html);
    const QString fullPath = absolutePath(chosen);
    m_pageBase.clear();
    if (engineDecodesAlike(page, fullPath)) {
        QUrl url = fileUrl(fullPath); // the browser reads the name's own bytes
        url.setQuery(QStringLiteral("g=%1").arg(++m_fileLoads)); // a fresh load, never a fragment move
        loadUrl(url);
        keepSource(page.html);
        m_refreshNames.clear();
    } else {
        loadHtml(page.html, fullPath);
    }
    rememberPage(page.html);
    m_bytesRead = std::move(bytes);
    m_bytesPageUrl = m_pageUrl;
    page.html.clear(); // only the file's format is kept, for saving it back
    m_format = page;
    m_path = fullPath;
    m_diskStamp = stamp;
    if (page.replacedSequences > 0)
        m_loadWarning = QStringLiteral(
            "Some bytes of this page are not valid %1 (%2 places). They are shown as "
            "replacement characters (\uFFFD) and will be saved that way.")
            .arg(QString::fromLatin1(page.encoding))
            .arg(page.replacedSequences);
    return true;
}

bool WebEditingComponent::SaveDocument(const QString &path, bool promptUser)
{
    QString chosen = path;
    if (promptUser) {
        chosen = m_fileDialogs->savePagePath(m_view->window(), m_path);
        if (chosen.isEmpty())
            return false;
    }
    if (chosen.isEmpty())
        throw ComponentError(ComponentErrorCode::InvalidArg, QStringLiteral("No file was named."));
    checkPageIsTheLoadedOne();
    if (pageIsAsRead()) {
        // Nothing was changed: the file gets back exactly what was read, its
        // line ends, case, quoting and entities included.
        writePageBytes(chosen, m_bytesRead);
    } else {
        // A copy of a web page shows the same page only with its links absolute.
        const QString html = m_pageBase.isEmpty()
            ? DocumentHTML()
            : serializedPage(
                QJsonObject{{"absoluteUrls", m_pageBase.toString(QUrl::FullyEncoded)}});
        writePageFile(chosen, html, m_format);
    }
    m_path = absolutePath(chosen);
    m_diskStamp = diskStamp(m_path);
    return true;
}

// The bytes read belong to the page loaded from them (any later load is
// another page), and only while every edit since has been undone.
bool WebEditingComponent::pageIsAsRead()
{
    if (m_bytesPageUrl.isEmpty() || m_bytesPageUrl != m_pageUrl)
        return false;
    return m_bridge->call(QStringLiteral("historyState")).toObject().value("atLoad").toBool();
}

// The last guard before the disk: whatever went wrong in the view, a page
// that is not the one the component loaded is never written over a file.
void WebEditingComponent::checkPageIsTheLoadedOne()
{
    const QJsonObject announced = m_bridge->lastAnnouncement().toObject();
    const bool same = !m_pageUrl.isEmpty() && m_page->url() == m_pageUrl
        && QUrl(announced.value("url").toString()) == m_pageUrl
        && announced.value("instance").toString() == m_pageInstance;
    if (!same)
        throw ComponentError(ComponentErrorCode::PageReplaced,
                             QStringLiteral("The editor no longer holds the page that was loaded."));
}

QString WebEditingComponent::DocumentEncoding() const
{
    return QString::fromLatin1(m_format.encoding);
}

bool WebEditingComponent::Busy() const
{
    return m_bridge->busy();
}

WebEditingComponent::DiskStamp WebEditingComponent::diskStamp(const QString &path)
{
    struct stat info;
    if (!statPath(path, info))
        return {};
    return {true, qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000};
}

bool WebEditingComponent::DocumentChangedOnDisk()
{
    return !m_path.isEmpty() && !(diskStamp(m_path) == m_diskStamp);
}

void WebEditingComponent::AcceptDiskState()
{
    if (!m_path.isEmpty())
        m_diskStamp = diskStamp(m_path);
}

void WebEditingComponent::setFileDialogs(std::unique_ptr<PageFileDialogs> dialogs)
{
    m_fileDialogs = std::move(dialogs);
}
