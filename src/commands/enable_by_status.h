#pragma once

class QAction;
class EditingComponent;

// Enables a menu item when its command's status is above 2 (enabled, latched
// or mixed) and disables it otherwise. A command ID of 0 (a separator) leaves
// the item alone; the check mark is never touched.
void EnableByStatus(QAction *item, int cmdId, EditingComponent &component);
