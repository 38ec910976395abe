#include "app/page_template.h"

#include <QStringList>

QString newDocumentTemplate(bool startupForm)
{
    const QString generator
        = startupForm ? QStringLiteral("CorvaneSoftware") : QStringLiteral("CorvaneSoftWare");
    const QStringList lines = {
        "<HTML>",
        "<HEAD>",
        "<META NAME=\"GENERATOR\" Content='\"" + generator + " DHTML WYSIWYG Editor\"'>",
        "<TITLE></TITLE>",
        "</HEAD>",
        "<BODY>",
        "<DIV>&nbsp;</DIV>",
        "</BODY></HTML>",
    };
    return lines.join("\r\n");
}
