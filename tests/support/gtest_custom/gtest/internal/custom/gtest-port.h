// GoogleTest's customisation header, found ahead of its own empty one by the
// Windows test builds. MinGW's win32 thread model (the shipping 32-bit build) has
// no std::mutex or std::condition_variable, which GoogleTest needs only for its
// Notification; everything else of its thread support already uses Win32 objects.
// So supply Notification with a Win32 event and keep GoogleTest thread-safe.
#ifndef MORV_GTEST_CUSTOM_PORT_H_
#define MORV_GTEST_CUSTOM_PORT_H_

#if defined(_WIN32)
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif

#endif  // MORV_GTEST_CUSTOM_PORT_H_
