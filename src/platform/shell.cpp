#include "platform/shell.h"

#include "platform/local_path.h"

#include <QDesktopServices>
#include <QUrl>

bool QtDesktopShell::openWithDefaultProgram(const QString &path)
{
    // The desktop's opener gets the URL as text, its escapes the name's
    // own bytes.
    return QDesktopServices::openUrl(fileUrl(path));
}
