#include "document/exchange_subsystem.h"

#include "app/main_widgets.h"

#include <QAction>

ExchangeSubsystem::ExchangeSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks,
                                     UserDialogs &dialogs, DesktopShell &shell, QObject *parent)
    : QObject(parent)
    , w(w)
    , state(state)
    , hooks(hooks)
    , dialogs(dialogs)
    , shell(shell)
{
    if (w.openurl)
        connect(w.openurl, &QAction::triggered, this, &ExchangeSubsystem::openurl_Click);
    if (w.inbrowser1)
        connect(w.inbrowser1, &QAction::triggered, this,
                [this] { inbrowser_Click(this->w.inbrowser1->property("index").toInt()); });
    if (w.print)
        connect(w.print, &QAction::triggered, this, &ExchangeSubsystem::print_Click);
}
