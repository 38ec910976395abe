#pragma once

// Pictures for the formatting toolbar: the desktop theme's icon when there is
// one, otherwise a small picture drawn here.

#include <QIcon>
#include <QString>

QIcon toolbarIcon(const QString &key);
