// The installer: copies Morvessantique.scr from the current directory into the system
// directory and shows the outcome in its one dialog ("InstallDialog").
#pragma once

#include <windows.h>

namespace morv {

// The one platform call that tests must be able to make fail or lie about.
// A null member means the real API: the installer runs without C runtime start-up, so
// nothing may need a constructor (the address of an imported function is not a
// link-time constant).
struct InstallerPlatform {
  UINT(WINAPI* getSystemDirectory)(LPSTR buffer, UINT size);
};

InstallerPlatform& GetInstallerPlatform();
// Back to the real API (for tests).
void ResetInstallerPlatform();

// Shows the dialog from the template of `instance` (null: this executable); returns 0.
int WINAPI InstallerMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// Installs during WM_INITDIALOG; any command or WM_CLOSE ends the dialog with 1.
// Returns FALSE for every message.
INT_PTR CALLBACK InstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
