#pragma once

#include <QString>

// The built-in page for a new document. The start-up page differs from the
// New command's only in the spelling of the generator's name.
QString newDocumentTemplate(bool startupForm);
