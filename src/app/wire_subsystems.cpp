#include "app/wire_subsystems.h"

#include "app/main_form.h"
#include "commands/commands_subsystem.h"
#include "document/document_subsystem.h"
#include "document/exchange_subsystem.h"
#include "insert/insert_subsystem.h"
#include "insert/table_panel.h"
#include "page/page_subsystem.h"
#include "platform/shell.h"

void wireSubsystems(MainForm &form)
{
    // All are children of the window and live as long as it does.
    new DocumentSubsystem(form.widgets(), form.state(), form.hooks(), form.dialogs(), &form);
    new CommandsSubsystem(form.widgets(), form.state(), form.hooks(), form.dialogs(), &form);
    new PageSubsystem(form.widgets(), form.state(), form.hooks(), form.dialogs(), &form);
    static QtDesktopShell shell; // holds nothing: one serves every window
    new ExchangeSubsystem(form.widgets(), form.state(), form.hooks(), form.dialogs(), shell,
                          &form);
    new InsertSubsystem(form.widgets(), form.state(), form.hooks(), form.dialogs(), &form);
    new TablePanel(form.widgets(), form.hooks(), form.dialogs(), &form);
}
