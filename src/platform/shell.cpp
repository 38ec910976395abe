#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

bool QtDesktopShell::openWithDefaultProgram(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
