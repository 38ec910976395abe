// Picture files dropped on the page in the whole program on the real engine:
// real drop events on the browser's own widget put in the picture panel's
// element at the drop point, as one undo step, and the saved file has it.
// Drags that are not pictures are left to the page.

#include "insert/picture_drop.h"
#include "editor_program.h"
#include "web_test_main.h"

#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QMimeData *filesData(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << (p.contains(u':') ? QUrl(p) : QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class PictureDropTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    QTemporaryDir dir;
    QString first, second, notPicture;

    QString body() { return bodyOf(app.editor); }
    // Enter, move and drop at point (the view's pixels) on the browser's
    // widget, as the window system delivers a drag; whether the drop was taken.
    bool drop(const QStringList &paths, const QPoint &point)
    {
        std::unique_ptr<QMimeData> data(filesData(paths));
        QWidget *target = app.typingTarget();
        const QPoint at = target->mapFrom(app.editor->widget(), point);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        if (!enter.isAccepted() || !move.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::LinkAction, data.get(),
                           Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    }
    // Where the caret goes before the character at offset in the element's
    // first text: a point just inside that character's left edge.
    QPoint beforeCharacter(const QString &selector, int offset)
    {
        const QVariantList r
            = evaluateInEngine(app.editor,
                               QString("(function(){const t=document.querySelector('%1').firstChild;"
                                       "const r=document.createRange();r.setStart(t,%2);"
                                       "r.setEnd(t,%3);const b=r.getBoundingClientRect();"
                                       "return [b.left+1,b.top+b.height/2];})()")
                                   .arg(selector)
                                   .arg(offset)
                                   .arg(offset + 1))
                  .toList();
        return r.size() == 2 ? QPoint(int(r[0].toDouble()), int(r[1].toDouble())) : QPoint(-1, -1);
    }
    QString img(const QString &path, int width, int height)
    {
        QString src = path;
        src.replace("&", "&amp;").replace("\"", "&quot;");
        return QString("<img src=\"%1\" border=\"0\" width=\"%2\" height=\"%3\" alt=\"\">")
            .arg(src)
            .arg(width)
            .arg(height);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // Quotes and an ampersand in the name: the src is quoted and escaped.
        first = dir.filePath("drop \"one\" & co.png");
        second = dir.filePath("second.gif");
        notPicture = dir.filePath("notes.png"); // named like one, but text
        QVERIFY(QImage(37, 23, QImage::Format_RGB32).save(first, "PNG"));
        QVERIFY(QImage(12, 8, QImage::Format_RGB32).save(second.chopped(4) + ".bmp", "BMP"));
        QVERIFY(QFile::rename(second.chopped(4) + ".bmp", second)); // read by content
        QVERIFY(writeFile(notPicture, "just some words\n"));
        QVERIFY(app.start());
    }
    void cleanupTestCase() { app.stop(); }

    // Which files of a drag are taken: the first local file decides, and
    // only the pictures among the rest go in.
    void theFirstFileDecides()
    {
        std::unique_ptr<QMimeData> mixed(
            filesData({ "https://example.com/x.png", first, notPicture, second }));
        QCOMPARE(droppedPictureFiles(mixed.get()), QStringList({ first, second }));
        std::unique_ptr<QMimeData> textFirst(filesData({ notPicture, first }));
        QCOMPARE(droppedPictureFiles(textFirst.get()), QStringList());
        QMimeData text;
        text.setText(first);
        QCOMPARE(droppedPictureFiles(&text), QStringList());
        QCOMPARE(droppedPictureHtml(dir.filePath("gone.png")), QString());
    }

    // Two pictures dropped inside a word of the second paragraph go in
    // there, in order, as the panel builds them; one undo takes both out;
    // Save writes them into the file.
    void picturesGoInAtTheDropPointAndAreSaved()
    {
        const QString page = dir.filePath("page.htm");
        QVERIFY(writeFile(page, "<html><body><p id=\"a\">First paragraph</p>"
                                "<p id=\"b\">Second paragraph</p></body></html>"));
        app.files->openChoice = page;
        app.w().FileOpen->trigger();
        QTRY_COMPARE(app.editor->CurrentDocumentPath(), page);
        QTRY_VERIFY(body().contains("Second paragraph"));
        const QString original = body();
        QTRY_VERIFY(!app.form->state().changed);
        // The caret is elsewhere: the drop point decides, not the caret.
        selectIn(app.editor, "#a", {}, "start");

        const QPoint point = beforeCharacter("#b", 3);
        QVERIFY(point.x() > 0);
        QVERIFY(drop({ first, second }, point));
        const QString both = img(first, 37, 23) + img(second, 12, 8);
        QTRY_COMPARE(body(), "<p id=\"a\">First paragraph</p><p id=\"b\">Sec" + both
                         + "ond paragraph</p>");
        QTRY_VERIFY(app.form->state().changed);
        // Typing goes on after the pictures.
        QTRY_VERIFY(app.typingTarget()->hasFocus());
        QTest::keyClick(app.form->windowHandle(), Qt::Key_X);
        QTRY_VERIFY2(body().contains(both + "xond"), qPrintable(body()));
        app.editor->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER);
        QTRY_VERIFY(!body().contains("xond"));
        app.editor->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER);
        QTRY_COMPARE(body(), original);
        app.editor->ExecCommand(DECMD_REDO, OLECMDEXECOPT_DONTPROMPTUSER);
        QTRY_VERIFY(body().contains("Sec" + both + "ond"));

        app.w().FileSave->trigger();
        QTRY_VERIFY(!app.form->state().changed);
        QFile saved(page);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY2(bytes.contains(("<p id=\"b\">Sec" + both + "ond paragraph</p>").toUtf8()),
                 bytes.constData());
        QVERIFY(app.dialogs.shown.isEmpty());
    }

    // A text file named like a picture is not taken; nor is a picture that
    // went away between the drag's start and its drop (nothing goes in,
    // nothing is said).
    void otherDropsInsertNothing()
    {
        app.editor->setDocumentHTML("<html><body><p id=\"a\">Only text</p></body></html>");
        QTRY_VERIFY(body().contains("Only text"));
        const QString before = body();
        const QPoint point = beforeCharacter("#a", 2);
        QVERIFY(!drop({ notPicture }, point) || !body().contains("<img"));

        const QString doomed = dir.filePath("doomed.png");
        QVERIFY(QImage(5, 5, QImage::Format_RGB32).save(doomed, "PNG"));
        std::unique_ptr<QMimeData> data(filesData({ doomed }));
        QWidget *target = app.typingTarget();
        QDragEnterEvent enter(point, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(QFile::remove(doomed));
        QDropEvent dropped(QPointF(point), Qt::CopyAction, data.get(), Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        QTest::qWait(300);
        QCOMPARE(body(), before);
        QVERIFY(app.dialogs.shown.isEmpty());
    }
};

WEB_TEST_MAIN(PictureDropTest)
#include "test_picture_drop_e2e.moc"
