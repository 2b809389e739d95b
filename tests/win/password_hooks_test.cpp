// The password hooks on the Windows 9x family: this program runs with Wine's
// Windows 98 version (set up by ctest) and finds the stand-in PASSWORD.CPL and
// MPR.DLL beside it. Real saver windows, real messages, the real registry and
// the platform's own screen-saver-running state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fern_saver_double.h"
#include "password_hooks.h"
#include "password_support.h"
#include "saver_script.h"
#include "saver_window.h"
#include "shell_start.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;
using test::FakePasswordControl;
using test::RunScripted;
using test::ScriptStep;
using test::TakePosted;
using test::TimesReceived;
using test::WaitUntil;

HCURSOR Arrow() { return LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); }

class PasswordHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::PlatformIsWin9x())
        << "this program must run with Wine's Windows 98 version (ctest sets it up)";
    SetCursorPos(500, 400);
    test::PrepareShell(true);
    test::SetUsePassword(1);
    test::SetSaverRunningHere(0);
    test::ResetFakeMpr();
    // Kept loaded by the test, so that its record outlives the shell's own
    // load and unload.
    pin_ = LoadLibraryA("PASSWORD.CPL");
    ASSERT_NE(pin_, nullptr);
    const auto block = reinterpret_cast<test::FakePasswordControlFn>(
        reinterpret_cast<void*>(GetProcAddress(pin_, test::FakePasswordControlName)));
    ASSERT_NE(block, nullptr);
    fake_ = block();
    *fake_ = FakePasswordControl{};
    fake_->answer = 1;
    fake_->shellVerifying = &Shell().verifying;
  }
  void TearDown() override {
    test::CleanUpAfterRun();
    if (pin_ != nullptr) FreeLibrary(pin_);
    test::RemoveUsePassword();
    test::SetSaverRunningHere(0);
    if (parent_ != nullptr) DestroyWindow(parent_);
  }

  int RunFullScreen(std::vector<ScriptStep> steps) {
    return RunScripted([] { return RunSaverWindow(nullptr); }, std::move(steps), &report_);
  }
  static ScriptStep Destroy() {
    return Do([](HWND saver) { DestroyWindow(saver); });
  }
  // Waits until the check has run `calls` times and has ended.
  ScriptStep CheckDone(int calls) {
    FakePasswordControl* fake = fake_;
    return WaitUntil([fake, calls](HWND) { return fake->calls >= calls && !Shell().verifying; });
  }

  HMODULE pin_ = nullptr;
  FakePasswordControl* fake_ = nullptr;
  test::ScriptReport report_;
  HWND parent_ = nullptr;
};

TEST_F(PasswordHooksTest, StartUpSeesTheWindows9xFamily) {
  EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), "/x"), -1);
  EXPECT_TRUE(Shell().onWin9x);
}

struct SettingCase {
  const char* name;
  DWORD type;
  std::vector<BYTE> bytes;
  bool asks;
};

TEST_F(PasswordHooksTest, HookIsLoadedOnlyWhenThePasswordSettingAsksForIt) {
  const SettingCase cases[] = {
      {"number 1", REG_DWORD, {1, 0, 0, 0}, true},
      {"number 0", REG_DWORD, {0, 0, 0, 0}, false},
      {"number 0x100", REG_DWORD, {0, 1, 0, 0}, true},
      {"one byte 1", REG_BINARY, {1}, true},
      {"one byte 0", REG_BINARY, {0}, false},  // the number starts at zero
      {"two bytes 00 01", REG_BINARY, {0, 1}, true},
      {"text \"1\"", REG_SZ, {'1', 0}, true},
      {"text \"0\"", REG_SZ, {'0', 0}, true},  // the byte '0' is not zero
      {"five bytes", REG_BINARY, {1, 0, 0, 0, 0}, false},  // does not fit in four
      {"eight bytes", REG_BINARY, {1, 1, 1, 1, 1, 1, 1, 1}, false},
      {"empty", REG_BINARY, {}, false},
  };
  for (const SettingCase& c : cases) {
    test::SetUsePassword(c.type, c.bytes);
    LoadPasswordHook();
    EXPECT_EQ(Shell().passwordModule != nullptr, c.asks) << c.name;
    EXPECT_EQ(Shell().verifyPassword != nullptr, c.asks) << c.name;
    EXPECT_EQ(test::SaverRunningHere(), c.asks ? TRUE : FALSE) << c.name;
    UnloadPasswordHook();
    EXPECT_EQ(Shell().passwordModule, nullptr) << c.name;
    EXPECT_EQ(Shell().verifyPassword, nullptr) << c.name;
    EXPECT_EQ(test::SaverRunningHere(), FALSE) << c.name;
  }
  test::RemoveUsePassword();
  LoadPasswordHook();
  EXPECT_EQ(Shell().passwordModule, nullptr) << "no value at all";
}

TEST_F(PasswordHooksTest, LoadingAgainUnloadsTheEarlierHookFirst) {
  LoadPasswordHook();
  HMODULE first = Shell().passwordModule;
  ASSERT_NE(first, nullptr);
  test::SetUsePassword(0);
  LoadPasswordHook();  // the old hook goes, no new one comes
  EXPECT_EQ(Shell().passwordModule, nullptr);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);
}

TEST_F(PasswordHooksTest, FirstCloseAsksAndARefusalKeepsTheSaverWithTheCursorHidden) {
  fake_->answer = 0;
  fake_->cursorDuringCall = Arrow();
  EXPECT_EQ(RunFullScreen({Do([this](HWND saver) {
                             EXPECT_EQ(Shell().lastVerifyTick, NoVerifyTick);
                             EXPECT_EQ(test::SaverRunningHere(), TRUE);
                             PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                           }),
                           CheckDone(1),
                           Do([this](HWND saver) {
                             EXPECT_EQ(fake_->calls, 1);
                             EXPECT_EQ(fake_->lastWindow, saver);
                             EXPECT_TRUE(fake_->verifyingDuringCall);
                             EXPECT_TRUE(IsWindow(saver));
                             EXPECT_EQ(Shell().closeApproved, 0);
                             EXPECT_EQ(GetCursor(), nullptr);
                             EXPECT_NE(Shell().lastVerifyTick, NoVerifyTick);
                             EXPECT_EQ(TimesReceived(VerifyRequestMessage), 1);
                           }),
                           Destroy()}),
            0);
  EXPECT_EQ(report_.stepsRun, 4);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);  // the unload after the loop
}

TEST_F(PasswordHooksTest, CheckThrowsAwayUpToTwoWaitingTimerTicks) {
  fake_->answer = 0;
  int ticksBefore = 0;
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
                             ticksBefore = TimesReceived(WM_TIMER);
                             PostMessageA(saver, WM_CLOSE, 0, 0);
                             for (int i = 0; i < 3; ++i) PostMessageA(saver, WM_TIMER, 1, 0);
                           }),
                           CheckDone(1),
                           WaitUntil([&](HWND) { return TimesReceived(WM_TIMER) > ticksBefore; }),
                           Do([&](HWND) { EXPECT_EQ(TimesReceived(WM_TIMER) - ticksBefore, 1); }),
                           Destroy()}),
            0);
  EXPECT_EQ(report_.stepsRun, 5);
}

TEST_F(PasswordHooksTest, CloseWithinTheDebounceIsRefusedWithoutAskingAndAfterItAsksAgain) {
  fake_->answer = 0;
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
                             EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
                             EXPECT_EQ(fake_->calls, 1);
                             // Straight after the refused check, on the same thread: however
                             // loaded the machine, far inside the 200 ms.
                             EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
                             EXPECT_EQ(fake_->calls, 1);
                             EXPECT_TRUE(IsWindow(saver));
                           }),
                           WaitUntil([](HWND) {
                             return TicksSince(Shell().lastVerifyTick, GetTickCount()) >= 220;
                           }),
                           Do([&](HWND saver) {
                             EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
                             EXPECT_EQ(fake_->calls, 2);  // asked again
                             fake_->answer = 1;
                           }),
                           WaitUntil([](HWND) {
                             return TicksSince(Shell().lastVerifyTick, GetTickCount()) >= 220;
                           }),
                           Do([&](HWND saver) { PostMessageA(saver, WM_CLOSE, 0, 0); })}),
            0);
  EXPECT_EQ(fake_->calls, 3);
  EXPECT_EQ(Shell().closeApproved, 1);
}

TEST_F(PasswordHooksTest, CloseDuringTheCheckIsRefusedWithoutASecondCheck) {
  fake_->answer = 0;
  fake_->sendDuringCall = WM_CLOSE;  // re-entry straight through SendMessageA
  fake_->postCloseDuringCall = true;  // and a queued one, met by the prompt's own loop
  fake_->pumpMs = 100;
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) { PostMessageA(saver, WM_CLOSE, 0, 0); }),
                           CheckDone(1),
                           Do([this](HWND saver) {
                             EXPECT_EQ(fake_->calls, 1);
                             EXPECT_EQ(fake_->sentAnswer, 0);
                             EXPECT_TRUE(IsWindow(saver));
                             EXPECT_FALSE(Shell().verifying);
                           }),
                           Destroy()}),
            0);
}

TEST_F(PasswordHooksTest, AnyNonZeroAnswerApprovesAndEndsTheRun) {
  const LONG answers[] = {1, 2, -1, 0x40000000, static_cast<LONG>(0x80000000u)};
  for (LONG answer : answers) {
    test::PrepareShell(true);
    fake_->answer = answer;
    fake_->calls = 0;
    fake_->shellVerifying = &Shell().verifying;
    report_ = {};
    EXPECT_EQ(RunFullScreen({Do([](HWND saver) { PostMessageA(saver, WM_LBUTTONDOWN, 0, 0); })}), 0)
        << answer;
    EXPECT_FALSE(report_.watchdogFired) << answer;
    EXPECT_EQ(fake_->calls, 1) << answer;
    EXPECT_EQ(Shell().closeApproved, answer) << answer;
    EXPECT_FALSE(IsWindow(Shell().saverWindow)) << answer;
    EXPECT_EQ(Shell().passwordModule, nullptr) << answer;
    EXPECT_EQ(test::SaverRunningHere(), FALSE) << answer;
  }
}

TEST_F(PasswordHooksTest, AcceptedCheckFreesTheModuleAfterTheLoop) {
  FreeLibrary(pin_);  // the shell's own reference is the only one now
  pin_ = nullptr;
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              EXPECT_NE(GetModuleHandleA("PASSWORD.CPL"), nullptr);
              PostMessageA(saver, WM_KEYDOWN, VK_RETURN, 0);
            })}),
            0);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);
}

TEST_F(PasswordHooksTest, AutoPlayQueryCancelsWhileAHookIsLoaded) {
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
                             EXPECT_EQ(Shell().autoPlayMessage, autoPlay);
                             EXPECT_EQ(SendMessageA(saver, autoPlay, 0, 0), 1);
                             EXPECT_TRUE(TakePosted(saver, WM_CLOSE));
                             EXPECT_EQ(fake_->calls, 0);
                           }),
                           Destroy()}),
            0);
  test::PrepareShell(true);
  test::SetUsePassword(0);
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
                             EXPECT_EQ(SendMessageA(saver, autoPlay, 0, 0), 0);
                             EXPECT_TRUE(TakePosted(saver, WM_CLOSE));
                           }),
                           Destroy()}),
            0);
}

TEST_F(PasswordHooksTest, WithoutAPasswordSettingTheCloseIsApprovedWithoutACheck) {
  test::SetUsePassword(0);
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              EXPECT_EQ(Shell().passwordModule, nullptr);
              EXPECT_EQ(SendMessageA(saver, VerifyRequestMessage, 0, 0), 1);
              PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
            })}),
            0);
  EXPECT_EQ(Shell().closeApproved, 1);
  EXPECT_EQ(fake_->calls, 0);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);  // never set
}

TEST_F(PasswordHooksTest, SecondFullScreenStartLoadsNoHook) {
  test::HostProcess running = test::StartHost(SaverClassName, FullScreenTitle, 100, 80, 30000);
  ASSERT_NE(running.window, nullptr);
  EXPECT_EQ(RunSaverWindow(nullptr), 0);
  EXPECT_EQ(Shell().passwordModule, nullptr);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);
  test::StopHost(running);
}

TEST_F(PasswordHooksTest, PreviewNeverLoadsTheHookAndClosesWithoutACheck) {
  parent_ = test::CreateTestParent(120, 90);
  HWND parent = parent_;
  EXPECT_EQ(RunScripted([parent] { return RunSaverWindow(parent); },
                        {Do([](HWND saver) {
                          EXPECT_EQ(Shell().passwordModule, nullptr);
                          EXPECT_EQ(test::SaverRunningHere(), FALSE);
                          SendMessageA(saver, WM_CLOSE, 0, 0);
                          EXPECT_FALSE(IsWindow(saver));
                        })}),
            0);
  EXPECT_EQ(fake_->calls, 0);
}

TEST_F(PasswordHooksTest, ChangePasswordCallsTheProviderOnceWithItsParent) {
  HWND owner = test::CreateTestParent(100, 80);
  EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), ("/a " + test::WindowNumber(owner)).c_str()), 0);
  EXPECT_EQ(test::FakeMprCalls(), 1);
  EXPECT_EQ(test::FakeMprLastCall(), "SCRSAVE|" + test::WindowNumber(owner) + "|0|0");
  EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);  // freed afterwards
  DestroyWindow(owner);
}

TEST_F(PasswordHooksTest, ChangePasswordWithoutAUsableParentTakesTheForegroundWindow) {
  HWND foreground = test::CreateTestParent(100, 80);
  HWND dead = test::CreateTestParent(10, 10);
  DestroyWindow(dead);
  for (const std::string& tail : {std::string("/a"), std::string("/a 0"), "-A " + test::WindowNumber(dead)}) {
    SetForegroundWindow(foreground);
    const std::string expected = test::WindowNumber(GetForegroundWindow());
    test::ResetFakeMpr();
    EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), tail.c_str()), 0) << tail;
    EXPECT_EQ(test::FakeMprCalls(), 1) << tail;
    EXPECT_EQ(test::FakeMprLastCall(), "SCRSAVE|" + expected + "|0|0") << tail;
  }
  DestroyWindow(foreground);
}

TEST(TicksSince, CountsAcrossTheWrapOfTheTickCounter) {
  struct Case {
    std::uint32_t earlier, later, elapsed;
  };
  const Case cases[] = {
      {1000, 1150, 150},          {0xFFFFFF00u, 0x10, 0x110},  {0xFFFFFFFFu, 0, 1},
      {0xFFFFFFA0u, 0x28, 0x88},  {5, 5, 0},                    {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TicksSince(c.earlier, c.later), c.elapsed) << std::hex << c.earlier << " " << c.later;
  }
  // A check that ended 0x60 ms before the counter wrapped is still within the debounce.
  EXPECT_LT(TicksSince(0xFFFFFFA0u, 0x28), VerifyDebounceMs);
}

TEST_F(PasswordHooksTest, DebounceIsMeasuredWithTheWrappingDifference) {
  fake_->answer = 0;
  EXPECT_EQ(RunFullScreen({Do([this](HWND saver) {
                             Shell().lastVerifyTick = GetTickCount() - 100;  // wraps when the count is low
                             EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
                             EXPECT_EQ(fake_->calls, 0);
                             Shell().lastVerifyTick = GetTickCount() - 300;
                             EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
                             EXPECT_EQ(fake_->calls, 1);
                           }),
                           Destroy()}),
            0);
}

}  // namespace
}  // namespace morv
