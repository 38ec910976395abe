// The synchronous call mechanism and the ordered event queue, with a scripted
// engine standing in for the page.

#include "app/editing_component.h"
#include "platform/editing/engine_bridge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimer>

class EngineBridgeTest : public QObject
{
    Q_OBJECT

private slots:
    void callWaitsForTheAnswerAndCarriesJson()
    {
        EngineBridge bridge;
        // The engine answers later, from the event loop, as the real one does.
        connect(&bridge, &EngineBridge::request, this,
                [&](int id, const QString &method, const QString &argsJson) {
                    const QJsonValue args = QJsonDocument::fromJson(argsJson.toUtf8()).array().at(0);
                    QTimer::singleShot(5, &bridge, [&bridge, id, method, args] {
                        bridge.respond(id, true,
                                       QJsonObject{{"method", method}, {"echo", args}});
                    });
                });
        const QJsonObject args{{"text", "quote \" and </script> and \\ backslash"}, {"n", 3}};
        const QJsonObject answer = bridge.call("echo", args).toObject();
        QCOMPARE(answer.value("method").toString(), QStringLiteral("echo"));
        QCOMPARE(answer.value("echo").toObject(), args);
    }

    void engineErrorsBecomeComponentErrors()
    {
        EngineBridge bridge;
        connect(&bridge, &EngineBridge::request, this, [&](int id, const QString &, const QString &) {
            QTimer::singleShot(0, &bridge, [&bridge, id] {
                bridge.respond(id, false,
                               QJsonObject{{"code", double(ComponentErrorCode::Frameset)},
                                           {"message", "no"}});
            });
        });
        try {
            bridge.call("anything");
            QFAIL("no error raised");
        } catch (const ComponentError &e) {
            QCOMPARE(e.code(), ComponentErrorCode::Frameset);
            QCOMPARE(e.message(), QStringLiteral("no"));
        }
    }

    void silenceTimesOutAndLateAnswersAreDropped()
    {
        EngineBridge bridge;
        int lastId = 0;
        connect(&bridge, &EngineBridge::request, this,
                [&](int id, const QString &, const QString &) { lastId = id; });
        try {
            bridge.call("never", {}, 100);
            QFAIL("no timeout");
        } catch (const ComponentError &e) {
            QCOMPARE(e.code(), ComponentErrorCode::Timeout);
        }
        const int stale = lastId;
        // The late answer to the abandoned call must not satisfy the next one.
        connect(&bridge, &EngineBridge::request, this, [&](int id, const QString &, const QString &) {
            QTimer::singleShot(0, &bridge, [&bridge, id, stale] {
                bridge.respond(stale, true, QJsonValue("stale"));
                bridge.respond(id, true, QJsonValue("fresh"));
            });
        });
        QCOMPARE(bridge.call("again").toString(), QStringLiteral("fresh"));
    }

    void eventsWaitForTheCallInFlightAndKeepTheirOrder()
    {
        EngineBridge bridge;
        QStringList log;
        connect(&bridge, &EngineBridge::engineEvent, this,
                [&](const QString &name, const QJsonValue &) { log << "event " + name; });
        connect(&bridge, &EngineBridge::request, this, [&](int id, const QString &, const QString &) {
            // The engine reports two events before it answers.
            QTimer::singleShot(0, &bridge, [&bridge, id] {
                bridge.notify("first", {});
                bridge.notify("second", {});
                QTimer::singleShot(10, &bridge, [&bridge, id] { bridge.respond(id, true, 1); });
            });
        });
        bridge.call("work");
        log << "call returned";
        QTRY_COMPARE(log.size(), 3);
        QCOMPARE(log, (QStringList{"call returned", "event first", "event second"}));
    }

    void handlersThatCallBackDoNotReenter()
    {
        EngineBridge bridge;
        QStringList log;
        int depth = 0, deepest = 0;
        connect(&bridge, &EngineBridge::request, this,
                [&](int id, const QString &method, const QString &) {
                    QTimer::singleShot(0, &bridge, [&bridge, id, method] {
                        if (method == "status")
                            bridge.notify("during-call", {}); // arrives mid-handler
                        bridge.respond(id, true, 0);
                    });
                });
        connect(&bridge, &EngineBridge::engineEvent, this,
                [&](const QString &name, const QJsonValue &) {
                    deepest = std::max(deepest, ++depth);
                    log << name;
                    if (name == "DisplayChanged")
                        bridge.call("status"); // a handler asking the engine, as the refresh does
                    --depth;
                });
        bridge.postEvent("DisplayChanged");
        bridge.postEvent("after");
        QTRY_COMPARE(log.size(), 3);
        QCOMPARE(log, (QStringList{"DisplayChanged", "after", "during-call"}));
        QCOMPARE(deepest, 1);
    }
};

QTEST_GUILESS_MAIN(EngineBridgeTest)
#include "test_engine_bridge.moc"
