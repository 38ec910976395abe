#pragma once

// main() for tests that start the browser engine: the engine's process-wide
// set-up must happen before the QApplication exists.

#include "app/editing_component.h"
#include "platform/editing/web_environment.h"

#include <QApplication>
#include <QTest>

#define WEB_TEST_MAIN(TestClass)                                                                   \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        prepareWebEngineEnvironment();                                                             \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// Runs a statement and fails the test with the component's message if it throws.
#define COMPONENT_OK(statement)                                                                    \
    try {                                                                                          \
        statement;                                                                                 \
    } catch (const ComponentError &e) {                                                            \
        QFAIL(qPrintable(QStringLiteral("component error 0x%1: %2")                                \
                             .arg(e.code(), 0, 16)                                                 \
                             .arg(e.message())));                                                  \
    }

#include "platform/editing/engine_bridge.h"
#include "platform/editing/web_editing_component.h"

#include <QJsonObject>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWidget>

// The code of the component error f throws; 0 when it throws none.
inline quint32 errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ComponentError &e) {
        return e.code();
    }
    return 0;
}

// Evaluates script in the engine's world (the page's own scripts never run),
// waiting up to five seconds for the answer. A script stands for the
// engine's own work, which runs on a page made ready for editing, as every
// request and input makes it; `settled` false leaves the page as it is.
inline QVariant evaluateInEngine(WebEditingComponent *component, const QString &script,
                                 bool settled = true)
{
    // The answer may come after we gave up on it: it must not write into
    // this call's finished frame.
    struct Answer
    {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    const QString prefix = settled
        ? QStringLiteral("if (typeof Corvane !== 'undefined' && Corvane.settle) Corvane.settle();\n")
        : QString();
    component->view()->page()->runJavaScript(prefix + script, QWebEngineScript::ApplicationWorld,
                                             [answer](const QVariant &v) {
                                                 answer->value = v;
                                                 answer->done = true;
                                             });
    if (!QTest::qWaitFor([&] { return answer->done; }, 5000))
        return QStringLiteral("<no answer from the page>");
    return answer->value;
}

// The whole page as the engine serialises the document, without the page's
// own text that DocumentHTML keeps where nothing was edited.
inline QString serializedOf(EditingComponent *component)
{
    if (auto *web = qobject_cast<WebEditingComponent *>(component))
        return web->bridge()->call(QStringLiteral("getHtml")).toString();
    return component->DocumentHTML();
}

// What the page's BODY holds, as the engine serialises it.
inline QString bodyOf(EditingComponent *component)
{
    static const QRegularExpression re("<body[^>]*>(.*)</body>",
                                       QRegularExpression::DotMatchesEverythingOption);
    return re.match(serializedOf(component)).captured(1);
}

// Selects from the first element matching selector (to the one matching to,
// or collapsed to its "start"/"end"), and waits for the notifications the
// move sends, from which statuses are then read.
inline void selectIn(EditingComponent *component, const QString &selector, const QString &to = {},
                     const QString &collapse = {})
{
    QJsonObject args { { "selector", selector } };
    if (!to.isEmpty())
        args["to"] = to;
    if (!collapse.isEmpty())
        args["collapse"] = collapse;
    QSignalSpy display(component, &EditingComponent::DisplayChanged);
    component->domCall("select", args);
    while (display.wait(150)) { }
}

// A real component in an active window of its own, with an empty page, as the
// engine tests need it for typing and focus.
struct ShownComponent
{
    QWidget *window = nullptr;
    WebEditingComponent *component = nullptr;

    // Returns false when the window could not be made active.
    bool start()
    {
        window = new QWidget;
        window->resize(800, 600);
        component = new WebEditingComponent(window);
        component->widget()->setGeometry(0, 0, 800, 600);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return false;
        component->NewDocument();
        return true;
    }
    void stop()
    {
        delete component;
        delete window;
    }
};
