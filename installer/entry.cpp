// Install.exe's entry point. Linked without the C runtime's start-up code: nothing here
// needs it, and the program stays a few kilobytes of plain Win32.
#include "installer.h"

extern "C" void WINAPI InstallerEntry() {
  ExitProcess(static_cast<UINT>(morv::InstallerMain(nullptr, nullptr, nullptr, 0)));
}
