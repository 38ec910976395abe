#pragma once

// A main window with one panel subsystem wired in, on a scripted editing
// component whose control is a plain line edit (so the keyboard coming back
// to the page can be seen), loaded and shown as at start-up.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

template<typename Subsystem> struct PanelFormRig
{
    FakeEditingComponent editor, store;
    ScriptedDialogs dialogs;
    QLineEdit *page = new QLineEdit;
    std::unique_ptr<MainForm> form;
    Subsystem *subsystem = nullptr;
    bool active = false; // focus can be checked only in an active window

    PanelFormRig()
    {
        editor.control = page;
        form = std::make_unique<MainForm>(&editor, &store, &dialogs);
        subsystem = new Subsystem(form->widgets(), form->state(), form->hooks(), form->dialogs(),
                                  form.get());
        form->Form_Load();
        form->show();
        form->activateWindow();
        active = QTest::qWaitForWindowActive(form.get());
    }
    ~PanelFormRig()
    {
        form.reset();
        delete page;
    }
    MainWidgets &w() { return form->widgets(); }
};
