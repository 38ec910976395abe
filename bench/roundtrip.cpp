// page_roundtrip IN OUT: opens a page file in the real editing component and
// saves it again, with no window, to see what the editor makes of a page.

#include "platform/editing/web_editing_component.h"
#include "platform/editing/web_environment.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: page_roundtrip IN OUT\n");
        return 2;
    }
    // A tool, not a window: run without a display unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareWebEngineEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();

    try {
        WebEditingComponent editor;
        editor.LoadDocument(args.at(1));
        editor.SaveDocument(args.at(2));
    } catch (const ComponentError &e) {
        std::fprintf(stderr, "page_roundtrip: error 0x%08X: %s\n", e.code(),
                     qPrintable(e.message()));
        return 1;
    }
    return 0;
}
