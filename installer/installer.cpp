// The installer's work: one copy, made while the dialog is initialised, so the user
// sees only the outcome. Built to run without C runtime start-up: Win32 calls only.
#include "installer.h"

#include "resource_ids.h"

namespace morv {

namespace {

const char SourceFile[] = "Morvessantique.scr";
const char DialogTemplate[] = "InstallDialog";
const char CloseCaption[] = "Close";

// 236 + the separator + the 18-character file name + the terminator = 256.
const UINT DirectoryBufferChars = 256;
const UINT LongestSystemDirectory = 236;
const int MessageBufferChars = 1024;

InstallerPlatform g_installerPlatform = {};

UINT SystemDirectory(LPSTR buffer, UINT size) {
  const InstallerPlatform& platform = GetInstallerPlatform();
  return platform.getSystemDirectory != nullptr ? platform.getSystemDirectory(buffer, size)
                                                : GetSystemDirectoryA(buffer, size);
}

// An outcome, in the order the user must see it: text, then caption (if any), then the
// button becomes usable.
void ShowOutcome(HWND dialog, HWND button, const char* text, const char* caption) {
  SetDlgItemTextA(dialog, IDC_INSTALL_STATUS, text);
  if (caption != nullptr) {
    SetDlgItemTextA(dialog, IDOK, caption);
  }
  EnableWindow(button, TRUE);
}

void Install(HWND dialog) {
  HWND button = GetDlgItem(dialog, IDOK);
  char path[DirectoryBufferChars];
  const UINT length = SystemDirectory(path, DirectoryBufferChars);
  // Zero means the query failed and left the buffer undefined: no path can be made.
  if (length == 0) {
    ShowOutcome(dialog, button, "Error: Unable to find system directory!", CloseCaption);
    return;
  }
  // Also catches a directory too long for the buffer (the needed size comes back).
  if (length > LongestSystemDirectory) {
    ShowOutcome(dialog, button, "Error: lenght of system directory is too long!", CloseCaption);
    return;
  }
  lstrcatA(path, "\\");
  lstrcatA(path, SourceFile);

  char message[MessageBufferChars];
  if (CopyFileA(SourceFile, path, FALSE)) {
    wsprintfA(message, "Screen saver successfully installed into %s", path);
    ShowOutcome(dialog, button, message, nullptr);
    return;
  }
  if (GetLastError() == ERROR_FILE_NOT_FOUND) {
    wsprintfA(message, "Error: Cannot find source file %s", SourceFile);
  } else {
    wsprintfA(message, "Error: Unable to instal screensaver to %s", path);
  }
  ShowOutcome(dialog, button, message, CloseCaption);
}

}  // namespace

InstallerPlatform& GetInstallerPlatform() { return g_installerPlatform; }

void ResetInstallerPlatform() { g_installerPlatform = InstallerPlatform{}; }

int WINAPI InstallerMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                         int /*showCommand*/) {
  DialogBoxParamA(instance, DialogTemplate, nullptr, InstallDialogProc, 0);
  return 0;
}

INT_PTR CALLBACK InstallDialogProc(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      Install(dialog);
      break;
    case WM_COMMAND:  // the button, Enter (IDOK), Escape (IDCANCEL): all end it
    case WM_CLOSE:
      EndDialog(dialog, 1);
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace morv
