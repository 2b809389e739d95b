// Start-up in-process under Wine: the command tail drives the real runners,
// with real windows, the real configuration dialog and the saver's resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fern_saver_double.h"
#include "saver_script.h"
#include "saver_window.h"
#include "shell_start.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;
using test::RunScripted;
using test::ScriptReport;
using test::ScriptStep;
using test::TimesReceived;
using test::WaitUntil;

std::string Number(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

HWND MakeVisibleWindow(const char* title) {
  HWND w = test::CreateTestParent(160, 120);
  SetWindowTextA(w, title);
  return w;
}

HWND DeadWindow() {
  HWND w = test::CreateTestParent(40, 40);
  DestroyWindow(w);
  return w;
}

HWND FindConfigDialog() { return FindWindowA(MAKEINTRESOURCEA(32770), "Morvessantique"); }

class ShellStartTest : public ::testing::Test {
 protected:
  void SetUp() override { test::PrepareShell(false); }
  void TearDown() override {
    test::CleanUpAfterRun();
    for (HWND w : windows_) {
      if (IsWindow(w)) DestroyWindow(w);
    }
  }
  HWND Window(const char* title) {
    windows_.push_back(MakeVisibleWindow(title));
    return windows_.back();
  }
  int Dispatch(const std::string& tail, std::vector<ScriptStep> steps, ScriptReport* report = nullptr,
               DWORD watchdogMs = 20000) {
    test::PrepareShell(false);
    return RunScripted([&tail] { return DispatchMode(GetModuleHandleA(nullptr), tail.c_str()); },
                       std::move(steps), report, 10, watchdogMs);
  }
  // Runs a configure tail; reports the dialog's owner and ends the dialog.
  int Configure(const std::string& tail, HWND* owner) {
    *owner = reinterpret_cast<HWND>(-1);
    return Dispatch(tail, {WaitUntil([owner](HWND) {
                      HWND dialog = FindConfigDialog();
                      if (dialog == nullptr) return false;
                      *owner = GetWindow(dialog, GW_OWNER);
                      SendMessageA(dialog, WM_CLOSE, 0, 0);
                      return true;
                    })});
  }

  std::vector<HWND> windows_;
};

TEST_F(ShellStartTest, RecordsTheInstanceAndThePlatformFamily) {
  ResetShellState(Shell());
  EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), "/x"), -1);
  EXPECT_EQ(Shell().instance, GetModuleHandleA(nullptr));
  EXPECT_FALSE(Shell().onWin9x);  // Wine reports the NT family unless told otherwise
}

TEST_F(ShellStartTest, UnusableCommandLinesEndWithMinusOneAndShowNothing) {
  HWND host = Window("host");
  const std::string h = Number(host);
  const std::string tails[] = {"/x",        "/\ts",         "\x80",     "/p",
                               "/p 0",      "/p:" + h,      "/p abc",   "/p " + Number(DeadWindow()),
                               "/a " + h,   "/a",           "/1",       "/\xd3"};
  for (const std::string& tail : tails) {
    ScriptReport report;
    EXPECT_EQ(Dispatch(tail, {}, &report, 5000), -1) << tail;
    EXPECT_FALSE(report.watchdogFired) << tail;
    EXPECT_EQ(TimesReceived(WM_CREATE), 0) << tail;
    EXPECT_EQ(FindConfigDialog(), nullptr) << tail;
  }
}

TEST_F(ShellStartTest, PreviewSwitchesRunInsideTheGivenWindow) {
  HWND host = Window("host");
  const std::string h = Number(host);
  const std::string wrapped =
      std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(host)) + 4294967296ULL);
  const std::string tails[] = {"/p " + h, "/p" + h, "/P      " + h, "/l " + h, "-L" + h, "/p " + wrapped};
  for (const std::string& tail : tails) {
    ScriptReport report;
    EXPECT_EQ(Dispatch(tail, {Do([host](HWND saver) {
                                 EXPECT_EQ(FindWindowExA(host, nullptr, SaverClassName, PreviewTitle), saver);
                                 EXPECT_TRUE(Shell().previewMode);
                                 DestroyWindow(saver);
                               })},
                       &report),
              0)
        << tail;
    EXPECT_EQ(report.stepsRun, 1) << tail;
  }
}

TEST_F(ShellStartTest, PreviewEndsWhenItsParentIsDestroyed) {
  HWND host = Window("host");
  EXPECT_EQ(Dispatch("/p " + Number(host), {Do([host](HWND) { DestroyWindow(host); })}), 0);
}

TEST_F(ShellStartTest, FullScreenSwitchesIgnoreWhatFollows) {
  HWND host = Window("host");
  const std::string tails[] = {"/s", "-S", "s", "/s " + Number(host), "/s /p " + Number(host), " - /s"};
  for (const std::string& tail : tails) {
    ScriptReport report;
    EXPECT_EQ(Dispatch(tail, {Do([](HWND saver) {
                                 EXPECT_EQ(FindWindowA(SaverClassName, FullScreenTitle), saver);
                                 EXPECT_FALSE(Shell().previewMode);
                                 DestroyWindow(saver);
                               })},
                       &report),
              0)
        << tail;
    EXPECT_EQ(report.stepsRun, 1) << tail;
  }
}

TEST_F(ShellStartTest, EmptyTailOrSeparatorsOnlyOpenTheDialogWithoutOwner) {
  HWND foreground = Window("foreground");
  SetForegroundWindow(foreground);
  for (const char* tail : {"", "   ", "/", "- /"}) {
    HWND owner = nullptr;
    EXPECT_EQ(Configure(tail, &owner), 1) << '"' << tail << '"';
    EXPECT_EQ(owner, nullptr) << '"' << tail << '"';
  }
}

TEST_F(ShellStartTest, ConfigureWithColonAndHandleIsOwnedByThatWindow) {
  HWND named = Window("named owner");
  HWND foreground = Window("foreground");
  SetForegroundWindow(foreground);
  HWND owner = nullptr;
  EXPECT_EQ(Configure("/c:" + Number(named), &owner), 1);
  EXPECT_EQ(owner, named);
}

TEST_F(ShellStartTest, ConfigureWithoutAUsableOwnerBorrowsTheForegroundWindow) {
  HWND named = Window("named owner");
  HWND foreground = Window("foreground");
  const std::string tails[] = {"/c", "/c " + Number(named), "/c: " + Number(named),
                               "/c:" + Number(DeadWindow()), "/C:0", "c:"};
  for (const std::string& tail : tails) {
    SetForegroundWindow(foreground);
    HWND expected = GetForegroundWindow();
    ASSERT_NE(expected, nullptr);
    HWND owner = nullptr;
    EXPECT_EQ(Configure(tail, &owner), 1) << tail;
    EXPECT_EQ(owner, expected) << tail;
  }
}

TEST_F(ShellStartTest, ConfigureWithoutTheDialogTemplateReturnsThePlatformsFailure) {
  Shell().instance = GetModuleHandleA("kernel32.dll");  // holds no dialog 2003
  EXPECT_EQ(RunConfigure(nullptr), -1);
  EXPECT_EQ(ConfigDialogHook(GetModuleHandleA(nullptr)), 1);
}

TEST_F(ShellStartTest, FaultGuardStandsOnlyWhileTheModeRuns) {
  LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(before);
  LPTOP_LEVEL_EXCEPTION_FILTER during = nullptr;
  EXPECT_EQ(Dispatch("/s", {Do([&](HWND saver) {
                      during = SetUnhandledExceptionFilter(nullptr);
                      SetUnhandledExceptionFilter(during);
                      DestroyWindow(saver);
                    })}),
            0);
  EXPECT_NE(during, nullptr);
  EXPECT_NE(during, before);
  EXPECT_EQ(SetUnhandledExceptionFilter(before), before);
}

}  // namespace
}  // namespace morv
