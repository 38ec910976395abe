#pragma once

// The flags the main window shares between its subsystems. The window owns one
// instance for its whole life; subsystem classes hold a reference to it.
struct FormState
{
    // The page differs from what was last loaded or saved.
    bool changed = false;
    // The source view is showing.
    bool sourceView = false;
    // The source box was edited since it was last filled or applied.
    bool sourceEdited = false;
    // The first DocumentComplete has been handled.
    bool documentReady = false;
};
