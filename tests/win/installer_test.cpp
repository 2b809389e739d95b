// The installer's dialog and copy, run in this process from the real "InstallDialog"
// template, with the system-directory query replaced where a case needs it.
#include "installer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "settings_win_test_support.h"

namespace {

using morv_test::ItemText;
using morv_test::ModalDialogThread;
using morv_test::PressKey;

const char FileName[] = "Morvessantique.scr";

// ---------------------------------------------------------------------------------------
// Files.

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string data(4096, '\0');
  DWORD read = 0;
  ::ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &read, nullptr);
  CloseHandle(file);
  data.resize(read);
  return data;
}

void WriteWholeFile(const std::string& path, const std::string& data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(file);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

std::string RealSystemDirectory() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

// ---------------------------------------------------------------------------------------
// The replaced system-directory query: fills the buffer with `directory` (when it fits)
// and returns `result`.

struct FakeQuery {
  std::string directory;
  UINT result = 0;
};
FakeQuery g_fakeQuery;

UINT WINAPI FakeSystemDirectory(LPSTR buffer, UINT size) {
  if (g_fakeQuery.directory.size() < size) {
    lstrcpyA(buffer, g_fakeQuery.directory.c_str());
  }
  return g_fakeQuery.result;
}

// ---------------------------------------------------------------------------------------
// The order in which the outcome reaches the controls, seen on the dialog's thread.

std::vector<std::string>* g_order = nullptr;

LRESULT CALLBACK RecordOutcomeOrder(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_order != nullptr) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const int id = GetDlgCtrlID(call->hwnd);
    if (call->message == WM_SETTEXT && id == IDC_INSTALL_STATUS) {
      g_order->push_back("text");
    } else if (call->message == WM_SETTEXT && id == IDOK) {
      g_order->push_back(std::string("caption ") + reinterpret_cast<const char*>(call->lParam));
    } else if (call->message == WM_ENABLE && id == IDOK && call->wParam) {
      g_order->push_back("enable");
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR RunInstallerMain() {
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &RecordOutcomeOrder, nullptr, GetCurrentThreadId());
  const int result = morv::InstallerMain(nullptr, nullptr, nullptr, 0);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return result;
}

struct Outcome {
  std::string text;
  std::string caption;
  bool enabled = false;
  std::vector<std::string> order;
};

class Installer : public testing::Test {
 protected:
  void SetUp() override {
    morv::ResetInstallerPlatform();
    g_fakeQuery = FakeQuery{};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char unique[MAX_PATH] = {};
    GetTempFileNameA(temp, "mvi", 0, unique);
    DeleteFileA(unique);
    scratch_ = unique;
    ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr));
    source_ = scratch_ + "\\source";
    ASSERT_TRUE(CreateDirectoryA(source_.c_str(), nullptr));
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    savedCurrent_ = current;
    ASSERT_TRUE(SetCurrentDirectoryA(source_.c_str()));
    realDestination_ = RealSystemDirectory() + "\\" + FileName;
    savedRealDestination_ = Exists(realDestination_) ? ReadWholeFile(realDestination_) : "";
    hadRealDestination_ = Exists(realDestination_);
  }

  void TearDown() override {
    SetCurrentDirectoryA(savedCurrent_.c_str());
    RemoveTree(scratch_);
    if (hadRealDestination_) {
      WriteWholeFile(realDestination_, savedRealDestination_);
    } else {
      DeleteFileA(realDestination_.c_str());
    }
    morv::ResetInstallerPlatform();
    g_order = nullptr;
  }

  void PutSourceFile(const std::string& data) { WriteWholeFile(source_ + "\\" + FileName, data); }

  void FakeSystemDirectoryAs(const std::string& directory, UINT result) {
    g_fakeQuery.directory = directory;
    g_fakeQuery.result = result;
    morv::GetInstallerPlatform().getSystemDirectory = &FakeSystemDirectory;
  }

  // Runs the installer, reads its dialog, closes it with `close` and checks that it ended
  // and InstallerMain returned 0.
  Outcome Run(void (*close)(HWND) = [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }) {
    Outcome outcome;
    g_order = &outcome.order;
    ModalDialogThread runner(&RunInstallerMain);
    HWND dialog = runner.WaitForDialog("Install");
    EXPECT_NE(dialog, nullptr) << "the installer's dialog did not appear";
    if (dialog == nullptr) return outcome;
    outcome.text = ItemText(dialog, IDC_INSTALL_STATUS);
    outcome.caption = ItemText(dialog, IDOK);
    outcome.enabled = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
    close(dialog);
    INT_PTR result = -100;
    EXPECT_TRUE(runner.WaitForEnd(&result)) << "the installer's dialog did not end";
    EXPECT_EQ(result, 0);
    g_order = nullptr;
    return outcome;
  }

  std::string scratch_;
  std::string source_;
  std::string savedCurrent_;
  std::string realDestination_;
  std::string savedRealDestination_;
  bool hadRealDestination_ = false;
};

const std::vector<std::string> SuccessOrder = {"text", "enable"};
const std::vector<std::string> ErrorOrder = {"text", "caption Close", "enable"};

TEST_F(Installer, CopiesTheSaverIntoTheSystemDirectory) {
  DeleteFileA(realDestination_.c_str());
  PutSourceFile("saver bytes");
  const Outcome outcome = Run();
  EXPECT_EQ(outcome.text, "Screen saver successfully installed into " + realDestination_);
  EXPECT_EQ(outcome.caption, "Ok");
  EXPECT_TRUE(outcome.enabled);
  EXPECT_EQ(outcome.order, SuccessOrder);
  EXPECT_EQ(ReadWholeFile(realDestination_), "saver bytes");
}

TEST_F(Installer, ReplacesAnInstalledSaver) {
  WriteWholeFile(realDestination_, "an older saver, longer than the new one");
  PutSourceFile("new saver");
  const Outcome outcome = Run();
  EXPECT_EQ(outcome.text, "Screen saver successfully installed into " + realDestination_);
  EXPECT_EQ(outcome.caption, "Ok");
  EXPECT_EQ(ReadWholeFile(realDestination_), "new saver");
}

TEST_F(Installer, ReportsAMissingSourceFile) {
  DeleteFileA(realDestination_.c_str());
  const Outcome outcome = Run();
  EXPECT_EQ(outcome.text, "Error: Cannot find source file Morvessantique.scr");
  EXPECT_EQ(outcome.caption, "Close");
  EXPECT_TRUE(outcome.enabled);
  EXPECT_EQ(outcome.order, ErrorOrder);
  EXPECT_FALSE(Exists(realDestination_));
}

// The source is looked for in the current directory, not next to the program.
TEST_F(Installer, LooksForTheSourceInTheCurrentDirectoryOnly) {
  const std::string elsewhere = scratch_ + "\\elsewhere";
  ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
  PutSourceFile("saver bytes");
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
  const Outcome outcome = Run();
  EXPECT_EQ(outcome.text, "Error: Cannot find source file Morvessantique.scr");
}

TEST_F(Installer, ReportsADestinationThatCannotBeWritten) {
  struct Case {
    const char* what;
    void (*prepare)(const std::string& directory, const std::string& destination);
  };
  const Case cases[] = {
      {"destination is a directory (access denied)",
       [](const std::string& directory, const std::string& destination) {
         CreateDirectoryA(directory.c_str(), nullptr);
         CreateDirectoryA(destination.c_str(), nullptr);
       }},
      {"system directory does not exist", [](const std::string&, const std::string&) {}},
  };
  PutSourceFile("saver bytes");
  int n = 0;
  for (const Case& c : cases) {
    const std::string directory = scratch_ + "\\system" + std::to_string(n++);
    const std::string destination = directory + "\\" + FileName;
    c.prepare(directory, destination);
    FakeSystemDirectoryAs(directory, static_cast<UINT>(directory.size()));
    const Outcome outcome = Run();
    EXPECT_EQ(outcome.text, "Error: Unable to instal screensaver to " + destination) << c.what;
    EXPECT_EQ(outcome.caption, "Close") << c.what;
    EXPECT_TRUE(outcome.enabled) << c.what;
    EXPECT_EQ(outcome.order, ErrorOrder) << c.what;
  }
}

TEST_F(Installer, ReportsADestinationFileInUse) {
  PutSourceFile("saver bytes");
  const std::string directory = scratch_ + "\\system";
  ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
  const std::string destination = directory + "\\" + FileName;
  WriteWholeFile(destination, "running saver");
  HANDLE locked = CreateFileA(destination.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  FakeSystemDirectoryAs(directory, static_cast<UINT>(directory.size()));
  const Outcome outcome = Run();
  CloseHandle(locked);
  EXPECT_EQ(outcome.text, "Error: Unable to instal screensaver to " + destination);
  EXPECT_EQ(outcome.caption, "Close");
  EXPECT_EQ(ReadWholeFile(destination), "running saver");
}

// A directory of `length` characters under the scratch folder, made on disk.
std::string MakeDirectoryOfLength(const std::string& base, size_t length) {
  std::string path = base;
  while (path.size() < length) {
    const size_t room = length - path.size() - 1;  // one for the separator
    const size_t part = room > 100 ? 60 : room;
    path += "\\" + std::string(part, 'd');
    CreateDirectoryA(path.c_str(), nullptr);
  }
  return path;
}

TEST_F(Installer, AcceptsASystemDirectoryOf236Characters) {
  PutSourceFile("saver bytes");
  const std::string directory = MakeDirectoryOfLength(scratch_, 236);
  ASSERT_EQ(directory.size(), 236u);
  FakeSystemDirectoryAs(directory, 236);
  const Outcome outcome = Run();
  const std::string destination = directory + "\\" + FileName;
  ASSERT_EQ(destination.size(), 255u);
  EXPECT_EQ(outcome.text, "Screen saver successfully installed into " + destination);
  EXPECT_EQ(outcome.caption, "Ok");
  EXPECT_EQ(ReadWholeFile(destination), "saver bytes");
}

TEST_F(Installer, RefusesLongerSystemDirectoriesAndCopiesNothing) {
  PutSourceFile("saver bytes");
  const std::string directory = MakeDirectoryOfLength(scratch_, 237);
  ASSERT_EQ(directory.size(), 237u);
  struct Case {
    const char* what;
    UINT result;
  };
  // The query returns the needed size when the path does not fit the 256-character buffer.
  const Case cases[] = {{"237 characters", 237}, {"too long for the buffer", 300}};
  for (const Case& c : cases) {
    FakeSystemDirectoryAs(directory, c.result);
    const Outcome outcome = Run();
    EXPECT_EQ(outcome.text, "Error: lenght of system directory is too long!") << c.what;
    EXPECT_EQ(outcome.caption, "Close") << c.what;
    EXPECT_TRUE(outcome.enabled) << c.what;
    EXPECT_EQ(outcome.order, ErrorOrder) << c.what;
    EXPECT_FALSE(Exists(directory + "\\" + FileName)) << c.what;
  }
}

// A failed query (0) must not lead to a copy into whatever the buffer holds.
TEST_F(Installer, ReportsAFailedSystemDirectoryQueryAndCopiesNothing) {
  PutSourceFile("saver bytes");
  const std::string directory = scratch_ + "\\system";
  ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
  FakeSystemDirectoryAs(directory, 0);
  const Outcome outcome = Run();
  EXPECT_EQ(outcome.text, "Error: Unable to find system directory!");
  EXPECT_EQ(outcome.caption, "Close");
  EXPECT_TRUE(outcome.enabled);
  EXPECT_EQ(outcome.order, ErrorOrder);
  EXPECT_FALSE(Exists(directory + "\\" + FileName));
}

TEST_F(Installer, EveryWayOfClosingEndsTheProgram) {
  struct Case {
    const char* what;
    bool source;
    void (*close)(HWND dialog);
  };
  const Case cases[] = {
      {"button after success", true, [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
      {"button after an error", false, [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
      {"Enter", true, [](HWND d) { PressKey(d, VK_RETURN); }},
      {"Escape", false, [](HWND d) { PressKey(d, VK_ESCAPE); }},
      {"close box", true, [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", false, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA((source_ + "\\" + FileName).c_str());
    if (c.source) PutSourceFile("saver bytes");
    Run(c.close);  // checks that the dialog ended and InstallerMain returned 0
  }
}

TEST_F(Installer, TheDialogEndsWithOne) {
  struct Case {
    const char* what;
    void (*close)(HWND dialog);
  };
  const Case cases[] = {
      {"command", [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(4242, 7), 0); }},
      {"WM_CLOSE", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    ModalDialogThread runner([] {
      return DialogBoxParamA(nullptr, "InstallDialog", nullptr, morv::InstallDialogProc, 0);
    });
    HWND dialog = runner.WaitForDialog("Install");
    ASSERT_NE(dialog, nullptr) << c.what;
    c.close(dialog);
    INT_PTR result = -100;
    ASSERT_TRUE(runner.WaitForEnd(&result)) << c.what;
    EXPECT_EQ(result, 1) << c.what;
  }
}

// ---------------------------------------------------------------------------------------
// The installer's one resource.

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR lParam) {
  auto* names = reinterpret_cast<std::vector<std::string>*>(lParam);
  names->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(name)) : name);
  return TRUE;
}

TEST(InstallerResources, TheDialogIsStoredUnderItsUpperCaseName) {
  std::vector<std::string> names;
  EnumResourceNamesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(5), &CollectName,
                     reinterpret_cast<LONG_PTR>(&names));
  EXPECT_EQ(names, std::vector<std::string>{"INSTALLDIALOG"});
}

TEST(InstallerResources, DialogTemplate) {
  const morv_test::DialogTemplate dialog = morv_test::ReadDialogTemplate(GetModuleHandleA(nullptr), "InstallDialog");
  ASSERT_TRUE(dialog.found);
  EXPECT_EQ(dialog.language, MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT));
  EXPECT_EQ(dialog.style, DWORD{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT});
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 177);
  EXPECT_EQ(dialog.cy, 69);
  EXPECT_EQ(dialog.caption, "Install");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  ASSERT_EQ(dialog.items.size(), 2u);

  const morv_test::DialogItem& button = dialog.items[0];
  EXPECT_EQ(button.id, IDOK);
  EXPECT_TRUE(button.className == "#128" || button.className == "BUTTON") << button.className;
  EXPECT_EQ(button.text, "Ok");
  EXPECT_EQ(button.style, DWORD{WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_DEFPUSHBUTTON});
  EXPECT_EQ(button.x, 120);
  EXPECT_EQ(button.y, 48);
  EXPECT_EQ(button.cx, 50);
  EXPECT_EQ(button.cy, 14);

  const morv_test::DialogItem& text = dialog.items[1];
  EXPECT_EQ(text.id, IDC_INSTALL_STATUS);
  EXPECT_TRUE(text.className == "#130" || text.className == "STATIC") << text.className;
  EXPECT_EQ(text.text, "Installing screen saver...");
  EXPECT_EQ(text.style, DWORD{WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT});
  EXPECT_EQ(text.x, 7);
  EXPECT_EQ(text.y, 7);
  EXPECT_EQ(text.cx, 163);
  EXPECT_EQ(text.cy, 36);
}

}  // namespace
