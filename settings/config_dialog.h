// The configuration dialog (resource 2003).
#pragma once

#include <windows.h>

namespace morv {

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
