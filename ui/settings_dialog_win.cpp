#include "ui/dialogs.h"

// Placeholder until the Settings dialog exists: opens nothing and reports Cancel.
INT_PTR ShowSettingsDialog(HWND) {
    return 0;
}
