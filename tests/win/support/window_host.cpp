// A plain top-level window in a process of its own, for the tests: a preview
// parent for the saver's "/p", or a stand-in for a saver that already runs.
//   shell_test_host <class> <title> <client width> <client height> <lifetime ms>
// Prints the window's handle as an unsigned decimal number, then keeps the
// window until it is closed or the lifetime is over. Whenever its child windows
// change (another program's preview, say) it prints one line per child:
// "child <class>|<title>|<x>,<y>,<width>,<height>|<state>" and then
// "children <count>". The state is "ready" once the child's process has come to
// wait for input (its window is made and its message loop runs), "starting" before:
// a child is listed while it is still being created, and a parent that went then
// would make its creation fail.
//   shell_test_host saver-running [0|1]
// Sets the platform's screen-saver-running state if a value is given, and
// exits with the state as this fresh process reads it (Wine caches system
// parameters per process, so another process's change is seen only here).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

constexpr UINT_PTR LifetimeTimer = 1;
constexpr UINT_PTR ChildWatchTimer = 2;

struct HostState {
  std::string lastReport;
};
HostState g_host;

bool OwnerWaitsForInput(HWND child) {
  DWORD processId = 0;
  GetWindowThreadProcessId(child, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  const bool waiting = WaitForInputIdle(process, 0) == 0;
  CloseHandle(process);
  return waiting;
}

BOOL CALLBACK AddChild(HWND child, LPARAM report) {
  char className[64] = {};
  char title[64] = {};
  GetClassNameA(child, className, sizeof className);
  GetWindowTextA(child, title, sizeof title);
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  char line[200];
  std::snprintf(line, sizeof line, "child %s|%s|%ld,%ld,%ld,%ld|%s\n", className, title, r.left,
                r.top, r.right - r.left, r.bottom - r.top,
                OwnerWaitsForInput(child) ? "ready" : "starting");
  *reinterpret_cast<std::string*>(report) += line;
  return TRUE;
}

void ReportChildren(HWND window) {
  std::string report;
  EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&report));
  if (report == g_host.lastReport) return;
  g_host.lastReport = report;
  int count = 0;
  for (char c : report) count += (c == '\n') ? 1 : 0;
  std::printf("%schildren %d\n", report.c_str(), count);
  std::fflush(stdout);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      if (wParam == ChildWatchTimer) {
        ReportChildren(window);
      } else {
        DestroyWindow(window);
      }
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int SaverRunning(int argc, char** argv) {
  if (argc == 3) {
    UINT previous = 0;
    SystemParametersInfoA(97 /* SPI_SETSCREENSAVERRUNNING */, std::atoi(argv[2]), &previous, 0);
  }
  BOOL running = FALSE;
  if (!SystemParametersInfoA(0x0072 /* SPI_GETSCREENSAVERRUNNING */, 0, &running, 0)) return 99;
  return running ? 1 : 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "saver-running") == 0) return SaverRunning(argc, argv);
  if (argc != 6) {
    std::fprintf(stderr, "usage: shell_test_host class title width height lifetime-ms\n");
    return 2;
  }
  WNDCLASSA c = {};
  c.lpfnWndProc = HostProc;
  c.hInstance = GetModuleHandleA(nullptr);
  c.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  c.lpszClassName = argv[1];
  if (!RegisterClassA(&c)) return 3;
  RECT r = {0, 0, std::atoi(argv[3]), std::atoi(argv[4])};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowExA(0, argv[1], argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 4;
  std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
  std::fflush(stdout);
  SetTimer(window, LifetimeTimer, static_cast<UINT>(std::strtoul(argv[5], nullptr, 10)), nullptr);
  SetTimer(window, ChildWatchTimer, 200, nullptr);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
