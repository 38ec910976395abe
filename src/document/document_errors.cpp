#include "document/document_errors.h"

#include "app/editing_component.h"

namespace {

// Automation callers see these two failures as small error numbers rather
// than as raw codes; both forms mean the same.
constexpr quint32 AutomationInvalidArg = 5;
constexpr quint32 AutomationAccessDenied = 70;

// Codes both tables share.
QString commonErrorText(quint32 code)
{
    using namespace ComponentErrorCode;
    switch (code) {
    case Unexpected:
        return QStringLiteral("Unexpected error");
    case PathNotFound:
        return QStringLiteral("Path not found");
    case InvalidArg:
    case AutomationInvalidArg:
        return QStringLiteral("Invalid argument");
    case AccessDenied:
    case AutomationAccessDenied:
        return QStringLiteral("Access denied");
    case Timeout:
        return QStringLiteral("The editing engine did not respond in time");
    default:
        return QStringLiteral("Unknown error");
    }
}

} // namespace

QString loadErrorText(quint32 code)
{
    using namespace ComponentErrorCode;
    switch (code) {
    case Frameset:
        return QStringLiteral("Document contains a frameset");
    case ServerScript:
        return QStringLiteral("Document is primarily server side script");
    case FileNotFound:
        return QStringLiteral("File not found");
    case NotHtml:
        return QStringLiteral("File is not an HTML page");
    case PageTooLarge:
        return QStringLiteral("Document is larger than 32 MB, the most the editor opens");
    case PageTooDeep:
        return QStringLiteral("Document nests its elements more than 4000 levels deep, more than "
                              "the editor can edit");
    default:
        return commonErrorText(code);
    }
}

QString saveErrorText(quint32 code)
{
    if (code == ComponentErrorCode::DiskFull)
        return QStringLiteral("Disk is full");
    if (code == ComponentErrorCode::PageReplaced)
        return QStringLiteral("The editor no longer holds the page that was opened, so nothing "
                              "was written");
    return commonErrorText(code);
}

QString loadErrorMessage(quint32 code)
{
    return QStringLiteral("Error occurred while loading document: ") + loadErrorText(code)
        + QLatin1Char('.');
}

QString saveErrorMessage(quint32 code)
{
    return QStringLiteral("Corvan DHTML Editor cannot save this file. Error occurred while saving "
                          "document: ")
        + saveErrorText(code) + QLatin1Char('.');
}
