#pragma once

// The page behind the visual editor. It is a document, not a program: only
// the loads the component itself starts may navigate the main frame, so a
// clicked link or a meta refresh goes nowhere.

#include <QUrl>
#include <QWebEnginePage>

class EditorPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit EditorPage(QObject *parent = nullptr);

    // The next main-frame navigation the component allows.
    void expectNavigation(const QUrl &url) { m_expected = url; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int line, const QString &source) override;

private:
    QUrl m_expected;
};
