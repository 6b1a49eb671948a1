#include "ui/dialogs.h"

// Placeholder until the About box exists: shows nothing.
void ShowAboutBox(HWND) {}
