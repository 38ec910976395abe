#include "commands/enable_by_status.h"

#include "app/editing_component.h"

#include <QAction>

void EnableByStatus(QAction *item, int cmdId, EditingComponent &component)
{
    if (cmdId == 0 || !item)
        return;
    item->setEnabled(component.QueryStatus(cmdId) > 2);
}
