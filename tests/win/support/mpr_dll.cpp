// MPR.DLL for the tests (see password_fakes.h): records each password-change call.
#include <cstdio>
#include <cstdlib>

#include "password_fakes.h"

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND window,
                                                                 DWORD reserved1, DWORD reserved2) {
  char text[160] = {};
  int calls = 0;
  if (GetEnvironmentVariableA(morv::test::FakeMprCallsVariable, text, sizeof text) > 0) {
    calls = std::atoi(text);
  }
  std::snprintf(text, sizeof text, "%d", calls + 1);
  SetEnvironmentVariableA(morv::test::FakeMprCallsVariable, text);
  std::snprintf(text, sizeof text, "%s|%llu|%lu|%lu", provider != nullptr ? provider : "(null)",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)),
                static_cast<unsigned long>(reserved1), static_cast<unsigned long>(reserved2));
  SetEnvironmentVariableA(morv::test::FakeMprLastVariable, text);
  return 0;
}
