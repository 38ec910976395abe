#pragma once

// The document subsystem in a window of named controls, with a scripted
// editing component, scripted message boxes and the hooks it calls logged.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "document/document_subsystem.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QMainWindow>
#include <QStringList>

struct DocumentRig
{
    QMainWindow window;
    MainWidgets w;
    FormState state;
    FormHooks hooks;
    ScriptedDialogs dialogs;
    FakeEditingComponent edit1, edit2;
    QStringList log; // hooks called, in order
    int promptAnswer = vbNo;
    DocumentSubsystem *doc;

    // The page the component holds when the subsystem is made.
    explicit DocumentRig(const QString &html, const QString &path = {},
                         const QString &dialogChoice = {})
    {
        buildMainWidgets(&window, w);
        w.DHTMLEdit1 = &edit1;
        w.DHTMLEdit2 = &edit2;
        hooks.TitleRefresh = [this] { log << "title:" + edit1.path; };
        hooks.ToolbarReset = [this] { log << "toolbarReset"; };
        hooks.StatusRefresh = [this] { log << "statusRefresh"; };
        hooks.FocusPage = [this] { log << "focusPage"; };
        // Like the window's prompt: asks only when changed; Yes saves.
        hooks.SaveChangesPrompt = [this] {
            if (!state.changed)
                return 0;
            log << "prompt";
            if (promptAnswer != vbYes)
                return promptAnswer == vbNo ? 7 : 2;
            return hooks.saveDocument(edit1.path.isEmpty()) ? 1 : 2;
        };
        edit1.html = html;
        edit1.path = path;
        edit1.dialogChoice = dialogChoice;
        doc = new DocumentSubsystem(w, state, hooks, dialogs, &window);
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto &m : dialogs.shown)
            texts << m.text;
        return texts;
    }
    // What the log holds from the last toolbar reset on.
    QStringList sinceReset() const { return log.mid(log.lastIndexOf("toolbarReset")); }
};
