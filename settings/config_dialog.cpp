// The configuration dialog: one check box that switches "Fast Madness", asking before
// it switches on. Every change is stored at once; closing keeps what was stored.
#include "config_dialog.h"

#include "fast_madness.h"
#include "resource_ids.h"

namespace morv {

namespace {

const char ConfirmText[] =
    "Setting this option will force screen saver to display ferns at 100 fps!\n"
    "This may not work under Windows 9x systems. Set option anyway?";
const char ConfirmCaption[] = "Dialog";

ConfigDialogState g_configDialog = {};

void OnInitDialog(HWND dialog) {
  ConfigDialogState& state = GetConfigDialogState();
  // Bitmap from the running executable; a failed load leaves the button with its text.
  state.okButtonBitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_OK_BUTTON));
  SendDlgItemMessageA(dialog, IDOK, BM_SETIMAGE, IMAGE_BITMAP,
                      reinterpret_cast<LPARAM>(state.okButtonBitmap));
  if (ReadFastMadness() == 1) {
    SendDlgItemMessageA(dialog, IDC_FAST_MADNESS, BM_SETCHECK, BST_CHECKED, 0);
  }
}

// The box is an automatic check box: it has already toggled to the user's choice.
void OnFastMadnessClicked(HWND dialog) {
  if (SendDlgItemMessageA(dialog, IDC_FAST_MADNESS, BM_GETCHECK, 0, 0) != BST_CHECKED) {
    WriteFastMadness(0);
    return;
  }
  if (MessageBoxA(dialog, ConfirmText, ConfirmCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    WriteFastMadness(1);
  } else {
    SendDlgItemMessageA(dialog, IDC_FAST_MADNESS, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void OnClose(HWND dialog) {
  ConfigDialogState& state = GetConfigDialogState();
  // The slot is cleared so that a second close request cannot delete the bitmap twice.
  if (state.okButtonBitmap != nullptr) {
    DeleteObject(state.okButtonBitmap);
    state.okButtonBitmap = nullptr;
  }
  EndDialog(dialog, 1);
}

}  // namespace

ConfigDialogState& GetConfigDialogState() { return g_configDialog; }

void ResetConfigDialogState() { g_configDialog = ConfigDialogState{}; }

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      break;
    case WM_COMMAND:
      // Only a click on the check box (its id with notification 0) changes the setting;
      // OK, Enter, Escape and every other command close the dialog.
      if (wParam == IDC_FAST_MADNESS) {
        OnFastMadnessClicked(dialog);
      } else {
        OnClose(dialog);
      }
      break;
    case WM_CLOSE:
      OnClose(dialog);
      break;
    default:
      break;
  }
  // FALSE throughout: default dialog handling applies and no focus is set at start.
  return FALSE;
}

}  // namespace morv
