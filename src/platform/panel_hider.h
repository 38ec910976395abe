#pragma once

struct MainWidgets;

// Hides every panel frame of the main window.
void ClearAllFrame(MainWidgets &w);
