// The source box's paste: plain text or nothing, never Qt's rich-text mime
// path, which crashes on what an ownerless clipboard hands over.

#include "app/safe_plain_text_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>

class SafeTextEditTest : public QObject
{
    Q_OBJECT
private slots:
    void pastesPlainTextOrNothing()
    {
        SafePlainTextEdit box;
        box.setPlainText("<p>x</p>");
        box.moveCursor(QTextCursor::End);

        box.insertFromMimeData(nullptr);
        QVERIFY(!box.canInsertFromMimeData(nullptr));
        QMimeData empty;
        QVERIFY(!box.canInsertFromMimeData(&empty));
        box.insertFromMimeData(&empty);
        QMimeData htmlOnly; // what a browser's copy can be: no text flavour
        htmlOnly.setHtml("<b>rich</b>");
        box.insertFromMimeData(&htmlOnly);
        QCOMPARE(box.toPlainText(), QStringLiteral("<p>x</p>"));

        QMimeData text;
        text.setText("<b>typed</b>");
        text.setHtml("<i>not this</i>");
        box.insertFromMimeData(&text);
        QCOMPARE(box.toPlainText(), QStringLiteral("<p>x</p><b>typed</b>"));

        box.setReadOnly(true);
        QVERIFY(!box.canInsertFromMimeData(&text));
    }

    void ctrlVWithAnEmptyClipboardPastesNothing()
    {
        SafePlainTextEdit box;
        box.setPlainText("keep");
        box.moveCursor(QTextCursor::End);
        QApplication::clipboard()->clear();
        box.paste();
        QCOMPARE(box.toPlainText(), QStringLiteral("keep"));
        QApplication::clipboard()->setText("more");
        box.paste();
        QCOMPARE(box.toPlainText(), QStringLiteral("keepmore"));
    }
};

QTEST_MAIN(SafeTextEditTest)
#include "test_safe_text_edit.moc"
