#include "bench_pages.h"

#include <QFile>

namespace {

const char *const Words[]
    = { "editor", "page",   "table",  "format", "picture", "link", "colour", "heading", "source",
        "print",  "window", "button", "menu",   "panel",   "cell", "row",    "font",    "style" };
constexpr int WordCount = int(sizeof(Words) / sizeof(Words[0]));

QString sentence(int seed, int words)
{
    QString s;
    for (int i = 0; i < words; ++i) {
        const QLatin1String w(Words[(seed * 7 + i * 13) % WordCount]);
        if (i == 0)
            s += QString(w).left(1).toUpper() + QString(w).mid(1);
        else if (i % 9 == 4)
            s += QStringLiteral(" <b>%1</b>").arg(w);
        else if (i % 11 == 7)
            s += QStringLiteral(" <a href=\"docs/%1-%2.htm\">%1</a>").arg(w).arg(seed);
        else if (i % 13 == 10)
            s += QStringLiteral(" <i>%1</i>").arg(w);
        else
            s += QLatin1Char(' ') + w;
    }
    return s + QStringLiteral(". ");
}

QString section(int n)
{
    QString s = QStringLiteral("<h2 id=\"s%1\">Section %1</h2>\n").arg(n);
    for (int p = 0; p < 4; ++p)
        s += QStringLiteral("<p>%1%2</p>\n").arg(sentence(n + p, 18), sentence(n * 3 + p, 24));
    s += QStringLiteral("<ul>\n");
    for (int i = 0; i < 5; ++i)
        s += QStringLiteral("  <li>%1</li>\n").arg(sentence(n + i * 5, 8));
    s += QStringLiteral("</ul>\n<table border=\"1\" cellpadding=\"2\" width=\"100%\">\n"
                        "  <tr><th>Item</th><th>Count</th><th>Note</th></tr>\n");
    for (int r = 0; r < 6; ++r)
        s += QStringLiteral("  <tr><td>%1</td><td align=\"right\">%2</td><td>%3</td></tr>\n")
                 .arg(QLatin1String(Words[(n + r) % WordCount]))
                 .arg((n * 31 + r * 17) % 1000)
                 .arg(sentence(n + r, 6));
    s += QStringLiteral("</table>\n<ol>\n");
    for (int i = 0; i < 3; ++i)
        s += QStringLiteral("  <li><a href=\"#s%1\">Back to section %1</a></li>\n").arg(n - i);
    return s + QStringLiteral("</ol>\n");
}

const char *const PageHead
    = "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
      "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
      "<title>Measurement page</title>\n"
      "<style>body { font-family: Verdana } td { padding: 2px }</style>\n</head>\n"
      "<body bgcolor=\"#ffffff\" text=\"#000000\" link=\"#0000ff\">\n";

QString programLine(int n)
{
    const QLatin1String a(Words[n % WordCount]), b(Words[(n * 5 + 3) % WordCount]);
    switch (n % 4) {
    case 0:
        return QStringLiteral("static int %1_%2(struct %3 *p, int n)\n").arg(a).arg(n).arg(b);
    case 1:
        return QStringLiteral("    if (p-&gt;%1 &lt; n &amp;&amp; %2[%3] != 0)\n").arg(a, b).arg(n % 97);
    case 2:
        return QStringLiteral("        return %1(p, n - %2); /* %3 */\n").arg(b).arg(n % 13).arg(a);
    default:
        return QStringLiteral("    }\n");
    }
}

} // namespace

QString generateOneDivPage(qsizetype minBytes)
{
    QString page = generatePage(minBytes);
    const QString open = QStringLiteral("<body bgcolor=\"#ffffff\" text=\"#000000\" link=\"#0000ff\">\n");
    page.replace(open, open + QStringLiteral("<div class=\"content\">\n"));
    page.replace(QStringLiteral("</body>"), QStringLiteral("</div>\n</body>"));
    return page;
}

QString generatePrePage(qsizetype minBytes)
{
    QString page = QLatin1String(PageHead) + QStringLiteral("<h1>Listing</h1>\n<pre>\n");
    const QString tail = QStringLiteral("</pre>\n<p>The end.</p>\n</body>\n</html>\n");
    for (int n = 0; page.size() + tail.size() < minBytes; ++n)
        page += programLine(n);
    return page + tail;
}

QString generatePage(qsizetype minBytes)
{
    QString page = QLatin1String(PageHead);
    const QString tail = QStringLiteral("<p>The end.</p>\n</body>\n</html>\n");
    // The text is ASCII, so characters and UTF-8 bytes count alike.
    for (int n = 1; page.size() + tail.size() < minBytes; ++n)
        page += section(n);
    return page + tail;
}

bool writeUtf8File(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size();
}
