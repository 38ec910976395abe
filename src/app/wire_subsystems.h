#pragma once

// Puts the main window together: connects every subsystem to its controls and
// hooks. Runs before the window's load handler.

class MainForm;

void wireSubsystems(MainForm &form);
