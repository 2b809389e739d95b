// The shipped programs' own import slots for GetThreadId and TryEnterCriticalSection,
// linked here as there: a call through either reaches kernel32's function where it has
// one (Wine's, as Windows XP's and later).
#include <windows.h>

#include <gtest/gtest.h>

namespace {

HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char*>(address), &module);
  return module;
}

DWORD WINAPI TryFromAnotherThread(void* section) {
  auto* cs = static_cast<CRITICAL_SECTION*>(section);
  if (!TryEnterCriticalSection(cs)) return 0;
  LeaveCriticalSection(cs);
  return 1;
}

DWORD TryInAnotherThread(CRITICAL_SECTION* section) {
  HANDLE thread = CreateThread(nullptr, 0, TryFromAnotherThread, section, 0, nullptr);
  EXPECT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  DWORD entered = 2;
  GetExitCodeThread(thread, &entered);
  CloseHandle(thread);
  return entered;
}

TEST(Win9xImportSlots, CallsReachKernel32ThroughThisProgramsOwnSlots) {
  // The slots hold this program's look-ups, not what the loader put in an import table.
  EXPECT_EQ(ModuleOf(reinterpret_cast<void*>(&GetThreadId)), GetModuleHandleA(nullptr));
  EXPECT_EQ(ModuleOf(reinterpret_cast<void*>(&TryEnterCriticalSection)),
            GetModuleHandleA(nullptr));

  EXPECT_EQ(GetThreadId(GetCurrentThread()), GetCurrentThreadId());

  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  ASSERT_TRUE(TryEnterCriticalSection(&section));
  EXPECT_EQ(TryInAnotherThread(&section), 0u);  // held here
  LeaveCriticalSection(&section);
  EXPECT_EQ(TryInAnotherThread(&section), 1u);
  DeleteCriticalSection(&section);
}

}  // namespace
