// The shipped Install.exe, started as a user would start it: from a working directory
// with or without the saver file. Its dialog is read and closed from this process.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resource_ids.h"

#ifndef MORV_INSTALL_EXE
#error "MORV_INSTALL_EXE must name the built Install.exe"
#endif

namespace {

const char FileName[] = "Morvessantique.scr";
constexpr DWORD WaitMs = 15000;

// The build names the program by its host path; under Wine the host's root is drive Z:.
std::string InstallerPath() {
  std::string path = MORV_INSTALL_EXE;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string SystemDestination() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\" + FileName;
}

// Text of a window in another process: WM_GETTEXT is carried across, GetWindowText is not.
std::string RemoteText(HWND window) {
  char text[1100] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, WaitMs,
                      &ignored);
  return text;
}

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchInstallDialog(HWND window, LPARAM lParam) {
  Search* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == search->processId && std::string(className) == "#32770" && IsWindowVisible(window) &&
      RemoteText(window) == "Install") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct ProgramRun {
  std::string text;
  std::string caption;
  bool enabled = false;
  bool ended = false;
  DWORD exitCode = 12345;
};

class InstallExe : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char unique[MAX_PATH] = {};
    GetTempFileNameA(temp, "mve", 0, unique);
    DeleteFileA(unique);
    directory_ = unique;
    ASSERT_TRUE(CreateDirectoryA(directory_.c_str(), nullptr));
    DeleteFileA(SystemDestination().c_str());
  }
  void TearDown() override {
    DeleteFileA((directory_ + "\\" + FileName).c_str());
    RemoveDirectoryA(directory_.c_str());
    DeleteFileA(SystemDestination().c_str());
  }

  void PutSaver() {
    HANDLE file = CreateFileA((directory_ + "\\" + FileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "MZ dummy saver", 14, &written, nullptr);
    CloseHandle(file);
  }

  // Starts Install.exe in the scratch directory, reads its dialog, closes it with `close`
  // and collects the exit code. A program that does not end is killed.
  ProgramRun Start(void (*close)(HWND dialog)) {
    ProgramRun run;
    std::string commandLine = "\"" + InstallerPath() + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory_.c_str(),
                        &startup, &process)) {
      ADD_FAILURE() << "cannot start " << InstallerPath() << ": error " << GetLastError();
      return run;
    }
    Search search = {process.dwProcessId, nullptr};
    const DWORD start = GetTickCount();
    while (search.found == nullptr && GetTickCount() - start < WaitMs &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
      Sleep(50);
      EnumWindows(&MatchInstallDialog, reinterpret_cast<LPARAM>(&search));
    }
    if (search.found != nullptr) {
      run.text = RemoteText(GetDlgItem(search.found, IDC_INSTALL_STATUS));
      run.caption = RemoteText(GetDlgItem(search.found, IDOK));
      run.enabled = IsWindowEnabled(GetDlgItem(search.found, IDOK)) != FALSE;
      close(search.found);
    } else {
      ADD_FAILURE() << "the installer's dialog did not appear";
    }
    run.ended = WaitForSingleObject(process.hProcess, WaitMs) == WAIT_OBJECT_0;
    if (!run.ended) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, WaitMs);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
  }

  std::string directory_;
};

void PostClose(HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }

TEST_F(InstallExe, InstallsFromItsWorkingDirectoryAndExitsWithZero) {
  PutSaver();
  const ProgramRun run = Start(&PostClose);
  EXPECT_EQ(run.text, "Screen saver successfully installed into " + SystemDestination());
  EXPECT_EQ(run.caption, "Ok");
  EXPECT_TRUE(run.enabled);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(GetFileAttributesA(SystemDestination().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallExe, WithoutTheSaverFileReportsItAndExitsWithZero) {
  const ProgramRun run = Start(&PostClose);
  EXPECT_EQ(run.text, "Error: Cannot find source file Morvessantique.scr");
  EXPECT_EQ(run.caption, "Close");
  EXPECT_TRUE(run.enabled);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(GetFileAttributesA(SystemDestination().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallExe, EveryWayOfClosingExitsWithZero) {
  struct Case {
    const char* what;
    void (*close)(HWND dialog);
  };
  const Case cases[] = {
      {"button", [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
      {"Enter", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_RETURN, 1); }},
      {"Escape", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 1); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  PutSaver();
  for (const Case& c : cases) {
    const ProgramRun run = Start(c.close);
    EXPECT_TRUE(run.ended) << c.what;
    EXPECT_EQ(run.exitCode, 0u) << c.what;
  }
}

}  // namespace
