#pragma once

// Pages for the fuzz test: HTML files the system's packages install under
// /usr/share/doc, and pages made from a seed with the structures editing
// trips over (tables with spans, lists, nested and positioned blocks, forms,
// pictures).

#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

// Every installed HTML page of a size the editor opens quickly, in a fixed
// order, so a seed picks the same page on the same system.
inline QStringList installedDocPages()
{
    QStringList pages;
    QDirIterator it(QStringLiteral("/usr/share/doc"), { "*.html", "*.htm" }, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        if (file.size() >= 512 && file.size() <= 200 * 1024)
            pages << file.filePath();
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

inline QString generatedPage(QRandomGenerator &rng)
{
    auto pick = [&rng](const QStringList &from) { return from[rng.bounded(int(from.size()))]; };
    const QStringList words = { "alpha", "beta gamma", "delta", "epsilon zeta", "eta", "theta" };
    auto text = [&] { return pick(words); };
    auto table = [&] {
        const int rows = 1 + rng.bounded(4), cols = 1 + rng.bounded(4);
        QString t = QStringLiteral("<table border=\"1\">");
        for (int r = 0; r < rows; ++r) {
            t += "<tr>";
            for (int c = 0; c < cols; ++c) {
                const bool span = rng.bounded(5) == 0;
                t += span ? QStringLiteral("<td colspan=\"2\" rowspan=\"2\">")
                          : QStringLiteral("<td>");
                t += text() + "</td>";
            }
            t += "</tr>";
        }
        return t + "</table>";
    };
    auto list = [&] {
        const QString tag = rng.bounded(2) ? "ul" : "ol";
        QString l = "<" + tag + ">";
        for (int i = 1 + rng.bounded(4); i > 0; --i)
            l += "<li>" + text() + (rng.bounded(4) == 0 ? "<ul><li>" + text() + "</li></ul>" : "")
                + "</li>";
        return l + "</" + tag + ">";
    };
    auto nested = [&] {
        QString open, close;
        for (int i = 1 + rng.bounded(4); i > 0; --i) {
            open += "<div>" + text();
            close += "</div>";
        }
        return open + "<p>" + text() + "</p>" + close;
    };
    auto positioned = [&] {
        return QStringLiteral(
                   "<div style=\"position: absolute; left: %1px; top: %2px; width: 120px;"
                   " z-index: %3\">%4</div>")
            .arg(rng.bounded(400))
            .arg(rng.bounded(300))
            .arg(int(rng.bounded(5)) - 2)
            .arg(text());
    };
    auto form = [&] {
        return QStringLiteral("<form><input type=\"text\" value=\"%1\"> <input type=\"submit\""
                              " value=\"Go\"> <select><option>one</option><option>two</option>"
                              "</select><textarea>%2</textarea><button>%1</button></form>")
            .arg(text(), text());
    };
    auto inline_ = [&] {
        return QStringLiteral("<p>%1 <b>%2</b> <i>%1</i> <a href=\"page.htm\">%2</a>"
                              " <img src=\"missing.gif\" width=\"20\" height=\"20\" alt=\"pic\">"
                              " <font size=\"4\" color=\"red\">%1</font></p>")
            .arg(text(), text());
    };
    QString body;
    for (int i = 2 + rng.bounded(5); i > 0; --i) {
        switch (rng.bounded(7)) {
        case 0:
            body += table();
            break;
        case 1:
            body += list();
            break;
        case 2:
            body += nested();
            break;
        case 3:
            body += positioned();
            break;
        case 4:
            body += form();
            break;
        case 5:
            body += "<pre>\n" + text() + "\n  " + text() + "</pre>";
            break;
        default:
            body += inline_();
            break;
        }
    }
    return "<html><head><title>" + text() + "</title></head><body>" + body + "</body></html>";
}
