// View > In Default Browser: the page is saved first, then the saved file is
// handed to the desktop's default browser.

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
#include "document/busy_cursor.h"
#include "document/exchange_subsystem.h"
#include "platform/shell.h"

void ExchangeSubsystem::inbrowser_Click(int)
{
    if (dialogs.MsgBox(PreviewQuestionText, MsgButtons::YesNo, MsgIcon::None) != vbYes)
        return;
    // Its result does not matter: a failed or cancelled save still shows
    // the last saved file.
    hooks.saveDocument(true);
    const BusyCursor busy;
    QString path;
    try {
        path = w.DHTMLEdit1->CurrentDocumentPath();
    } catch (const std::exception &) {
        return;
    }
    // A page that was never saved has nothing to show.
    if (path.isEmpty())
        return;
    shell.openWithDefaultProgram(path); // a browser that does not start is not reported
}
