#include "bare_view.h"

#include "bench_pages.h"
#include "bench_probe.h"
#include "platform/editing/page_scheme.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

namespace {
constexpr int TimeoutMs = 60000;
}

class BarePage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;
    int loads = 0;
    int inputs = 0;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message, int,
                                  const QString &) override
    {
        if (message == QLatin1String("bare-input"))
            ++inputs;
    }
};

bool runScript(QWebEnginePage *page, const QString &script, quint32 world, int timeoutMs,
               QVariant *result)
{
    struct Answer
    {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    page->runJavaScript(script, world, [answer](const QVariant &v) {
        answer->value = v;
        answer->done = true;
    });
    if (!waitUntil([&] { return answer->done; }, timeoutMs))
        return false;
    if (result)
        *result = answer->value;
    return true;
}

BareView::BareView(QWidget *window)
    : m_view(new QWebEngineView(window))
    // The editor's profile, so the page scheme serves the same bytes the same way.
    , m_page(new BarePage(editorProfile(), m_view))
{
    m_view->setPage(m_page);
    QObject::connect(m_page, &QWebEnginePage::loadFinished, m_page, [this] { ++m_page->loads; });
    // For reference figures: the bare view with the one rule that skips the
    // layout of the body's off-screen blocks.
    if (qEnvironmentVariableIsSet("CORVANE_BENCH_BARE_SKIPS")) {
        QWebEngineScript rule;
        rule.setName(QStringLiteral("bare-skips"));
        rule.setInjectionPoint(QWebEngineScript::DocumentCreation);
        rule.setWorldId(QWebEngineScript::ApplicationWorld);
        rule.setSourceCode(QStringLiteral(
            "{ const s = new CSSStyleSheet();"
            "  s.replaceSync('body > * { content-visibility: auto;"
            " contain-intrinsic-size: auto 120px; }');"
            "  document.adoptedStyleSheets = [s]; }"));
        m_page->scripts().insert(rule);
    }
}

BareView::~BareView() = default;

bool BareView::waitLoaded(int timeoutMs)
{
    return waitUntil([this] { return m_page->loads > 0; }, timeoutMs);
}

double BareView::loadAndWait(const QUrl &url)
{
    QElapsedTimer clock;
    clock.start();
    const int before = m_page->loads;
    m_page->load(url);
    if (!waitUntil([&] { return m_page->loads > before; }, TimeoutMs))
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

double BareView::put(const QString &html)
{
    QElapsedTimer clock;
    clock.start();
    const QUrl url = pageSchemeHandler()->publish(QString(), html);
    const double loaded = loadAndWait(url);
    pageSchemeHandler()->withdraw(url);
    return loaded < 0 ? -1 : double(clock.nsecsElapsed()) / 1e6;
}

double BareView::open(const QString &path)
{
    return loadAndWait(QUrl::fromLocalFile(path));
}

double BareView::layoutAfterLoad()
{
    QElapsedTimer clock;
    clock.start();
    const bool done = runScript(m_page, QStringLiteral("document.body ? document.body.offsetHeight : 0"),
                                QWebEngineScript::MainWorld, TimeoutMs);
    return done ? double(clock.nsecsElapsed()) / 1e6 : -1;
}

double BareView::get(QString *html)
{
    QElapsedTimer clock;
    clock.start();
    QVariant answer;
    const bool done = runScript(m_page, QStringLiteral("document.documentElement.outerHTML"),
                                QWebEngineScript::MainWorld, TimeoutMs, &answer);
    const QString text = answer.toString();
    if (!done || text.isEmpty())
        return -1;
    if (html)
        *html = text;
    return double(clock.nsecsElapsed()) / 1e6;
}

double BareView::save(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    QString html;
    if (get(&html) < 0 || !writeUtf8File(path, html))
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

bool BareView::makeEditable()
{
    return runScript(
        m_page,
        QStringLiteral("document.body.contentEditable = 'true';"
                       "document.body.addEventListener('input', () => console.log('bare-input'));"
                       "document.body.focus();"
                       "getSelection().collapse(document.body, 0); true"),
        QWebEngineScript::MainWorld, TimeoutMs);
}

double BareView::keystroke(char key)
{
    QWidget *target = m_view->focusProxy();
    if (!target)
        return -1;
    const int before = m_page->inputs;
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(target, key);
    if (!waitUntil([&] { return m_page->inputs > before; }, 5000))
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}
