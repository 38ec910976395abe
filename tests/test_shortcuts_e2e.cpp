// Every keyboard shortcut of the real program, pressed in the page when the
// page gives the engine nothing to act on: the window answers at once and no
// engine call times out.

#include "editor_program.h"
#include "web_test_main.h"

#include <QElapsedTimer>

#include <cstring>
#include <string_view>

class ShortcutsEndToEndTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    WebEditingComponent *&editor = app.editor;
    ScriptedDialogs &dialogs = app.dialogs;
    ScriptedFileDialogs *&files = app.files;
    ScriptedEngineDialogs *&engineDialogs = app.engineDialogs;
    std::unique_ptr<MainForm> &form = app.form;

    QWidget *typingTarget() { return app.typingTarget(); }

private slots:
    void initTestCase() { QVERIFY(app.start()); }
    void cleanupTestCase() { app.stop(); }

    void shortcutsAnswerOnPagesWithNothingToSelect_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<char>("key");
        const char keys[] = "ABIUZYXCVFSON";
        for (const char *page : { "<html><head></head><body></body></html>",
                                  "<html><body><div></div></body></html>" }) {
            for (const char key : std::string_view(keys)) {
                const QString name
                    = QStringLiteral("%1 Ctrl+%2")
                          .arg(QLatin1String(strstr(page, "div") ? "empty div" : "empty body"))
                          .arg(QLatin1Char(key));
                QTest::newRow(qPrintable(name)) << QString::fromLatin1(page) << key;
            }
        }
    }
    void shortcutsAnswerOnPagesWithNothingToSelect()
    {
        QFETCH(QString, page);
        QFETCH(char, key);
        COMPONENT_OK(editor->setDocumentHTML(page));
        form->state().changed = false; // New asks nothing
        files->openChoice.clear(); // Open and Save As are cancelled
        files->saveChoice.clear();
        dialogs.shown.clear();
        typingTarget()->setFocus();
        QTRY_VERIFY(typingTarget()->hasFocus());

        QElapsedTimer clock;
        clock.start();
        // Through the window, as the window system delivers keys, so the
        // shortcut machinery sees them as it does for a user.
        QTest::keyClick(form->windowHandle(), Qt::Key(key), Qt::ControlModifier);
        // Whatever the key did, the engine answers the next call promptly.
        QString html;
        QTest::qWait(300);
        COMPONENT_OK(html = editor->DocumentHTML());
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        for (const auto &m : std::as_const(dialogs.shown))
            QVERIFY2(!m.text.contains(QLatin1String("time"), Qt::CaseInsensitive),
                     qPrintable(m.text));
    }
};

WEB_TEST_MAIN(ShortcutsEndToEndTest)
#include "test_shortcuts_e2e.moc"
