// The renderer process dies under the page: the component reloads its last
// copy into a fresh one, says so, and never saves a dead or empty view.

#include "platform/editing/web_editing_component.h"
#include "scripted_file_dialogs.h"
#include "web_test_main.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <csignal>

class RendererLossTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;
    QTemporaryDir dir;

    QByteArray readFile(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void killRenderer()
    {
        const qint64 pid = component->view()->page()->renderProcessPid();
        QVERIFY(pid > 0);
        QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
    }

private slots:
    void initTestCase()
    {
        if (!shown.start())
            QSKIP("no active window for typing");
        component = shown.component;
        component->setFileDialogs(std::make_unique<ScriptedFileDialogs>());
    }
    void cleanupTestCase() { shown.stop(); }

    void editsSurviveAKilledRenderer()
    {
        const QString file = dir.filePath("page.htm");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray original = "<html><head><meta charset=\"utf-8\"></head><body>"
                                    "<p id=\"p\">Start</p></body></html>";
        f.write(original);
        f.close();
        COMPONENT_OK(component->LoadDocument(file));

        QWidget *typing = component->view()->focusProxy();
        typing->setFocus();
        QTest::keyClick(typing, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(typing, " typed");
        QTRY_VERIFY(component->DocumentHTML().contains("Start typed"));
        // Once edits pause, the copy is refreshed.
        QTest::qWait(WebEditingComponent::BackupIdleMs + 500);

        QSignalSpy restarted(component, &EditingComponent::RendererRestarted);
        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        killRenderer();
        // While the page is gone, nothing is written over the file.
        bool refused = false;
        try {
            component->SaveDocument(file);
        } catch (const ComponentError &) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(readFile(file), original);

        QTRY_COMPARE_WITH_TIMEOUT(restarted.size(), 1, 20000);
        QVERIFY(!restarted.first().first().toString().isEmpty());
        QVERIFY(changed.size() >= 1); // the page still differs from its file
        QString html;
        COMPONENT_OK(html = component->DocumentHTML());
        QVERIFY2(html.contains("Start typed"), qPrintable(html));
        COMPONENT_OK(component->SaveDocument(file));
        QVERIFY(readFile(file).contains("Start typed"));
        QCOMPARE(component->CurrentDocumentPath(), file);
    }
};

WEB_TEST_MAIN(RendererLossTest)
#include "test_renderer_loss.moc"
