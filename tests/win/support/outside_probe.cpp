// Looks at and drives the real saver from another process, for the end-to-end
// scripts and the soak.
//   outside_probe gui CLASS
//     Finds the top-level window of that class and prints, for its process:
//     "gdi G user U handles H windows W". G and U come from GetGuiResources
//     (Wine answers 0 for both); H is the process's kernel handle count (-1
//     when unknown) and W the number of windows it owns, top-level and child.
//     Exit 1 when no such window exists.
//   outside_probe launch SCR TIMEOUT_MS HEXTAIL
//     Starts SCR with exactly the command line "SCR" TAIL (TAIL given as hex
//     bytes, so that any byte reaches the program as it is) and prints
//     "exit N" with its exit code, or "timeout" after ending it when it runs
//     longer than TIMEOUT_MS. With the tail "-", HEX... is not used and the
//     command line is the next argument's hex bytes whole, program name included.
//   outside_probe click TITLE CONTROL_ID
//     Clicks a control of the top-level window with that title (BM_CLICK), as
//     a user's click would, without waiting for what the click opens.
//   outside_probe checked TITLE CONTROL_ID
//     Prints 1 when that check box is checked, 0 when not.
//   outside_probe close TITLE
//     Asks the top-level window with that title to close (WM_CLOSE), as its
//     close box would, without waiting.
//   outside_probe display WIDTH HEIGHT
//     Changes the display to WIDTH x HEIGHT (ChangeDisplaySettingsA, for this
//     session only), as a docking station or the display settings do; the system
//     then tells every top-level window. Prints the result; exit 1 when it failed.
//   outside_probe monitors
//     Prints each monitor's rectangle as the system lists it (rcMonitor,
//     "LEFT,TOP-RIGHT,BOTTOM"), one a line (in no promised order).
//   outside_probe lock-setting | unlock-setting
//     Gives HKCU\Software\Quillane\Morvessantique a security descriptor that
//     lets everybody read it and nobody write it (creating the key if needed),
//     or takes that back and deletes the key.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

const char SettingKeyPath[] = "Software\\Quillane\\Morvessantique";

struct WindowCount {
  DWORD processId;
  int windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++reinterpret_cast<WindowCount*>(count)->windows;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
  auto* c = reinterpret_cast<WindowCount*>(count);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == c->processId) {
    ++c->windows;
    EnumChildWindows(window, CountChild, count);
  }
  return TRUE;
}

// The kernel handles a process holds. GetProcessHandleCount answers 0 under
// Wine; the system-wide handle list (NtQuerySystemInformation, class 16) has
// them, one entry per handle with its owner's id.
struct SystemHandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ULONG access;
};
struct SystemHandleList {
  ULONG count;
  SystemHandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

long KernelHandles(DWORD processId, HANDLE process) {
  DWORD counted = 0;
  if (GetProcessHandleCount(process, &counted) && counted != 0) return static_cast<long>(counted);
  const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  constexpr ULONG SystemHandleInformation = 16;
  constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::string buffer(1 << 16, '\0');
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(SystemHandleInformation, &buffer[0],
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == InfoLengthMismatch) {
      buffer.assign(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096, '\0');
      continue;
    }
    if (status != 0) return -1;
    break;
  }
  const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
  long n = 0;
  for (ULONG i = 0; i < list->count; ++i) n += list->entries[i].ownerPid == processId;
  return n;
}

int GuiResources(const char* className) {
  const HWND window = FindWindowA(className, nullptr);
  if (window == nullptr) {
    std::printf("no window of class %s\n", className);
    return 1;
  }
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process == nullptr) {
    std::printf("cannot open process %lu\n", processId);
    return 1;
  }
  const long handles = KernelHandles(processId, process);
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  CloseHandle(process);
  WindowCount count{processId, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
  std::printf("gdi %lu user %lu handles %ld windows %d\n", gdi, user, handles, count.windows);
  return 0;
}

bool FromHex(const char* hex, std::string& out) {
  const std::size_t n = std::strlen(hex);
  if (n % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < n; i += 2) {
    char pair[3] = {hex[i], hex[i + 1], '\0'};
    char* end = nullptr;
    const unsigned long byte = std::strtoul(pair, &end, 16);
    if (end != pair + 2) return false;
    out.push_back(static_cast<char>(byte));
  }
  return true;
}

int Launch(int argc, char** argv) {
  if (argc < 5) return 2;
  const char* program = argv[2];
  const DWORD timeoutMs = std::strtoul(argv[3], nullptr, 10);
  std::string commandLine;
  if (std::strcmp(argv[4], "-") == 0) {
    if (argc < 6 || !FromHex(argv[5], commandLine)) return 2;
  } else {
    std::string tail;
    if (!FromHex(argv[4], tail)) return 2;
    commandLine = std::string("\"") + program + "\" " + tail;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    std::printf("cannot start: error %lu\n", GetLastError());
    return 1;
  }
  CloseHandle(info.hThread);
  if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    std::printf("timeout\n");
    return 0;
  }
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  std::printf("exit %ld\n", static_cast<long>(code));
  return 0;
}

HWND Control(const char* title, const char* id) {
  const HWND window = FindWindowA(nullptr, title);
  if (window == nullptr) return nullptr;
  return GetDlgItem(window, std::atoi(id));
}

int Click(const char* title, const char* id) {
  const HWND control = Control(title, id);
  if (control == nullptr) {
    std::printf("no control %s in a window \"%s\"\n", id, title);
    return 1;
  }
  // Posted: the click may open a modal box that waits for the user.
  PostMessageA(control, BM_CLICK, 0, 0);
  return 0;
}

int Close(const char* title) {
  const HWND window = FindWindowA(nullptr, title);
  if (window == nullptr) {
    std::printf("no window \"%s\"\n", title);
    return 1;
  }
  PostMessageA(window, WM_CLOSE, 0, 0);
  return 0;
}

int Checked(const char* title, const char* id) {
  const HWND control = Control(title, id);
  if (control == nullptr) {
    std::printf("no control %s in a window \"%s\"\n", id, title);
    return 1;
  }
  std::printf("%d\n", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
  return 0;
}

// A protected DACL with one entry: everybody may read (or, to undo, do anything).
int SetSettingAccess(REGSAM everybody) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    std::printf("cannot open the key's security\n");
    return 1;
  }
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) unsigned char aclBytes[256];
  auto* acl = reinterpret_cast<PACL>(aclBytes);
  InitializeAcl(acl, sizeof aclBytes, ACL_REVISION);
  AddAccessAllowedAce(acl, ACL_REVISION, everybody, everyone);
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  const LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  RegCloseKey(key);
  FreeSid(everyone);
  if (set != ERROR_SUCCESS) {
    std::printf("RegSetKeySecurity failed: %ld\n", set);
    return 1;
  }
  return 0;
}

}  // namespace

int ChangeDisplay(const char* width, const char* height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(std::atoi(width));
  mode.dmPelsHeight = static_cast<DWORD>(std::atoi(height));
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  // Not CDS_FULLSCREEN: such a mode belongs to this process, and Wine 10 gives
  // the old one back once the probe has ended.
  const LONG result = ChangeDisplaySettingsA(&mode, 0);
  std::printf("display %s\n", result == DISP_CHANGE_SUCCESSFUL ? "changed" : "unchanged");
  return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

static BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return FALSE;
  const RECT& r = info.rcMonitor;
  std::printf("%ld,%ld-%ld,%ld\n", r.left, r.top, r.right, r.bottom);
  return TRUE;
}

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "gui" && argc == 3) return GuiResources(argv[2]);
  if (command == "launch") return Launch(argc, argv);
  if (command == "click" && argc == 4) return Click(argv[2], argv[3]);
  if (command == "checked" && argc == 4) return Checked(argv[2], argv[3]);
  if (command == "close" && argc == 3) return Close(argv[2]);
  if (command == "display" && argc == 4) return ChangeDisplay(argv[2], argv[3]);
  if (command == "monitors") {
    return EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0) ? 0 : 1;
  }
  if (command == "lock-setting") return SetSettingAccess(KEY_READ);
  if (command == "unlock-setting") {
    if (SetSettingAccess(KEY_ALL_ACCESS) != 0) return 1;
    return RegDeleteKeyA(HKEY_CURRENT_USER, SettingKeyPath) == ERROR_SUCCESS ? 0 : 1;
  }
  std::fprintf(stderr, "usage: outside_probe gui CLASS | launch SCR TIMEOUT_MS HEXTAIL | "
                       "click TITLE ID | checked TITLE ID | close TITLE | display W H | monitors | "
                       "lock-setting | unlock-setting\n");
  return 2;
}
