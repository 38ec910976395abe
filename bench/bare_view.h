#pragma once

// A browser view with nothing of the editor around it: no engine script, no
// web channel, no design mode. It does the same work as the editor in the
// plainest way the browser offers, to show what the editor adds.

#include <QElapsedTimer>
#include <QString>
#include <QUrl>

class QVariant;
class QWebEnginePage;
class QWebEngineView;
class QWidget;
class BarePage;

// Runs script in world of page and waits for its answer (into result, if
// given); false if none came in time. An answer that comes later is dropped:
// it must not write into the caller's finished frame.
bool runScript(QWebEnginePage *page, const QString &script, quint32 world, int timeoutMs,
               QVariant *result = nullptr);

class BareView
{
public:
    // The view is a child of window, which the caller shows.
    explicit BareView(QWidget *window);
    ~BareView();

    QWebEngineView *view() const { return m_view; }

    // Each returns the milliseconds the work took, or -1 on failure/timeout.
    // Shows html, served from memory by the editor's page scheme (setHtml
    // refuses pages above 2 MB).
    double put(const QString &html);
    // Loads a file through a file:// URL.
    double open(const QString &path);
    // The time until the opened page has been laid out once, which the
    // load's end does not wait for (the editor's open includes it).
    double layoutAfterLoad();
    // The page's markup as the browser serialises it.
    double get(QString *html = nullptr);
    // The markup written to a UTF-8 file.
    double save(const QString &path);
    // Waits for the first load of whatever the view was given.
    bool waitLoaded(int timeoutMs);

    // Makes the body editable, focuses it and reports every input event to us.
    bool makeEditable();
    // Time from a key event on the view to the page reporting the input back
    // over the console message channel (one renderer to browser message, the
    // least any host needs to learn of an edit).
    double keystroke(char key);

private:
    double loadAndWait(const QUrl &url);

    QWebEngineView *m_view;
    BarePage *m_page;
};
