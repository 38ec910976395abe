#pragma once

// Process-wide set-up the browser engine needs before the QApplication exists:
// the sandbox switch for root, quiet networking, and our page URL scheme.
void prepareWebEngineEnvironment();
