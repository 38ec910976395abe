#pragma once

// Translation of the editing component's load and save error codes into the
// texts the user sees. Loading and saving fail in different ways, so each has
// its own table; any code not listed reads "Unknown error".

#include <QString>

QString loadErrorText(quint32 code);
QString saveErrorText(quint32 code);

// The whole message boxes' texts, closing full stop included.
QString loadErrorMessage(quint32 code);
QString saveErrorMessage(quint32 code);
