// The Web Platform Tests' cases for the browser editing commands
// (data/wpt-editing), run on the real engine through its own command paths:
// the exec the host calls, the paste of the Insert tools, and for what the
// user types, the keys under the engine's listeners. The same cases run with
// the browser's execCommand in a plain editable page, for comparison.
// Neither browsers nor we match every expectation; the engine must not leave
// a content-model error where the start had none, and must match at least as
// many cases per file as the plain browser does.
//
// CORVANE_WPT_DUMP=file writes every result (the misses included) as JSON.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// Runs script in page's given world and waits (the cases of a file take a
// few seconds on a loaded machine).
QVariant evaluate(QWebEnginePage *page, const QString &script, quint32 world)
{
    struct Answer
    {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    page->runJavaScript(script, world, [answer](const QVariant &v) {
        answer->value = v;
        answer->done = true;
    });
    if (!QTest::qWaitFor([&] { return answer->done; }, 180000))
        return {};
    return answer->value;
}

QSet<int> matchedCases(const QJsonObject &result)
{
    QSet<int> out;
    for (const QJsonValue v : result.value("matchedIndices").toArray())
        out.insert(v.toInt());
    return out;
}

} // namespace

class WptEditingTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    QWebEngineView *plain = nullptr;
    QString runner;

    // The file's cases in the engine's page, or in the plain page leaving
    // out the cases the engine had disabled.
    QJsonObject runFile(const QString &data, bool engine, const QJsonArray &excluded = {})
    {
        // Some files define a custom element; the engine's world may have
        // no registry of its own, and a file may come twice.
        const QString script = runner
            + "\n(function () {\n"
              "var customElements = { define: function (n, c) { try {"
              " if (window.customElements && !window.customElements.get(n))"
              " window.customElements.define(n, c); } catch (e) {} } };\n"
            + data + "\n;try { return JSON.stringify(WptRunner.run(browserTests, '"
            + (engine ? "engine" : "browser") + "', "
            + QString::fromUtf8(QJsonDocument(excluded).toJson(QJsonDocument::Compact))
            + ")); } catch (e) { return JSON.stringify({ error: String(e && e.stack || e) }); }\n"
              "})()";
        const QVariant answer = engine
            ? evaluate(shown.component->view()->page(),
                       "if (Corvane.settle) Corvane.settle();\n" + script,
                       QWebEngineScript::ApplicationWorld)
            : evaluate(plain->page(), script, QWebEngineScript::MainWorld);
        return QJsonDocument::fromJson(answer.toString().toUtf8()).object();
    }

private slots:
    void initTestCase()
    {
        runner = readText(QStringLiteral(TEST_DATA_DIR "/../support/wpt_runner.js"));
        QVERIFY(!runner.isEmpty());
        QVERIFY(shown.start());
        // Standards mode, as the cases were written for.
        COMPONENT_OK(shown.component->setDocumentHTML(
            "<!DOCTYPE html><html><head><title>t</title></head><body></body></html>"));
        plain = new QWebEngineView(shown.window);
        plain->setGeometry(0, 0, 400, 300);
        plain->lower();
        QSignalSpy loaded(plain, &QWebEngineView::loadFinished);
        plain->setHtml("<!DOCTYPE html><html><head><title>plain</title></head>"
                       "<body><div contenteditable></div></body></html>");
        QVERIFY(loaded.wait(20000));
    }
    void cleanupTestCase()
    {
        delete plain;
        shown.stop();
    }

    void casesOfEachFile_data()
    {
        QTest::addColumn<QString>("file");
        const QDir dir(QStringLiteral(TEST_DATA_DIR "/wpt-editing/editing/data"));
        for (const QString &name : dir.entryList({ "*.js" }, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void casesOfEachFile()
    {
        QFETCH(QString, file);
        const QString data = readText(file);
        QVERIFY(!data.isEmpty());
        QElapsedTimer clock;
        clock.start();
        const QJsonObject engine = runFile(data, true);
        evaluate(shown.component->view()->page(), "WptRunner.release();",
                 QWebEngineScript::ApplicationWorld);
        const qint64 engineMs = clock.restart();
        QVERIFY2(engine.contains("cases"),
                 qPrintable("the engine's page gave no results: " + engine.value("error").toString()));
        const QJsonObject browser = runFile(data, false, engine.value("disabled").toArray());
        const qint64 browserMs = clock.elapsed();
        QVERIFY2(browser.contains("cases"),
                 qPrintable("the plain page gave no results: " + browser.value("error").toString()));

        const QJsonArray violations = engine.value("violations").toArray();
        qInfo("%s: %d cases run, engine matched %d, browser matched %d, validity violations %d"
              " (%d started invalid; not offered by the engine: %d, disabled where they ran: %d;"
              " %lld + %lld ms)",
              qPrintable(QFileInfo(file).fileName()), engine.value("cases").toInt(),
              engine.value("matched").toInt(), browser.value("matched").toInt(),
              int(violations.size()), engine.value("startInvalid").toInt(),
              engine.value("skipped").toInt(), int(engine.value("disabled").toArray().size()),
              engineMs, browserMs);
        if (const QString dump = qEnvironmentVariable("CORVANE_WPT_DUMP"); !dump.isEmpty()) {
            QFile out(dump + "." + QFileInfo(file).baseName() + ".json");
            if (out.open(QIODevice::WriteOnly))
                out.write(QJsonDocument(QJsonObject { { "engine", engine }, { "browser", browser } })
                              .toJson());
        }

        const QString name = QFileInfo(file).fileName();
        QStringList faults;
        for (const QJsonValue v : violations) {
            const QJsonObject c = v.toObject();
            faults << QStringLiteral("invalid after %1 on %2:\n    %3\n    (%4)")
                          .arg(QString::fromUtf8(QJsonDocument(c.value("commands").toArray())
                                                     .toJson(QJsonDocument::Compact)),
                               c.value("initial").toString(), c.value("got").toString(),
                               c.value("errors").toVariant().toStringList().join("; "));
        }
        if (engine.value("matched").toInt() < browser.value("matched").toInt()) {
            const QSet<int> ours = matchedCases(engine);
            QStringList lost;
            for (const int i : matchedCases(browser)) {
                if (!ours.contains(i))
                    lost << QString::number(i);
            }
            faults << QStringLiteral("fewer matches than the plain browser; its matches the engine"
                                     " misses: cases %1")
                          .arg(lost.mid(0, 40).join(' '));
        }
        if (!faults.isEmpty())
            QFAIL(qPrintable(faults.mid(0, 15).join('\n')));
    }
};

WEB_TEST_MAIN(WptEditingTest)
#include "test_wpt_editing.moc"
