// A page is shown before the engine has numbered its nodes and placed the
// first caret; that work is finished in the page's first frames, at once
// before any request or input, and after a while when no frame comes. A
// change the numbering did not see first makes the save write the page as
// the browser has it, never a splice on wrong places.

#include "file_bytes.h"
#include "web_test_main.h"

#include <QTemporaryDir>

namespace {

QByteArray paragraphs(int count)
{
    QByteArray page("<html><head><meta charset=utf-8></head><body>\n");
    for (int i = 0; i < count; ++i)
        page += "<p id=p" + QByteArray::number(i) + ">paragraph " + QByteArray::number(i)
            + " <b>bold</b> text</p>\n";
    return page + "</body></html>\n";
}

} // namespace

class LoadSettlingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

    // Read without making the page ready: what the engine has done so far.
    static QVariant peek(WebEditingComponent *editor, const QString &script)
    {
        return evaluateInEngine(editor, script, false);
    }

    static QString how(WebEditingComponent *editor)
    {
        return peek(editor, QStringLiteral("Corvane.source.last")).toString();
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // A view out of sight draws no frame: the page waits for the first
    // request that may change it, or for the host's reminder.
    void requestsReadyAHiddenPage()
    {
        WebEditingComponent editor;
        COMPONENT_OK(editor.LoadDocument(write("hidden.html", paragraphs(50))));
        QCOMPARE(peek(&editor, "Corvane.source.recorded").toBool(), false);
        // Status questions read the page and leave it as it is.
        COMPONENT_OK(editor.QueryStatus(DECMD_BOLD));
        QCOMPARE(peek(&editor, "Corvane.source.recorded").toBool(), false);
        COMPONENT_OK(editor.ExecCommand(DECMD_SELECTALL));
        QCOMPARE(peek(&editor, "Corvane.source.recorded").toBool(), true);

        QSignalSpy shown(&editor, &EditingComponent::DisplayChanged);
        COMPONENT_OK(editor.LoadDocument(write("hidden-2.html", paragraphs(50))));
        QVERIFY(shown.wait(5000));
        QCOMPARE(peek(&editor, "Corvane.source.recorded").toBool(), true);
        // The first caret is at the first text, ready for typing.
        QCOMPARE(peek(&editor, "document.getSelection().anchorNode.data").toString(),
                 QStringLiteral("paragraph 0 "));
    }

    // A change the numbering missed, whether before it began or between its
    // slices, is never spliced: the page is written whole, and right.
    void changesBeforeTheNumberingWriteThePageWhole_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("before the walk") << QString();
        QTest::newRow("between slices") << QStringLiteral("Corvane.source.recordSome(0);");
    }
    void changesBeforeTheNumberingWriteThePageWhole()
    {
        QFETCH(QString, change);
        WebEditingComponent editor;
        const QByteArray page = paragraphs(3000);
        COMPONENT_OK(editor.LoadDocument(write("early.html", page)));
        QVERIFY(peek(&editor, change
                     + "const p = document.getElementById('p2000');"
                       "p.firstChild.data = 'changed ';"
                       "p.parentNode.removeChild(p.previousElementSibling);"
                       "Corvane.source.ensureRecorded();"
                       "Corvane.source.unrecorded && Corvane.source.recorded")
                    .toBool());
        const QString path = dir.filePath("early-saved.html");
        COMPONENT_OK(editor.SaveDocument(path));
        QCOMPARE(how(&editor), QStringLiteral("serialized"));
        const QByteArray saved = readBytes(path);
        QVERIFY(saved.contains("<p id=\"p2000\">changed <b>bold</b> text</p>"));
        QVERIFY(!saved.contains("id=\"p1999\""));
        QVERIFY(saved.contains("<p id=\"p1998\">paragraph 1998 <b>bold</b> text</p>"));
    }

    // Shown, the page readies itself in its frames with nobody asking, and
    // an edit made then is saved as a splice of the page's own text.
    void aShownPageReadiesInItsFrames()
    {
        QWidget window;
        window.resize(800, 600);
        WebEditingComponent editor(&window);
        editor.widget()->setGeometry(0, 0, 800, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QByteArray page = paragraphs(3000);
        COMPONENT_OK(editor.LoadDocument(write("shown.html", page)));
        QVERIFY(QTest::qWaitFor(
            [&] { return peek(&editor, "Corvane.source.recorded").toBool(); }, 5000));
        QCOMPARE(peek(&editor, "Corvane.source.unrecorded").toBool(), false);
        QVERIFY(evaluateInEngine(&editor, QStringLiteral(
            "document.getElementById('p10').firstChild.data = 'NEW '; true")).toBool());
        const QString path = dir.filePath("shown-saved.html");
        COMPONENT_OK(editor.SaveDocument(path));
        QCOMPARE(how(&editor), QStringLiteral("spliced"));
        QByteArray expected = page;
        expected.replace("<p id=p10>paragraph 10 ", "<p id=p10>NEW ");
        QCOMPARE(readBytes(path), expected);
    }
};

WEB_TEST_MAIN(LoadSettlingTest)
#include "test_load_settling.moc"
