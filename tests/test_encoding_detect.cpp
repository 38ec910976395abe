// Pages that name no encoding: read in the one they were written in, as a
// browser would tell it from their text, and written back in it; what the
// content cannot tell for sure stays as it was read before (UTF-8 when valid,
// else windows-1252).

#include "platform/editing/encoding_detect.h"
#include "platform/editing/html_rules.h"
#include "platform/editing/page_file.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesIn(const char *encoding, const QString &text)
{
    QStringEncoder encoder(encoding);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        qFatal("the test text does not fit %s", encoding);
    return bytes;
}

QString page(const QString &title, const QString &body)
{
    return QStringLiteral("<html><head><title>%1</title></head><body>\n%2\n</body></html>\n")
        .arg(title, body);
}

const QString Japanese = page(
    u"町の図書館だより"_s,
    u"<h1>町の図書館だより</h1>\n"
    "<p>今月は新しい本が百冊ほど届きました。子ども向けの絵本から、料理や旅行の本、歴史の読み物まで、"
    "いろいろな分野をそろえています。</p>\n"
    "<p>土曜日の午後には読み聞かせの会を開きます。参加は無料で、予約はいりません。</p>"_s);

const QString TraditionalChinese = page(
    u"社區公園整修公告"_s,
    u"<p>為了讓居民有更安全舒適的休閒空間，本社區的中央公園將於下個月開始進行整修工程，"
    "預計需要三個星期。</p>\n<p>施工期間，兒童遊戲區與步道將暫時關閉，請家長特別注意孩子的安全。</p>"_s);

const QString SimplifiedChinese = page(
    u"社区公园整修公告"_s,
    u"<p>为了让居民有更安全舒适的休闲空间，本社区的中央公园将于下个月开始进行整修工程，"
    "预计需要三个星期。</p>\n<p>施工期间，儿童游戏区与步道将暂时关闭，请家长特别注意孩子的安全。</p>"_s);

const QString Korean = page(
    u"동네 도서관 소식"_s,
    u"<p>이번 달에는 새 책이 백 권 정도 들어왔습니다. 어린이 그림책부터 요리와 여행 책, 똠얌꿍 요리책, "
    "역사 이야기까지 여러 분야를 갖추었습니다.</p>\n"
    "<p>토요일 오후에는 책 읽어 주기 모임이 있습니다. 참가비는 없습니다.</p>"_s);

const QString Russian = page(
    u"Новости городской библиотеки"_s,
    u"<p>В этом месяце к нам поступило около ста новых книг: детские книжки с картинками, "
    "книги о кулинарии и путешествиях, исторические повести.</p>\n"
    "<p>По субботам после обеда мы читаем детям вслух. Участие бесплатное.</p>"_s);

const QString Greek = page(
    u"Νέα της βιβλιοθήκης"_s,
    u"<p>Αυτόν τον μήνα παραλάβαμε περίπου εκατό καινούργια βιβλία για παιδιά, βιβλία "
    "μαγειρικής και ταξιδιών, καθώς και ιστορικά διηγήματα.</p>"_s);

const QString Czech = page(
    u"Zprávy z knihovny"_s,
    u"<p>Tento měsíc jsme dostali asi sto nových knih: obrázkové knížky pro děti, kuchařky, "
    "cestopisy a historické příběhy. Žáci ze sousední školy si je už přišli prohlédnout.</p>\n"
    "<p>V sobotu odpoledne pořádáme předčítání pro nejmenší. Vstup je zdarma.</p>"_s);

QByteArray name(const char *label)
{
    return canonicalEncodingName(QString::fromLatin1(label));
}

} // namespace

class EncodingDetectTest : public QObject
{
    Q_OBJECT

private slots:
    // Each row: the page's bytes and the encoding they must be read in.
    void undeclaredPagesAreReadAsWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("encoding");

        QTest::newRow("EUC-JP") << bytesIn("EUC-JP", Japanese) << name("EUC-JP");
        QTest::newRow("Shift_JIS") << bytesIn("Shift_JIS", Japanese) << name("Shift_JIS");
        QTest::newRow("ISO-2022-JP") << bytesIn("ISO-2022-JP", Japanese) << name("ISO-2022-JP");
        QTest::newRow("Big5") << bytesIn("Big5", TraditionalChinese) << name("Big5");
        QTest::newRow("GB18030") << bytesIn("GB18030", SimplifiedChinese) << name("GB18030");
        // Read as the superset browsers use for it, which has "똠".
        QTest::newRow("EUC-KR") << bytesIn("windows-949", Korean) << name("windows-949");
        QTest::newRow("KOI8-R") << bytesIn("KOI8-R", Russian) << name("KOI8-R");
        QTest::newRow("windows-1251") << bytesIn("windows-1251", Russian) << name("windows-1251");
        QTest::newRow("ISO-8859-7") << bytesIn("ISO-8859-7", Greek) << name("ISO-8859-7");
        QTest::newRow("windows-1250") << bytesIn("windows-1250", Czech) << name("windows-1250");

        // What the text cannot tell for sure keeps the reading it had.
        QTest::newRow("ASCII") << QByteArray("<p>plain &eacute; text</p>") << QByteArray("UTF-8");
        QTest::newRow("UTF-8") << Japanese.toUtf8() << QByteArray("UTF-8");
        QTest::newRow("ASCII with terminal escapes")
            << QByteArray("<pre>\x1B[1mbold\x1B[0m \x1B$Z</pre>") << QByteArray("UTF-8");
        // The detector ranks Latin-2 first here, by a little.
        QTest::newRow("short Spanish")
            << bytesIn("windows-1252", page("Contacto", u"<p>José García, Área de Informática</p>"_s))
            << QByteArray("windows-1252");
        QTest::newRow("curly quotes")
            << bytesIn("windows-1252", page("News", u"<p>We’re closed – “see you”…</p>"_s))
            << QByteArray("windows-1252");
        // Four characters could be Japanese, Chinese or Korean alike.
        QTest::newRow("a few Japanese characters")
            << bytesIn("EUC-JP", page("x", u"ログイン"_s)) << QByteArray("windows-1252");
    }

    void undeclaredPagesAreReadAsWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, encoding);
        QVERIFY(!encoding.isEmpty());
        const PageText page = decodePage(bytes);
        QCOMPARE(page.encoding, encoding);
        QCOMPARE(page.replacedSequences, 0);
        // Nothing was lost reading it: written back, it is the same bytes
        // (UTF-8 is written with a declaration).
        if (encoding == "UTF-8")
            QCOMPARE(page.html, QString::fromUtf8(bytes));
        else
            QCOMPARE(encodePage(page.html, page.encoding, false), bytes);
    }

    // The detector sees 8 KB: what it gets is the text, where the non-ASCII
    // is, not a head full of script and style or pages of English.
    void detectionLooksAtTheText()
    {
        QString head = QStringLiteral("<html><head><title>t</title><style>\n");
        while (head.size() < 20000)
            head += QStringLiteral("p.note { color: #333; margin: 0 0 1em 0; }\n");
        head += QStringLiteral("</style><script>var a = '<b>';</script><!-- a comment --></head>");
        QString body = QStringLiteral("<body>\n");
        while (body.size() < 60000)
            body += QStringLiteral("<p>The library opens at nine and closes at five.</p>\n");
        const QString text = head + body + Japanese.sliced(Japanese.indexOf(u"<h1>"));
        const QByteArray bytes = bytesIn("EUC-JP", text);
        QCOMPARE(decodePage(bytes).encoding, name("EUC-JP"));

        const QByteArray sample = detectionSample(bytes, 8000);
        QVERIFY(sample.size() <= 8000);
        QVERIFY(!sample.contains('<') && !sample.contains("color"));
        QVERIFY(sample.contains(bytesIn("EUC-JP", u"図書館"_s)));
    }

    // Kana with a long vowel mark are "<%" in ISO-2022-JP's bytes; the page
    // has 129 and no "%>". Read in its encoding it holds no server code.
    void iso2022JpPageWithPercentPairs()
    {
        QString items;
        const QStringList menu { u"コーヒー"_s, u"ミルクティー"_s, u"チーズケーキ"_s,
                                 u"クリームソーダ"_s, u"スーパーサービス"_s };
        for (int i = 0; items.count(u'ー') < 180; ++i)
            items += QStringLiteral("<li>%1 %2円</li>\n").arg(menu[i % menu.size()]).arg(300 + i);
        const QString text = page(u"喫茶メニュー"_s, "<ul>\n" + items + "</ul>");
        const QByteArray bytes = bytesIn("ISO-2022-JP", text);
        QVERIFY(bytes.count("<%") >= 129 && !bytes.contains("%>"));

        const PageText read = decodePage(bytes);
        QCOMPARE(read.encoding, name("ISO-2022-JP"));
        QCOMPARE(read.html, text);
        QCOMPARE(pageRejectionCode(read.html), 0u);
        QCOMPARE(encodePage(read.html, read.encoding, false), bytes);

        // Edited: a character the encoding lacks becomes a reference, and the
        // bytes shift back to ASCII before it and at the very end.
        const QString edited = read.html + u"おわり😀 おわり"_s;
        const QByteArray saved = encodePage(edited, read.encoding, false);
        QCOMPARE(QString(QStringDecoder("ISO-2022-JP").decode(saved)),
                 read.html + u"おわり&#128512; おわり"_s);
        QVERIFY(saved.endsWith("\x1B(B"));
    }

    // The declaration is looked for in the bytes, where the JIS bytes of
    // "目次⑬" read "<!--" and would hide it. A page too damaged to be told by
    // its content still gets the encoding it declares.
    void declarationAfterIso2022JpText()
    {
        const QByteArray bytes = bytesIn("ISO-2022-JP", u"<html><body><p>目次⑬</p>\n"_s)
            + "<meta charset=iso-2022-jp><p>\x1B$Bxx\x1B(B</p>";
        QVERIFY(bytes.contains("<!--"));
        const PageText read = decodePage(bytes);
        QCOMPARE(read.encoding, name("ISO-2022-JP"));
        QVERIFY(read.html.contains(u"目次⑬"_s));
        QCOMPARE(read.replacedSequences, 1);

        // A stray shift in a page of another encoding hides nothing.
        const QByteArray cyrillic = "<p>\x1B$B</p><meta charset=windows-1251><p>"
            + bytesIn("windows-1251", u"Привет"_s) + "</p>";
        QCOMPARE(decodePage(cyrillic).encoding, name("windows-1251"));
    }
};

QTEST_GUILESS_MAIN(EncodingDetectTest)
#include "test_encoding_detect.moc"
