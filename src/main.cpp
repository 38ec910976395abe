// The editor's entry point: the engine's process set-up, then the start-up
// sequence of the main window.

#include "app/start.h"
#include "app/wire_subsystems.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"
#include "platform/editing/web_environment.h"
#include "platform/local_path.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    prepareWebEngineEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane DHTML Editor"));
    // Ties the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvane.Editor"));
    // The installed icon, for desktops that take it from the window (X11).
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("corvane-editor")));

    WebEditingComponent editor;
    HtmlStoreComponent store;
    // A page's name is bytes: QApplication::arguments() would read them as
    // UTF-8 and lose those that are not. Qt has taken its own options out.
    return runEditor(app, &editor, &store, argumentsFromBytes(argc, argv), wireSubsystems);
}
