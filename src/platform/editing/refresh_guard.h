#pragma once

// The page in the editor must stay the page the user opened. Scripts never
// run, but a <meta http-equiv="refresh"> still makes the browser navigate
// away after its delay (to about:blank the navigation is not even offered to
// us to refuse), taking the user's edits with it. Such elements reach the
// engine with the attribute renamed, which the browser ignores, and get their
// name back in the HTML the component hands out.

#include <QString>
#include <QStringList>
#include <QStringView>

// True when the text may hold a refresh declaration (a cheap test).
bool mayDeclareRefresh(QStringView html);

// Renames http-equiv on every META element whose value is "refresh"; the
// rest of the text stays as it is. The names as written go to *names.
QString disarmRefresh(const QString &html, QStringList *names = nullptr);

// The inverse, on HTML as the engine writes it. When the page still holds as
// many renamed declarations as names were given, each gets its own spelling
// back; otherwise they read http-equiv.
QString rearmRefresh(const QString &html, const QStringList &names = {});
