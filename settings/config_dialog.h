// The configuration dialog (resource 2003): the "Fast Madness" check box, stored at once.
#pragma once

#include <windows.h>

namespace morv {

// The dialog's process-wide state: the OK button's face, bitmap 104 as loaded when the
// dialog was initialised; null while no dialog holds it.
struct ConfigDialogState {
  HBITMAP okButtonBitmap;
};

ConfigDialogState& GetConfigDialogState();
// Back to the state at process start (for tests).
void ResetConfigDialogState();

// Returns FALSE for every message, WM_INITDIALOG included; ends the dialog with 1.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
