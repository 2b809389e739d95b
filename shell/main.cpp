// The saver's GUI entry: everything happens in ShellStart, which ends the process.
#include <windows.h>

#include "shell_start.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  morv::ShellStart();
}
