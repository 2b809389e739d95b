// Linked into the two 32-bit programs that ship. GCC 14's win32 thread support (libgcc's
// gthr-win32.o, which libstdc++'s exception memory pool pulls in for its mutex) imports
// GetThreadId (Windows Vista) and TryEnterCriticalSection (Windows NT) for std::thread
// and try_lock. Windows 98 and XP refuse to start a program whose imports their
// kernel32.dll lacks, so the program looks those two up when they are called instead:
// the linker takes the import slots defined here before kernel32's, and the import table
// names neither function. The stand-ins below are no implementations: on XP every thread
// would have id 0, and on 98 every try_lock would fail. So these programs must stay
// without std::thread and try_lock (a release check, no_thread_support.py, sees to it).
#include <windows.h>

namespace {

template <typename Fn>
Fn Kernel32(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

DWORD WINAPI LateGetThreadId(HANDLE thread) {
  if (auto real = Kernel32<DWORD(WINAPI*)(HANDLE)>("GetThreadId")) return real(thread);
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return 0;
}

// Without the function, the section is never entered.
BOOL WINAPI LateTryEnterCriticalSection(CRITICAL_SECTION* section) {
  if (auto real = Kernel32<BOOL(WINAPI*)(CRITICAL_SECTION*)>("TryEnterCriticalSection")) {
    return real(section);
  }
  return FALSE;
}

}  // namespace

extern "C" {
DWORD(WINAPI* morv_import_GetThreadId)(HANDLE) __asm__("__imp__GetThreadId@4") = LateGetThreadId;
BOOL(WINAPI* morv_import_TryEnterCriticalSection)(CRITICAL_SECTION*) __asm__(
    "__imp__TryEnterCriticalSection@4") = LateTryEnterCriticalSection;
}
