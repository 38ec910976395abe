// Pages in legacy encodings that do not declare them, and pages with "<%"
// in their text, in the real component: the page shows its own characters,
// saves unedited byte for byte, and an edit changes only its own line, in
// the page's encoding, so that the saved page reads the same way again.

#include "file_bytes.h"
#include "web_test_main.h"

#include "platform/editing/page_file.h"

#include <QStringEncoder>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QString jsString(const QString &s)
{
    QString out = s;
    out.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'"));
    return u'\'' + out + u'\'';
}

// Line 3 is the paragraph the edit goes into.
QString page(const QString &title, const QStringList &paragraphs)
{
    return QStringLiteral("<html><head><title>%1</title></head><body>\n<h1>%1</h1>\n"
                          "<p>%2</p>\n<p id=target>%3</p>\n<p>%4</p>\n</body></html>\n")
        .arg(title, paragraphs.value(0), paragraphs.value(1), paragraphs.value(2));
}

QByteArray bytesIn(const char *encoding, const QString &text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

QList<int> changedLines(const QByteArray &before, const QByteArray &after)
{
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    if (a.size() != b.size())
        return { -1 };
    QList<int> changed;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            changed.append(i);
    }
    return changed;
}

} // namespace

class LegacyPagesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    WebEditingComponent *editor = nullptr;

    bool typeAtTarget(const QString &word)
    {
        return evaluateInEngine(editor, QStringLiteral(
            "(function () {"
            "  const t = document.createTreeWalker(document.getElementById('target'),"
            "                                      NodeFilter.SHOW_TEXT).nextNode();"
            "  const r = document.createRange(); r.setStart(t, 0); r.collapse(true);"
            "  const s = document.getSelection(); s.removeAllRanges(); s.addRange(r);"
            "  return document.execCommand('insertText', false, %1);"
            "})()").arg(jsString(word))).toBool();
    }

    bool pageShows(const QString &text)
    {
        return evaluateInEngine(editor, QStringLiteral("document.body.textContent.includes(%1)")
                                            .arg(jsString(text)))
            .toBool();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        editor = new WebEditingComponent;
    }

    void cleanupTestCase() { delete editor; }

    void pageReadsShowsAndSavesInItsEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QString>("shown"); // text the page must show
        QTest::addColumn<QString>("typed");

        const QString japanese = page(u"町の図書館"_s,
            { u"今月は新しい本が百冊ほど届きました。子ども向けの絵本から、料理や旅行の本まで、"
              "いろいろな分野をそろえています。"_s,
              u"土曜日の午後には読み聞かせの会を開きます。参加は無料です。"_s,
              u"返却期限を過ぎた本は、できるだけ早くカウンターまでお持ちください。"_s });
        QTest::newRow("EUC-JP") << bytesIn("EUC-JP", japanese) << QByteArray("EUC-JP")
                                << u"読み聞かせの会"_s << u"新着 "_s;
        QTest::newRow("Shift_JIS") << bytesIn("Shift_JIS", japanese) << QByteArray("Shift_JIS")
                                   << u"読み聞かせの会"_s << u"新着 "_s;
        const QString chinese = page(u"社區公園整修公告"_s,
            { u"為了讓居民有更安全舒適的休閒空間，本社區的中央公園將於下個月開始整修。"_s,
              u"施工期間，兒童遊戲區與步道將暫時關閉，請家長特別注意孩子的安全。"_s,
              u"如有任何問題，歡迎在上班時間打電話到管理委員會詢問。"_s });
        QTest::newRow("Big5") << bytesIn("Big5", chinese) << QByteArray("Big5")
                              << u"兒童遊戲區"_s << u"注意 "_s;
        const QString russian = page(u"Новости библиотеки"_s,
            { u"В этом месяце к нам поступило около ста новых книг: детские книжки с "
              "картинками, книги о кулинарии и путешествиях."_s,
              u"По субботам после обеда мы читаем детям вслух. Участие бесплатное."_s,
              u"Пожалуйста, возвращайте книги вовремя. Спасибо!"_s });
        QTest::newRow("KOI8-R") << bytesIn("KOI8-R", russian) << QByteArray("KOI8-R")
                                << u"читаем детям"_s << u"Новое "_s;
        // Its kana hold "<%" byte pairs and never "%>".
        QString menu;
        for (int i = 0; i < 45; ++i)
            menu += u"コーヒー、チーズケーキ、スーパーサービス。"_s;
        const QString cafe = page(u"喫茶メニュー"_s, { menu, u"本日のケーキはチーズケーキです。"_s,
                                                       u"ミルクティーもどうぞ。"_s });
        QTest::newRow("ISO-2022-JP") << bytesIn("ISO-2022-JP", cafe) << QByteArray("ISO-2022-JP")
                                     << u"本日のケーキ"_s << u"新作 "_s;
        const QString sales = u"Sales rose in every region this quarter, and the new stores "
                              "did better than planned. "_s.repeated(2);
        QTest::newRow("<% in the text")
            << page(u"Report"_s, { u"Returns were less than 5<% of sales."_s, sales, sales })
                   .replace(u"<head>"_s, u"<head><meta charset=utf-8>"_s)
                   .toUtf8()
            << QByteArray("UTF-8") << u"less than 5<% of sales"_s << u"NEW "_s;
    }

    void pageReadsShowsAndSavesInItsEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, encoding);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        static int pages = 0;
        const QString name = QStringLiteral("page-%1.html").arg(++pages);
        writeBytes(dir.filePath(name), bytes);
        COMPONENT_OK(editor->LoadDocument(dir.filePath(name)));
        QCOMPARE(editor->DocumentEncoding().toLatin1(), canonicalEncodingName(QString::fromLatin1(encoding)));
        QVERIFY(pageShows(shown));

        COMPONENT_OK(editor->SaveDocument(dir.filePath("unedited-" + name)));
        QCOMPARE(readBytes(dir.filePath("unedited-" + name)), bytes);

        QVERIFY(typeAtTarget(typed));
        COMPONENT_OK(editor->SaveDocument(dir.filePath("edited-" + name)));
        const QByteArray saved = readBytes(dir.filePath("edited-" + name));
        QCOMPARE(changedLines(bytes, saved), QList<int>{ 3 });
        // Read again, the saved page is the same page with the word typed.
        const PageText again = decodePage(saved);
        QCOMPARE(again.encoding, canonicalEncodingName(QString::fromLatin1(encoding)));
        QCOMPARE(again.replacedSequences, 0);
        QVERIFY(again.html.contains("<p id=target>" + typed));
        QVERIFY(again.html.contains(shown));

        editor->ExecCommand(DECMD_UNDO);
        COMPONENT_OK(editor->SaveDocument(dir.filePath("undone-" + name)));
        QCOMPARE(readBytes(dir.filePath("undone-" + name)), bytes);
    }
};

WEB_TEST_MAIN(LegacyPagesTest)
#include "test_legacy_pages.moc"
