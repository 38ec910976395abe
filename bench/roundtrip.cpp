// page_roundtrip [EDIT] [--check] IN OUT: opens a page file in the real
// editing component and saves it again, with no window, to see what the
// editor makes of a page.
//
// EDIT is one scripted change made before saving:
//   --type-at-paragraph=N WORD   types WORD and a space at the start of the
//                                N-th paragraph that holds text (from 0)
//   --bold-word=N                makes the first word of that paragraph bold
// --rejected=FILE: when the edited page had to be written as the browser
// serialises it, the spliced text that failed the check goes to FILE.
// --check loads the saved file into a second component and compares the two
// pages as the engine serialises them. One line goes to stdout:
//   how=<unchanged|spliced|serialized> [dom=<same|different>]
//   [element=<first line>-<last line>]
// where element gives the lines in IN of the block the edit went into.

#include "platform/editing/web_editing_component.h"
#include "platform/editing/web_environment.h"

#include <QApplication>
#include <QFile>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

QVariant evaluate(WebEditingComponent &component, const QString &script)
{
    // Shared with the callback: an answer after the time is up must not
    // write into this finished frame.
    struct Answer
    {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    component.view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                            [answer](const QVariant &v) {
                                                answer->value = v;
                                                answer->done = true;
                                            });
    QElapsedTimer timer;
    timer.start();
    while (!answer->done && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return answer->value;
}

QString jsString(const QString &s)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact))
        .chopped(1)
        .sliced(1);
}

} // namespace

int main(int argc, char *argv[])
{
    // A tool, not a window: run without a display unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareWebEngineEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);

    int paragraph = -1;
    QString word;
    bool bold = false;
    bool check = false;
    QString rejected;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option.startsWith(QLatin1String("--type-at-paragraph=")) && !args.isEmpty()) {
            paragraph = option.section(u'=', 1).toInt();
            word = args.takeFirst();
        } else if (option.startsWith(QLatin1String("--bold-word="))) {
            paragraph = option.section(u'=', 1).toInt();
            bold = true;
        } else if (option == QLatin1String("--check")) {
            check = true;
        } else if (option.startsWith(QLatin1String("--rejected="))) {
            rejected = option.section(u'=', 1);
        } else {
            args.clear();
        }
    }
    if (args.size() != 2) {
        std::fprintf(stderr,
                     "usage: page_roundtrip [--type-at-paragraph=N WORD | --bold-word=N] "
                     "[--check] IN OUT\n");
        return 2;
    }

    try {
        WebEditingComponent editor;
        editor.LoadDocument(args.at(0));
        QString report;
        if (paragraph >= 0) {
            const QString select = QStringLiteral(
                "(function () {"
                // A user's edit comes after the page was made ready for it.
                "  Corvane.settle();"
                "  const all = Array.from(document.querySelectorAll('p'));"
                "  const p = all.filter(e => /\\S/.test(e.textContent))[%1];"
                "  if (!p) return -1;"
                "  const walker = document.createTreeWalker(p, NodeFilter.SHOW_TEXT, {"
                "    acceptNode: n => /\\S/.test(n.data) ? 1 : 3 });"
                "  const t = walker.nextNode();"
                "  const range = document.createRange();"
                "  if (!t) { range.setStart(p, 0); range.collapse(true); }"
                "  else {"
                "    const at = t.data.search(/\\S/);"
                "    range.setStart(t, at);"
                "    const m = /^\\S+/.exec(t.data.slice(at));"
                "    range.setEnd(t, %2 ? at + m[0].length : at);"
                "  }"
                "  const sel = document.getSelection();"
                "  sel.removeAllRanges(); sel.addRange(range);"
                "  const done = %2 ? document.execCommand('bold')"
                "                 : document.execCommand('insertText', false, %3);"
                "  return done ? all.indexOf(p) : -1;"
                "})()")
                .arg(paragraph)
                .arg(bold ? QStringLiteral("true") : QStringLiteral("false"))
                .arg(jsString(word + u' '));
            const int edited = evaluate(editor, select).toInt();
            if (edited < 0) {
                std::fprintf(stderr, "page_roundtrip: no paragraph %d to edit\n", paragraph);
                return 3;
            }
        }
        editor.SaveDocument(args.at(1));
        if (paragraph >= 0) {
            // The block the edit went into, where the page's text has it.
            const QString lines = evaluate(editor, QStringLiteral(
                "(function () {"
                "  const S = Corvane.source;"
                "  const sel = document.getSelection();"
                "  if (!S.pairing || !sel.anchorNode) return '';"
                "  let n = sel.anchorNode.nodeType === 1 ? sel.anchorNode : sel.anchorNode.parentNode;"
                "  n = n.closest('p,h1,h2,h3,h4,h5,h6,li,dt,dd,td,th,pre,blockquote,div,body');"
                "  for (; n; n = n.parentNode) {"
                "    const b = n[S.place];"
                "    const p = b === undefined ? -1 : S.pairing.pairOf[b];"
                "    if (p < 0) continue;"
                "    const P = S.tree.positions;"
                "    const line = at => S.text.slice(0, at).split('\\n').length;"
                "    return line(P[4 * p]) + '-' + line(Math.max(P[4 * p], P[4 * p + 3] - 1));"
                "  }"
                "  return '';"
                "})()")).toString();
            report += QStringLiteral(" element=") + lines;
        }
        const QString how
            = evaluate(editor, QStringLiteral("Corvane.source.last || 'unchanged'")).toString();
        if (!rejected.isEmpty() && how == QLatin1String("serialized")) {
            QFile file(rejected);
            if (file.open(QIODevice::WriteOnly))
                file.write(evaluate(editor, QStringLiteral("Corvane.source.rejected || ''"))
                               .toString()
                               .toUtf8());
        }
        if (check) {
            const QString script = QStringLiteral("Corvane.serialize()");
            WebEditingComponent saved;
            saved.LoadDocument(args.at(1));
            // A UTF-8 page that declared no charset is saved with a
            // declaration, or with the charset added to its Content-Type
            // pragma; that is the one difference allowed.
            const QString before = evaluate(editor, script).toString();
            QString after = evaluate(saved, script).toString();
            if (!before.contains(QLatin1String("charset=utf-8\""))) {
                after.replace(QLatin1String("; charset=utf-8\""), QLatin1String("\""));
                const QString declaration = QStringLiteral(
                    "<meta http-equiv=\"Content-Type\" content=\"text/html\">");
                if (after.count(declaration) > before.count(declaration))
                    after.remove(after.indexOf(declaration), declaration.size());
            }
            const bool same = before == after;
            report = QStringLiteral(" dom=") + (same ? QStringLiteral("same") : QStringLiteral("different")) + report;
        }
        std::printf("how=%s%s\n", qPrintable(how), qPrintable(report));
    } catch (const ComponentError &e) {
        std::fprintf(stderr, "page_roundtrip: error 0x%08X: %s\n", e.code(),
                     qPrintable(e.message()));
        return 1;
    }
    return 0;
}
