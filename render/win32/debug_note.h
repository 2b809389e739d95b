// Why the saver gives up, for a debugger or for Wine's debug channel (WINEDEBUG=
// warn+debugstr shows it): a Windows user sees only what the program shows.
#pragma once

#include <windows.h>

namespace morv {

// Sends "Morvessantique: <what> (error <GetLastError()>)" to the debug output.
inline void DebugNote(const char* what) {
  const DWORD error = GetLastError();
  char line[256];
  wsprintfA(line, "Morvessantique: %.200s (error %lu)\n", what, error);
  OutputDebugStringA(line);
  SetLastError(error);
}

}  // namespace morv
