#pragma once

// The real editing component: a browser view in design mode, driven by the
// editing engine (js/) that runs in an isolated world of the page and talks to
// us only through EngineBridge.

#include "app/editing_component.h"
#include "platform/editing/page_file.h"
#include "platform/editing/page_file_dialogs.h"
#include "platform/editing/page_mirror.h"
#include "platform/editing/page_states.h"
#include "platform/editing/server_blocks.h"
#include "platform/editing/source_tree.h"

#include <QJsonObject>
#include <QUrl>

#include <memory>
#include <optional>

class EngineBridge;
class EngineDialogs;
struct FindRequest;
class EditorPage;
class PagePrintDialog;
class QPrinter;
class QWebChannel;
class QWebEngineView;

class WebEditingComponent : public EditingComponent
{
    Q_OBJECT
public:
    explicit WebEditingComponent(QWidget *parentWidget = nullptr);
    ~WebEditingComponent() override;

    static constexpr int LoadTimeoutMs = 60000;
    // How long edits pause before the page's copy is refreshed.
    static constexpr int BackupIdleMs = 2000;
    // When a page that drew no frame yet is made ready for editing anyway.
    static constexpr int SettleAfterMs = 500;

    QVariant ExecCommand(int cmdId, int option = OLECMDEXECOPT_DODEFAULT,
                         const QVariant &input = {}) override;
    using EditingComponent::ExecCommand;
    int QueryStatus(int cmdId) override;
    void SetContextMenu(const QStringList &texts, const QList<int> &states) override;

    void NewDocument() override;
    bool LoadDocument(const QString &path, bool promptUser = false) override;
    bool SaveDocument(const QString &path, bool promptUser = false) override;
    void LoadURL(const QString &url) override;
    void CancelLoadURL() override;
    void PrintDocument(bool showDialog) override;
    void Refresh() override;

    QString DocumentHTML() override;
    QString RecoveryHTML() override;
    std::function<QString()> KeptRecoveryHTML() override;
    bool InputPending() override;
    void setDocumentHTML(const QString &html) override;
    QString CurrentDocumentPath() override { return m_path; }
    QString LoadWarning() const override { return m_loadWarning; }
    QString DocumentEncoding() const override;
    bool Busy() const override;
    bool DocumentChangedOnDisk() override;
    void AcceptDiskState() override;

    bool ShowBorders() const override { return m_borders; }
    void setShowBorders(bool on) override;
    bool ShowDetails() const override { return m_details; }
    void setShowDetails(bool on) override;

    QJsonValue domCall(const QString &operation, const QJsonValue &args = {}) override;
    QWidget *widget() override;

    // The component's own Open and Save As dialogs; tests script them.
    void setFileDialogs(std::unique_ptr<PageFileDialogs> dialogs);
    // How long LoadURL waits for a page.
    static constexpr int UrlTimeoutMs = 30000;
    void setUrlTimeout(int ms) { m_urlTimeoutMs = ms; }
    // The component's own print dialog; tests script it.
    void setPrintDialog(std::unique_ptr<PagePrintDialog> dialog);

    EngineBridge *bridge() const { return m_bridge; }
    QWebEngineView *view() const { return m_view; }

private:
    void loadHtml(const QString &html, const QString &path);
    void loadUrl(const QUrl &url);
    void onEngineEvent(const QString &name, const QJsonValue &payload);
    void onFocusChanged(QWidget *old, QWidget *now);
    void showContextMenuAt(const QPoint &pos);
    void showContextMenuNow(const QPoint &pos);
    void setSnapshot(const QJsonValue &snapshot);
    const QJsonObject &snapshot();
    void pushViewOptions();
    // Renderer loss (web_component_recovery.cpp).
    void watchRenderer();
    void rememberPage(const QString &html);
    void refreshBackup();
    void onNotice(const QString &name, const QJsonValue &payload);
    std::function<QString()> mirroredPage() const;
    void onRendererGone();
    void restoreAfterRendererLoss();
    void checkPageIsTheLoadedOne();
    bool pageIsAsRead();

    // Pages from a web address (web_component_url.cpp).
    QString withPageBase(const QString &html) const;
    QString serializedPage(const QJsonValue &options);
    // The text each page was loaded from, as the browser got it.
    void keepSource(QString source);
    void sendSource(const SourceTree &tree);
    QString splicedPage();
    // Printing (web_component_print.cpp).
    void printPage(QPrinter &printer);

    // The address a page opened by LoadURL came from: its relative links
    // resolve against it while it is edited, and are saved absolute.
    QUrl m_pageBase;
    int m_urlTimeoutMs = UrlTimeoutMs;
    // The fetch LoadURL is waiting for, if any.
    class FetchCancel *m_urlFetch = nullptr;
    std::unique_ptr<PagePrintDialog> m_printDialog;

    QWebEngineView *m_view = nullptr;
    EditorPage *m_page = nullptr;
    QWebChannel *m_channel = nullptr;
    EngineBridge *m_bridge = nullptr;
    std::unique_ptr<PageFileDialogs> m_fileDialogs;
    QString m_path;
    // The encoding the page came in, to save it back the same way.
    PageText m_format;
    int m_fileLoads = 0;
    QString m_loadWarning;
    // The page's file as last read or written: whether it existed, its size
    // and its modification time.
    struct DiskStamp
    {
        bool exists = false;
        qint64 size = -1;
        qint64 modifiedMs = 0;
        bool operator==(const DiskStamp &) const = default;
    };
    static DiskStamp diskStamp(const QString &path);
    DiskStamp m_diskStamp;
    // The file's bytes as read, and the page loaded from them.
    QByteArray m_bytesRead;
    QUrl m_bytesPageUrl;
    // The last whole copy of the page, to reload after the renderer is lost
    // when the copy kept as it changes cannot be had.
    QString m_backupHtml;
    class QTimer *m_backupTimer = nullptr;
    bool m_restoring = false;
    // The page as the engine reported it with each change, and the caret's
    // place with the last notice; what the lost renderer held.
    PageMirror m_mirror;
    bool m_mirrorAsked = false;
    QJsonValue m_caret;
    std::optional<QString> m_lostPage;
    QJsonValue m_lostCaret;
    // The page the component last loaded, and the engine instance in it.
    QUrl m_pageUrl;
    QString m_pageInstance;
    // The text the page loaded from m_sourceUrl came from (server code as
    // tokens, refresh disarmed); null when there is none to keep.
    QString m_source;
    QUrl m_sourceUrl;
    SourceParse m_sourceParse;
    class QTimer *m_sourceTimer = nullptr;
    // How that page wrote the names of the refresh declarations renamed.
    QStringList m_refreshNames;
    // Server code held back from the page loaded from m_serverBlocksUrl.
    ServerBlockTable m_serverBlocks;
    QUrl m_serverBlocksUrl;
    QJsonObject m_snapshot;
    bool m_snapshotValid = false;
    bool m_borders = false;
    bool m_details = false;
    bool m_hadFocus = false;
    QStringList m_menuTexts;
    QList<int> m_menuStates;
    bool m_menuOffered = false;

    // The editing commands with a host side (web_component_commands.cpp):
    // the component's dialogs, the system clipboard, and undo across pages
    // put in whole.
public:
    void setEngineDialogs(std::unique_ptr<EngineDialogs> dialogs);
    EngineDialogs *engineDialogs();
    // Selects the next match; false when there is none.
    bool findText(const FindRequest &request);
    // Pastes above this many characters ask first (web_component_paste.cpp).
    static constexpr qint64 LargePasteChars = 2 * 1024 * 1024;

private:
    std::optional<QVariant> execHostCommand(int cmdId, int option, const QVariant &input);
    QJsonValue execInEngine(int cmdId, int option, const QJsonValue &input);
    void execFontDialog();
    void execLinkDialog();
    void pasteClipboard(int option);
    void watchForStalls();
    // Undo across pages put in whole (web_component_history.cpp).
    QStringList pagesAlongHistory(bool back);
    void watchOuterHistory();
    bool syncPutHistory();
    void publishPutHistory();
    void stepAcrossPut(bool undo);

    std::unique_ptr<EngineDialogs> m_engineDialogs;
    PageStates m_pageStates;
    // The empty page New loaded, which a put does not keep to go back to.
    QUrl m_blankPageUrl;
    bool m_historyWatched = false;
};

// The engine's script: the web channel client followed by the engine files.
QString editingEngineSource();
