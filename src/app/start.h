#pragma once

// The program's start: the splash, the main window's load, then the window.

#include <QStringList>

#include <functional>
#include <memory>

class EditingComponent;
class MainForm;
class QApplication;
class UserDialogs;

// Connects the subsystems to a new main window before it loads.
using WireMainForm = std::function<void(MainForm &)>;

// Shows the About window as a splash while the main window loads, shows the
// main window and keeps a hidden About window ready for Help > About. Then
// opens the first of the pages named (the command line's), as File > Open
// would; the window and its start-up page are already up.
std::unique_ptr<MainForm> startMainForm(EditingComponent *editor, EditingComponent *store,
                                        UserDialogs *dialogs, const WireMainForm &wire = {},
                                        const QStringList &pages = {});

// Starts the editor, opening the page its command line names, and runs it
// until the main window unloads. arguments: the command line's, the
// program's name first, with the bytes of each kept (argumentsFromBytes).
int runEditor(QApplication &app, EditingComponent *editor, EditingComponent *store,
              const QStringList &arguments, const WireMainForm &wire = {});
