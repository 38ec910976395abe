#include "platform/editing/web_environment.h"

#include "platform/editing/page_scheme.h"

#include <QByteArray>
#include <QWebEngineUrlScheme>

#include <unistd.h>

void prepareWebEngineEnvironment()
{
    // Chromium refuses to start its sandbox as root; only then do we turn it off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    // The editor never needs the network on its own behalf; without these the
    // engine keeps trying to reach update and sync services.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char *flag : {"--disable-background-networking", "--disable-component-update",
                             "--disable-sync", "--no-first-run"}) {
        if (!flags.contains(flag))
            flags += QByteArray(" ") + flag;
    }
    // Without a display there is no GPU to use.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !flags.contains("--disable-gpu"))
        flags += " --disable-gpu";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());

    registerPageScheme();
}
