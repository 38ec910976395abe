#pragma once

// The interface through which the whole program talks to the page. The real
// implementation drives a browser engine (platform/editing); tests use a
// scripted fake. Member names follow the editing control the program was
// designed around, so handlers read like their descriptions.

#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <stdexcept>

// Command IDs: the editing control's published numbers.
enum DhtmlEditCommand : int {
    DECMD_BOLD = 5000,
    DECMD_COPY = 5002,
    DECMD_CUT = 5003,
    DECMD_DELETE = 5004,
    DECMD_DELETECELLS = 5005,
    DECMD_DELETECOLS = 5006,
    DECMD_DELETEROWS = 5007,
    DECMD_FINDTEXT = 5008,
    DECMD_FONT = 5009,
    DECMD_GETBLOCKFMT = 5011,
    DECMD_GETBLOCKFMTNAMES = 5012,
    DECMD_GETFONTNAME = 5013,
    DECMD_GETFONTSIZE = 5014,
    DECMD_HYPERLINK = 5016,
    DECMD_INDENT = 5018,
    DECMD_INSERTCELL = 5019,
    DECMD_INSERTCOL = 5020,
    DECMD_INSERTROW = 5021,
    DECMD_INSERTTABLE = 5022,
    DECMD_ITALIC = 5023,
    DECMD_JUSTIFYCENTER = 5024,
    DECMD_JUSTIFYLEFT = 5025,
    DECMD_JUSTIFYRIGHT = 5026,
    DECMD_LOCK_ELEMENT = 5027,
    DECMD_MAKE_ABSOLUTE = 5028,
    DECMD_MERGECELLS = 5029,
    DECMD_ORDERLIST = 5030,
    DECMD_OUTDENT = 5031,
    DECMD_PASTE = 5032,
    DECMD_REDO = 5033,
    DECMD_SELECTALL = 5035,
    DECMD_SEND_BACKWARD = 5036,
    DECMD_BRING_FORWARD = 5037,
    DECMD_SEND_BELOW_TEXT = 5038,
    DECMD_BRING_ABOVE_TEXT = 5039,
    DECMD_SEND_TO_BACK = 5040,
    DECMD_BRING_TO_FRONT = 5041,
    DECMD_SETBLOCKFMT = 5043,
    DECMD_SETFONTNAME = 5044,
    DECMD_SETFONTSIZE = 5045,
    DECMD_SETFORECOLOR = 5046,
    DECMD_SPLITCELL = 5047,
    DECMD_UNDERLINE = 5048,
    DECMD_UNDO = 5049,
    DECMD_UNORDERLIST = 5051,
};

// Command status values.
enum DhtmlEditCommandStatus : int {
    DECMDF_NOTSUPPORTED = 0,
    DECMDF_DISABLED = 1,
    DECMDF_ENABLED = 3,
    DECMDF_LATCHED = 7,
    DECMDF_NINCHED = 11,
};

// Execution options.
enum OleCmdExecOpt : int {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2,
};

// Error codes a failing member reports; the document messages translate them.
namespace ComponentErrorCode {
constexpr quint32 NotImplemented = 0x80004001; // E_NOTIMPL
constexpr quint32 Unexpected = 0x8000FFFF; // E_UNEXPECTED
constexpr quint32 FileNotFound = 0x80070002;
constexpr quint32 PathNotFound = 0x80070003;
constexpr quint32 AccessDenied = 0x80070005;
constexpr quint32 DiskFull = 0x80070027;
constexpr quint32 InvalidArg = 0x80070057;
constexpr quint32 Timeout = 0x800705B4; // the engine did not answer in time
constexpr quint32 Frameset = 0x80100001;
constexpr quint32 ServerScript = 0x80100002;
constexpr quint32 NotHtml = 0x80100003; // binary or otherwise not a page at all
// The view no longer holds the page that was loaded (it navigated away or its
// document was replaced); nothing is saved from it.
constexpr quint32 PageReplaced = 0x80100004;
// The page is over the size or the nesting depth the editor handles
// (platform/editing/page_limits.h).
constexpr quint32 PageTooLarge = 0x80100005;
constexpr quint32 PageTooDeep = 0x80100006;
// LoadURL: the address is not one the component reads, the host is unknown,
// the connection failed, the server answered with an error status, or the
// transfer failed or ran out of time.
constexpr quint32 InvalidUrl = 0x800C0002;
constexpr quint32 CannotConnect = 0x800C0004;
constexpr quint32 HostNotFound = 0x800C0005;
constexpr quint32 ObjectNotFound = 0x800C0006;
constexpr quint32 DownloadFailure = 0x800C0008;
constexpr quint32 ConnectionTimeout = 0x800C000B;
// The user stopped the work (HRESULT_FROM_WIN32(ERROR_CANCELLED)).
constexpr quint32 Cancelled = 0x800704C7;
} // namespace ComponentErrorCode

class ComponentError : public std::runtime_error
{
public:
    explicit ComponentError(quint32 code = ComponentErrorCode::Unexpected, const QString &message = {})
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message)
    {}
    quint32 code() const { return m_code; }
    QString message() const { return m_message; }

private:
    quint32 m_code;
    QString m_message;
};

// The block-format-names parameter object: the component fills Names.
struct DEGetBlockFmtNamesParam
{
    QStringList Names;
};

// The insert-table parameter object. What a caller does not set keeps these
// defaults: a one-cell table with a thin border, three quarters of the page wide.
struct DEInsertTableParam
{
    int NumRows = 1;
    int NumCols = 1;
    QString TableAttrs = QStringLiteral(R"(border="1" cellpadding="1" cellspacing="1" width="75%")");
    QString CellAttrs;
    QString Caption;
};

class EditingComponent;

// An element of the page, as a handle the component gives out.
class PageElement
{
public:
    PageElement(EditingComponent *component, const QJsonValue &handle)
        : m_component(component), m_handle(handle)
    {}
    // Written in the legacy style: tag names in capitals, attribute names in
    // lower case, a value that is a plain token left unquoted.
    QString outerHTML() const;

private:
    EditingComponent *m_component;
    QJsonValue m_handle;
};

// A range made from the selection: a text range (caret or selected text) or,
// for a selected control, a control range.
class PageRange
{
public:
    PageRange(EditingComponent *component, const QJsonValue &handle, bool control)
        : m_component(component), m_handle(handle), m_control(control)
    {}
    bool isControlRange() const { return m_control; }
    // Text range only.
    void Collapse(bool toStart = true) const;
    PageElement parentElement() const;
    // Control range only.
    PageElement commonParentElement() const;
    // Replaces what a text range covers with the HTML, as one undo step; a
    // control range keeps its control and takes the HTML right after it.
    void pasteHTML(const QString &html) const;

private:
    EditingComponent *m_component;
    QJsonValue m_handle;
    bool m_control;
};

class PageSelection
{
public:
    explicit PageSelection(EditingComponent *component) : m_component(component) {}
    // "None", "Text" or "Control".
    QString type() const;
    PageRange createRange() const;
    // Collapses the selection to the caret nearest to a point of the
    // component's control (its own pixels); false, nothing moved, when the
    // point is outside the page's content.
    bool moveCaretToPoint(const QPoint &point) const;

private:
    EditingComponent *m_component;
};

// The page's document object, reduced to the operations the program uses.
// Every operation goes through EditingComponent::domCall so fakes can script it.
class PageDom
{
public:
    explicit PageDom(EditingComponent *component) : m_component(component) {}
    PageSelection selection() const { return PageSelection(m_component); }
    // "None", "Text" or "Control".
    QString selectionType() const;
    // Attributes of the BODY element, such as bgColor or link colours.
    QString bodyAttribute(const QString &name) const;
    void setBodyAttribute(const QString &name, const QString &value) const;

private:
    EditingComponent *m_component;
};

class EditingComponent : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~EditingComponent() override = default;

    // Runs a command; returns a value only for the get-commands.
    virtual QVariant ExecCommand(int cmdId, int option = OLECMDEXECOPT_DODEFAULT,
                                 const QVariant &input = {}) = 0;
    // Fills the parameter object with the component's block format names.
    void ExecCommand(int cmdId, int option, DEGetBlockFmtNamesParam &param);
    void ExecCommand(int cmdId, int option, const DEInsertTableParam &param);

    virtual int QueryStatus(int cmdId) = 0;
    // Item states: 0 normal, 2 greyed. An empty text is a separator.
    virtual void SetContextMenu(const QStringList &texts, const QList<int> &states) = 0;

    virtual void NewDocument() = 0;
    // Both return false when the user cancelled the component's own dialog
    // (nothing was loaded or saved); failures throw ComponentError.
    virtual bool LoadDocument(const QString &path, bool promptUser = false) = 0;
    virtual bool SaveDocument(const QString &path, bool promptUser = false) = 0;
    // The window stays live while LoadURL waits for the server (so it should
    // be called from a modal window); CancelLoadURL stops that wait, and
    // LoadURL then throws Cancelled with the page in the editor untouched.
    virtual void LoadURL(const QString &url) = 0;
    virtual void CancelLoadURL() {}
    virtual void PrintDocument(bool showDialog) = 0;
    virtual void Refresh() = 0;

    virtual QString DocumentHTML() = 0;
    // The page for a copy kept against a crash, taken often while the user
    // works: the same page as DocumentHTML, but where that keeps the page's
    // own text at a cost on a large page, this may write it as serialised.
    virtual QString RecoveryHTML() { return DocumentHTML(); }
    // The same page from a copy the component keeps up to date as the page
    // changes: taking it costs nothing and asks nothing of the page, and the
    // text is made when the function runs, on any thread. Empty when the
    // component keeps no such copy now (RecoveryHTML then has the page).
    virtual std::function<QString()> KeptRecoveryHTML() { return {}; }
    // Keys the user typed into the page have not all shown in it yet (they
    // are on their way through the engine). Asked again and again while
    // waiting for them: each time may ask the page for news.
    virtual bool InputPending() { return false; }
    virtual void setDocumentHTML(const QString &html) = 0;
    virtual QString CurrentDocumentPath() = 0;
    // Something the user should know about the page the last LoadDocument
    // opened (it did open); empty when there is nothing to say.
    virtual QString LoadWarning() const { return {}; }
    // The encoding the page will be saved in ("UTF-8", "windows-1252", ...);
    // empty when the component does not say.
    virtual QString DocumentEncoding() const { return {}; }
    // A call to the page is waiting for its answer; another call now would
    // run inside that wait.
    virtual bool Busy() const { return false; }
    // The page's file is no longer as this component last read or wrote it:
    // another program changed, replaced or removed it. AcceptDiskState takes
    // the file as it is now as the one the page stands for.
    virtual bool DocumentChangedOnDisk() { return false; }
    virtual void AcceptDiskState() {}

    virtual bool ShowBorders() const = 0;
    virtual void setShowBorders(bool on) = 0;
    virtual bool ShowDetails() const = 0;
    virtual void setShowDetails(bool on) = 0;

    PageDom DOM() { return PageDom(this); }
    // One operation on the page's document object; see PageDom.
    virtual QJsonValue domCall(const QString &operation, const QJsonValue &args = {}) = 0;

    // The control placed in the window; null for a storage-only instance.
    virtual QWidget *widget() { return nullptr; }

signals:
    void DocumentComplete();
    void DisplayChanged();
    // The page's content changed since the last notification (an edit, a
    // command that altered the page). Comes before the DisplayChanged it
    // belongs to. Loading a page does not raise it.
    void ContentChanged();
    void ShowContextMenu(int x, int y);
    void ContextMenuAction(int itemIndex);
    void GotFocus();
    // The component lost its page through no action of the user's and put
    // back what it could; the message says what happened.
    void RendererRestarted(const QString &message);
};

// A component error with the "not implemented" code, for members a build does
// not offer yet; they never pretend to succeed.
[[noreturn]] void throwNotImplemented(const char *member);
