// The real editing component in the real engine, offscreen.

#include "platform/editing/engine_bridge.h"
#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QJsonObject>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineView>

class WebComponentTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *component = nullptr;
    ShownComponent shown;
    QWidget *window = nullptr;

    QString pageHtml()
    {
        try {
            return component->DocumentHTML();
        } catch (const ComponentError &e) {
            qWarning() << "component error" << Qt::hex << e.code() << e.message();
            return {};
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(shown.start());
        window = shown.window;
        component = shown.component;
    }
    void cleanupTestCase() { shown.stop(); }

    void roundTripKeepsWholePage()
    {
        const QString page = QStringLiteral(
            "<!-- before the doctype -->\n"
            "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
            "\"http://www.w3.org/TR/html4/loose.dtd\">\n"
            "<html lang=\"en\"><head><meta name=\"GENERATOR\" content='\"X\"'>"
            "<title>T &amp; t</title><style>p { color: red }</style>"
            "<script>var x = 1 < 2;</script><link rel=\"stylesheet\" href=\"a.css\"></head>"
            "<body bgcolor=\"#ffffff\"><!-- inner --><p class=\"c\" title=\"a &quot;q&quot;\">"
            "a&nbsp;b &lt;c&gt;</p><custom-tag x=\"1\">kept</custom-tag></body></html>\n"
            "<!-- after html -->");
        component->setDocumentHTML(page);
        // Unedited, the page is its own text; the engine's serialisation,
        // used for whatever is edited, keeps every part of it too.
        QCOMPARE(component->DocumentHTML(), page);
        const QString html = serializedOf(component);
        QVERIFY(html.startsWith("<!-- before the doctype -->\n<!DOCTYPE html PUBLIC "
                                "\"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                                "\"http://www.w3.org/TR/html4/loose.dtd\">"));
        // The parser moves a comment that follows </html> after white space
        // into the body; it survives.
        QVERIFY(html.contains("<!-- after html -->"));
        for (const char *piece :
             {"<meta name=\"GENERATOR\" content=\"&quot;X&quot;\">", "<title>T &amp; t</title>",
              "<style>p { color: red }</style>", "<script>var x = 1 < 2;</script>",
              "<link rel=\"stylesheet\" href=\"a.css\">", "<body bgcolor=\"#ffffff\">",
              "<!-- inner -->", "title=\"a &quot;q&quot;\"", "a&nbsp;b &lt;c&gt;",
              "<custom-tag x=\"1\">kept</custom-tag>"})
            QVERIFY2(html.contains(QLatin1String(piece)), piece);
        // A second trip changes nothing more.
        component->setDocumentHTML(html);
        QCOMPARE(serializedOf(component), html);
    }

    void pageScriptsNeverRun()
    {
        component->setDocumentHTML(QStringLiteral(
            "<html><body onload=\"document.body.setAttribute('data-ran','onload')\">"
            "<script>document.write('<p id=written>ran</p>');</script>"
            "<img src=\"missing.gif\" onerror=\"document.body.setAttribute('data-ran','img')\">"
            "<p>text</p></body></html>"));
        QTest::qWait(300);
        const QString html = component->DocumentHTML();
        QVERIFY(!html.contains("data-ran=\""));
        QVERIFY(!html.contains("id=\"written\""));
    }

    void metaRefreshDoesNotNavigate()
    {
        component->setDocumentHTML(QStringLiteral(
            "<html><head><meta http-equiv=\"refresh\" content=\"0;url=other.htm\"></head>"
            "<body><p>stay here</p></body></html>"));
        QTest::qWait(500);
        QVERIFY(component->DocumentHTML().contains("stay here"));
    }

    void rejectsFramesetAndServerScript()
    {
        component->setDocumentHTML("<html><body><p>kept</p></body></html>");
        try {
            component->setDocumentHTML(
                "<html><head><title>f</title></head><frameset cols=\"50%,50%\">"
                "<frame src=\"a.htm\"></frameset></html>");
            QFAIL("a frameset page was accepted");
        } catch (const ComponentError &e) {
            QCOMPARE(e.code(), ComponentErrorCode::Frameset);
        }
        try {
            component->setDocumentHTML("<% Response.Write(\"a long server side script\") %>"
                                       "<%= Session(\"user\") %>");
            QFAIL("a server script page was accepted");
        } catch (const ComponentError &e) {
            QCOMPARE(e.code(), ComponentErrorCode::ServerScript);
        }
        QVERIFY(component->DocumentHTML().contains("kept"));
        // Malformed text is repaired, not refused.
        component->setDocumentHTML("<p>unclosed <b>bold <i>both</p> tail");
        QVERIFY(serializedOf(component).contains("<body><p>unclosed <b>bold <i>both</i></b></p>"));
    }

    void largePagesLoad()
    {
        QString body;
        const QString para = QStringLiteral("<p>Paragraph %1 with some text &amp; an entity.</p>\n");
        for (int i = 0; body.size() < 3 * 1024 * 1024; ++i)
            body += para.arg(i);
        component->setDocumentHTML("<html><body>" + body + "<p>the end</p></body></html>");
        const QString html = component->DocumentHTML();
        QVERIFY(html.size() > 3 * 1024 * 1024);
        QVERIFY(html.contains("<p>Paragraph 0 with some text &amp; an entity.</p>"));
        QVERIFY(html.contains("<p>the end</p>"));
    }

    void typingEditsThePageAndNotifies()
    {
        component->setDocumentHTML("<html><body><p id=\"p\">x</p></body></html>");
        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        QSignalSpy display(component, &EditingComponent::DisplayChanged);
        QWidget *target = component->view()->focusProxy();
        QVERIFY(target);
        target->setFocus();
        QTest::qWait(100);
        QTest::keyClick(target, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(target, "Hello");
        QTRY_VERIFY(pageHtml().contains("Hello"));
        QTRY_VERIFY(changed.count() > 0);
        QVERIFY(display.count() > 0);
        // Selecting with the keyboard changes the selection, not the page.
        changed.clear();
        display.clear();
        QTest::keyClick(target, Qt::Key_Home, Qt::ShiftModifier);
        QTRY_VERIFY(display.count() > 0);
        QString type;
        COMPONENT_OK(type = component->DOM().selectionType());
        QCOMPARE(type, QStringLiteral("Text"));
        QCOMPARE(changed.count(), 0);
    }

    void rightClickShowsTheMenuHandedOver()
    {
        component->setDocumentHTML("<html><body><p>menu</p></body></html>");
        QStringList shownTexts;
        QList<int> chosen;
        auto offer = connect(component, &EditingComponent::ShowContextMenu, this, [&] {
            component->SetContextMenu({"Cut", "", "Greyed", "Pick me"}, {0, 0, 2, 0});
        });
        auto record = connect(component, &EditingComponent::ContextMenuAction, this,
                              [&](int index) { chosen << index; });
        // The menu is modal: a timer chooses from it once it is up.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            poll.stop();
            for (QAction *a : menu->actions()) {
                shownTexts << (a->isSeparator() ? QStringLiteral("-") : a->text());
                if (a->text() == "Greyed" && a->isEnabled())
                    shownTexts << "(greyed item enabled)";
            }
            for (QAction *a : menu->actions())
                if (a->text() == "Pick me")
                    menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        poll.start(20);
        QWidget *target = component->view()->focusProxy();
        QTest::mouseClick(target, Qt::RightButton, {}, QPoint(40, 20));
        QTRY_COMPARE(chosen, QList<int>{3});
        QCOMPARE(shownTexts, (QStringList{"Cut", "-", "Greyed", "Pick me"}));
        disconnect(offer);
        disconnect(record);
    }

    // The menu's statuses are those at the caret the right-click put down,
    // not those of the selection it replaced, and they are there even when
    // only the engine can give them (the click moved nothing, and a document
    // call has made the last ones stale).
    void rightClickStatusesFollowTheClick()
    {
        component->setDocumentHTML(
            "<html><head><style>p { margin: 0; font-size: 20px; line-height: 40px }</style>"
            "</head><body><p id=\"a\">selected words</p><p id=\"b\">plain words</p></body></html>");
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        QSignalSpy display(component, &EditingComponent::DisplayChanged);
        component->domCall("select", QJsonObject { { "selector", "#a" } });
        while (display.wait(150)) { } // the selection's notifications are all in
        QCOMPARE(component->QueryStatus(DECMD_CUT), int(DECMDF_ENABLED));

        QList<int> atMenu;
        auto offer = connect(component, &EditingComponent::ShowContextMenu, this, [&] {
            try {
                atMenu << component->QueryStatus(DECMD_CUT) << component->QueryStatus(DECMD_COPY);
            } catch (const ComponentError &e) {
                qWarning() << e.message();
                atMenu << -1 << -1;
            }
            component->SetContextMenu({}, {}); // nothing to show
        });
        const QPoint inB(30, 68);
        QTest::mouseClick(target, Qt::RightButton, {}, inB);
        QTRY_COMPARE(atMenu.size(), 2);
        QCOMPARE(atMenu, (QList<int> { DECMDF_DISABLED, DECMDF_DISABLED }));

        while (display.wait(150)) { }
        QCOMPARE(component->DOM().selectionType(), QStringLiteral("None"));
        atMenu.clear();
        QTest::mouseClick(target, Qt::RightButton, {}, inB);
        QTRY_COMPARE(atMenu.size(), 2);
        QCOMPARE(atMenu, (QList<int> { DECMDF_DISABLED, DECMDF_DISABLED }));
        disconnect(offer);
    }

    void editingAidsNeverReachTheHtml()
    {
        component->setDocumentHTML("<html><body><table border=\"0\"><tr><td>c</td></tr></table>"
                                   "</body></html>");
        const QString before = component->DocumentHTML();
        component->setShowBorders(true);
        component->setShowDetails(true);
        QCOMPARE(component->DocumentHTML(), before);
        component->setShowBorders(false);
        component->setShowDetails(false);
    }

    void documentCompleteFollowsEachLoad()
    {
        QTest::qWait(50); // let earlier loads' notifications go out
        QSignalSpy complete(component, &EditingComponent::DocumentComplete);
        component->setDocumentHTML("<p>one</p>");
        QCOMPARE(complete.count(), 0); // queued, never inside the call
        QTRY_COMPARE(complete.count(), 1);
        component->NewDocument();
        QTRY_COMPARE(complete.count(), 2);
        QCOMPARE(component->CurrentDocumentPath(), QString());
        QCOMPARE(component->DocumentHTML(), QStringLiteral("<html><head></head><body></body></html>"));
    }
};

WEB_TEST_MAIN(WebComponentTest)
#include "test_web_component.moc"
