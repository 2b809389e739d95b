// Helpers shared by the password tests: the user's password setting and the
// platform's screen-saver-running state, both real.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>

#include "password_fakes.h"

namespace morv::test {

constexpr char DesktopKey[] = "Control Panel\\Desktop";
constexpr char UsePasswordValue[] = "ScreenSaveUsePassword";

inline void SetUsePassword(DWORD type, const std::vector<BYTE>& bytes) {
  HKEY k = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(k, UsePasswordValue, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(k);
}

inline void SetUsePassword(DWORD number) {
  const BYTE* p = reinterpret_cast<const BYTE*>(&number);
  SetUsePassword(REG_DWORD, std::vector<BYTE>(p, p + sizeof number));
}

inline void RemoveUsePassword() {
  HKEY k = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, UsePasswordValue);
  RegCloseKey(k);
}

// This process's view; it changes with this process's own SystemParametersInfoA calls.
inline BOOL SaverRunningHere() {
  BOOL running = -1;
  SystemParametersInfoA(0x0072 /* SPI_GETSCREENSAVERRUNNING */, 0, &running, 0);
  return running;
}

inline void SetSaverRunningHere(UINT running) {
  UINT previous = 0;
  SystemParametersInfoA(97 /* SPI_SETSCREENSAVERRUNNING */, running, &previous, 0);
}

inline bool PlatformIsWin9x() {
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof v;
  return GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

inline int FakeMprCalls() {
  char text[32] = {};
  if (GetEnvironmentVariableA(FakeMprCallsVariable, text, sizeof text) == 0) return 0;
  return std::atoi(text);
}

inline std::string FakeMprLastCall() {
  char text[160] = {};
  GetEnvironmentVariableA(FakeMprLastVariable, text, sizeof text);
  return text;
}

inline void ResetFakeMpr() {
  SetEnvironmentVariableA(FakeMprCallsVariable, nullptr);
  SetEnvironmentVariableA(FakeMprLastVariable, nullptr);
}

inline std::string WindowNumber(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

}  // namespace morv::test
