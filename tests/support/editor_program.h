#pragma once

// The whole program for end-to-end tests: the real editing component in the
// main window, started as the user starts it (splash, load handler, every
// subsystem wired), with scripted message boxes and file and engine dialogs.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_dialogs.h"
#include "scripted_engine_dialogs.h"
#include "scripted_file_dialogs.h"

#include <QApplication>
#include <QDebug>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <memory>

struct RunningEditor
{
    WebEditingComponent *editor = nullptr;
    HtmlStoreComponent store;
    ScriptedDialogs dialogs;
    ScriptedFileDialogs *files = nullptr;
    ScriptedEngineDialogs *engineDialogs = nullptr;
    std::unique_ptr<MainForm> form;

    // Returns false when the window could not be shown and made active.
    // pages: what the command line names, opened once the window is up.
    bool start(bool scriptEngineDialogs = true, const QStringList &pages = {})
    {
        editor = new WebEditingComponent;
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        files = scripted.get();
        editor->setFileDialogs(std::move(scripted));
        if (scriptEngineDialogs) {
            auto engine = std::make_unique<ScriptedEngineDialogs>();
            engineDialogs = engine.get();
            editor->setEngineDialogs(std::move(engine));
        }
        form = startMainForm(editor, &store, &dialogs, wireSubsystems, pages);
        if (!QTest::qWaitForWindowExposed(form.get()))
            return false;
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
    void stop()
    {
        for (const auto &m : dialogs.shown)
            qDebug() << "message shown:" << m.text;
        form.reset();
        delete editor;
        editor = nullptr;
    }

    MainWidgets &w() { return form->widgets(); }
    QWidget *typingTarget() { return editor->view()->focusProxy(); }
    // The page's HTML, or empty (with a warning) when the component fails.
    QString html()
    {
        try {
            return editor->DocumentHTML();
        } catch (const ComponentError &e) {
            qWarning() << "component error" << e.message();
            return {};
        }
    }
};

// Chooses the item with the given text from the next pop-up menu, once it is
// up; texts, when given, gets the menu's item texts ("-" for a separator).
inline void chooseFromNextMenu(QObject *context, const QString &text, QStringList *texts = nullptr)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, text, texts] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll->deleteLater();
        for (QAction *a : menu->actions()) {
            // The words shown, without the mnemonic's marker.
            const QString shown = QString(a->text()).remove(u'&');
            if (texts)
                *texts << (a->isSeparator() ? QStringLiteral("-") : shown);
            if (shown == QString(text).remove(u'&'))
                menu->setActiveAction(a);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    poll->start(20);
}
