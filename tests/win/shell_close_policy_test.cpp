// The close policy on real windows under the real message loop: which input,
// activation and power messages ask a full-screen saver to close, and that a
// preview never closes on input.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "close_policy.h"
#include "fern_saver_double.h"
#include "password_hooks.h"
#include "saver_run_test.h"
#include "saver_script.h"
#include "saver_window.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;
using test::RunScripted;
using test::ScriptStep;
using test::TakePosted;

struct MessageCase {
  UINT message;
  WPARAM wParam;
  bool closes;
  const char* name;
};

// Sends one message to the live saver and reports whether it queued a close request.
bool SendAsksToClose(HWND saver, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  while (TakePosted(saver, WM_CLOSE)) {
  }
  SendMessageA(saver, message, wParam, lParam);
  return TakePosted(saver, WM_CLOSE);
}

// A counting password hook, bound straight into the shell record.
struct HookCalls {
  int count = 0;
  BOOL answer = 0;
};
HookCalls g_hook;
BOOL WINAPI CountingHook(HWND) {
  ++g_hook.count;
  return g_hook.answer;
}

constexpr POINT Start = {400, 300};

class ClosePolicyTest : public test::SaverRunTest {
 protected:
  ClosePolicyTest() : SaverRunTest(Start, SIZE{200, 150}) {}
  void SetUp() override {
    g_hook = HookCalls{};
    SaverRunTest::SetUp();
  }
};

TEST(CursorTravel, AddsTheAbsoluteDistancesOnBothAxes) {
  struct Case {
    POINT from, to;
    std::uint32_t travel;
  };
  const Case cases[] = {
      {{0, 0}, {2, 2}, 4},
      {{0, 0}, {-2, -2}, 4},
      {{10, 10}, {13, 8}, 5},
      {{10, 10}, {10, 10}, 0},
      {{-5, 7}, {5, -7}, 24},
      {{INT_MIN, 0}, {INT_MAX, 0}, 0xFFFFFFFFu},
      {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, 0xFFFFFFFFu},  // saturates, never wraps to small
      {{0, 0}, {INT_MIN, 0}, 0x80000000u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CursorTravel(c.from, c.to), c.travel)
        << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
  }
}

TEST_F(ClosePolicyTest, KeyAndButtonDownsAskToClose) {
  const MessageCase cases[] = {
      {WM_KEYDOWN, VK_SPACE, true, "WM_KEYDOWN"},
      {WM_SYSKEYDOWN, VK_MENU, true, "WM_SYSKEYDOWN"},
      {WM_LBUTTONDOWN, 0, true, "WM_LBUTTONDOWN"},
      {WM_RBUTTONDOWN, 0, true, "WM_RBUTTONDOWN"},
      {WM_MBUTTONDOWN, 0, true, "WM_MBUTTONDOWN"},
  };
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
              for (const MessageCase& c : cases) {
                EXPECT_EQ(SendAsksToClose(saver, c.message, c.wParam), c.closes) << c.name;
              }
            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
}

TEST_F(ClosePolicyTest, ReleasesDoubleClicksWheelAndCharactersDoNotClose) {
  const MessageCase cases[] = {
      {WM_KEYUP, VK_SPACE, false, "WM_KEYUP"},
      {WM_SYSKEYUP, VK_MENU, false, "WM_SYSKEYUP"},
      {WM_CHAR, 'x', false, "WM_CHAR"},
      {WM_LBUTTONUP, 0, false, "WM_LBUTTONUP"},
      {WM_RBUTTONUP, 0, false, "WM_RBUTTONUP"},
      {WM_MBUTTONUP, 0, false, "WM_MBUTTONUP"},
      {WM_LBUTTONDBLCLK, 0, false, "WM_LBUTTONDBLCLK"},
      {WM_RBUTTONDBLCLK, 0, false, "WM_RBUTTONDBLCLK"},
      {WM_MBUTTONDBLCLK, 0, false, "WM_MBUTTONDBLCLK"},
      {WM_MOUSEWHEEL, static_cast<WPARAM>(WHEEL_DELTA) << 16, false, "WM_MOUSEWHEEL"},
      {0x020E /* WM_MOUSEHWHEEL */, static_cast<WPARAM>(WHEEL_DELTA) << 16, false, "WM_MOUSEHWHEEL"},
  };
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
              for (const MessageCase& c : cases) {
                EXPECT_EQ(SendAsksToClose(saver, c.message, c.wParam), c.closes) << c.name;
              }
            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
}

TEST_F(ClosePolicyTest, LosingActivationAndPowerEventsAskToClose) {
  const MessageCase cases[] = {
      {WM_ACTIVATEAPP, 1, false, "WM_ACTIVATEAPP gaining"},
      {WM_ACTIVATEAPP, 0, true, "WM_ACTIVATEAPP losing"},
      {WM_POWER, 1 /* PWR_SUSPENDREQUEST */, false, "WM_POWER 1"},
      {WM_POWER, 2 /* PWR_SUSPENDRESUME */, false, "WM_POWER 2"},
      {WM_POWER, 3 /* PWR_CRITICALRESUME */, true, "WM_POWER 3"},
      {WM_POWERBROADCAST, 0, true, "WM_POWERBROADCAST 0"},
      {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true, "WM_POWERBROADCAST resume"},
      {WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, true, "WM_POWERBROADCAST status"},
  };
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
              for (const MessageCase& c : cases) {
                EXPECT_EQ(SendAsksToClose(saver, c.message, c.wParam), c.closes) << c.name;
              }
            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
}

TEST_F(ClosePolicyTest, MouseTravelMustExceedFourPixelsFromTheReference) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              const POINT ref = Shell().cursorReference;
              EXPECT_EQ(ref.x, Start.x);  // taken at window creation
              EXPECT_EQ(ref.y, Start.y);
              // A mouse-move message without real movement, whatever it carries.
              EXPECT_FALSE(SendAsksToClose(saver, WM_MOUSEMOVE, 0, MAKELPARAM(900, 700)));
              SetCursorPos(ref.x + 2, ref.y + 2);
              EXPECT_FALSE(SendAsksToClose(saver, WM_MOUSEMOVE));
              SetCursorPos(ref.x - 4, ref.y);
              EXPECT_FALSE(SendAsksToClose(saver, WM_MOUSEMOVE));
              EXPECT_EQ(Shell().cursorReference.x, ref.x);  // small moves leave it
              SetCursorPos(ref.x + 3, ref.y + 2);
              EXPECT_TRUE(SendAsksToClose(saver, WM_MOUSEMOVE));
              EXPECT_EQ(Shell().cursorReference.x, ref.x + 3);  // moved to the closing position
              EXPECT_EQ(Shell().cursorReference.y, ref.y + 2);
            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
}

TEST_F(ClosePolicyTest, SlowDriftClosesOnceTheTotalPassesFour) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              const POINT ref = Shell().cursorReference;
              for (int step = 1; step <= 4; ++step) {
                SetCursorPos(ref.x + step, ref.y);
                EXPECT_FALSE(SendAsksToClose(saver, WM_MOUSEMOVE)) << step;
              }
              SetCursorPos(ref.x + 5, ref.y);
              EXPECT_TRUE(SendAsksToClose(saver, WM_MOUSEMOVE));
            })}),
            0);
}

TEST_F(ClosePolicyTest, SetCursorAndShowWindowKeepTheCursorHidden) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
              SetCursor(arrow);
              EXPECT_EQ(SendMessageA(saver, WM_SETCURSOR, reinterpret_cast<WPARAM>(saver),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                        1);
              EXPECT_EQ(GetCursor(), nullptr);
              SetCursor(arrow);
              SendMessageA(saver, WM_SHOWWINDOW, FALSE, 0);
              EXPECT_EQ(GetCursor(), arrow);  // being hidden: the cursor is left alone
              SendMessageA(saver, WM_SHOWWINDOW, TRUE, 0);
              EXPECT_EQ(GetCursor(), nullptr);
            })}),
            0);
}

TEST_F(ClosePolicyTest, PreviewNeverClosesOnInput) {
  const MessageCase cases[] = {
      {WM_KEYDOWN, VK_SPACE, false, "WM_KEYDOWN"},
      {WM_SYSKEYDOWN, VK_MENU, false, "WM_SYSKEYDOWN"},
      {WM_LBUTTONDOWN, 0, false, "WM_LBUTTONDOWN"},
      {WM_RBUTTONDOWN, 0, false, "WM_RBUTTONDOWN"},
      {WM_MBUTTONDOWN, 0, false, "WM_MBUTTONDOWN"},
      {WM_ACTIVATEAPP, 0, false, "WM_ACTIVATEAPP losing"},
      {WM_POWER, 3, false, "WM_POWER 3"},
      {WM_POWERBROADCAST, 0, false, "WM_POWERBROADCAST"},
      {WM_MOUSEMOVE, 0, false, "WM_MOUSEMOVE far away"},
  };
  EXPECT_EQ(RunPreview({Do([&](HWND saver) {
              SetCursorPos(Start.x + 100, Start.y + 100);
              for (const MessageCase& c : cases) {
                EXPECT_EQ(SendAsksToClose(saver, c.message, c.wParam), c.closes) << c.name;
              }
              EXPECT_TRUE(IsWindow(saver));
            })}),
            0);
}

TEST_F(ClosePolicyTest, PreviewLeavesSetCursorToTheDefaultProcedure) {
  EXPECT_EQ(RunPreview({Do([&](HWND saver) {
              HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
              SetCursor(arrow);
              test::ParentLog().received.clear();
              // DefWindowProcA asks a child's parent first; the parent answers 0.
              EXPECT_EQ(SendMessageA(saver, WM_SETCURSOR, reinterpret_cast<WPARAM>(saver),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                        0);
              EXPECT_EQ(test::TimesParentReceived(WM_SETCURSOR), 1);
              EXPECT_EQ(GetCursor(), arrow);
            })}),
            0);
}

TEST_F(ClosePolicyTest, CloseOffWin9xDestroysAtOnceWithoutACheck) {
  Shell().verifyPassword = CountingHook;  // even a bound hook is not asked
  HWND closed = nullptr;
  EXPECT_EQ(RunScripted([] { return RunSaverWindow(nullptr); },
                        {Do([&](HWND saver) {
                          closed = saver;
                          EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
                          EXPECT_FALSE(IsWindow(saver));
                        })},
                        &report_),
            0);
  EXPECT_EQ(g_hook.count, 0);
  EXPECT_NE(closed, nullptr);
  EXPECT_EQ(Shell().closeApproved, 0);  // approval is a Windows 9x matter only
}

TEST_F(ClosePolicyTest, VerificationRequestOffWin9xGetsTheDefaultAnswer) {
  Shell().verifyPassword = CountingHook;
  g_hook.answer = 5;
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              EXPECT_EQ(SendMessageA(saver, VerifyRequestMessage, 0, 0), 0);
            })}),
            0);
  EXPECT_EQ(g_hook.count, 0);
}

TEST_F(ClosePolicyTest, AutoPlayQueryClosesAndCancelsOnlyWithAHook) {
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
              Shell().autoPlayMessage = autoPlay;
              EXPECT_TRUE(SendAsksToClose(saver, autoPlay));
              EXPECT_EQ(SendMessageA(saver, autoPlay, 0, 0), 0);
              Shell().verifyPassword = CountingHook;
              EXPECT_EQ(SendMessageA(saver, autoPlay, 0, 0), 1);
              EXPECT_TRUE(TakePosted(saver, WM_CLOSE));
              Shell().verifyPassword = nullptr;
            })}),
            0);
  EXPECT_EQ(g_hook.count, 0);  // answering the query does not ask for the password
}

TEST_F(ClosePolicyTest, AutoPlayQueryClosesEvenAPreview) {
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  EXPECT_EQ(RunPreview({Do([&](HWND saver) {
              Shell().autoPlayMessage = autoPlay;
              EXPECT_TRUE(SendAsksToClose(saver, autoPlay));
            })}),
            0);
}

TEST_F(ClosePolicyTest, MessageZeroIsNeverTakenForTheAutoPlayQuery) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              ASSERT_EQ(Shell().autoPlayMessage, 0u);  // not registered off Windows 9x
              Shell().verifyPassword = CountingHook;
              EXPECT_FALSE(SendAsksToClose(saver, WM_NULL));
              EXPECT_EQ(SendMessageA(saver, WM_NULL, 0, 0), 0);
              Shell().verifyPassword = nullptr;
            })}),
            0);
}

TEST_F(ClosePolicyTest, ApprovedCloseTurnsThePolicyOff) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              Shell().closeApproved = 1;
              EXPECT_FALSE(SendAsksToClose(saver, WM_ACTIVATEAPP, 0));
              EXPECT_FALSE(SendAsksToClose(saver, WM_POWERBROADCAST, 0));
              EXPECT_EQ(SendMessageA(saver, WM_SETCURSOR, reinterpret_cast<WPARAM>(saver),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                        0);  // DefWindowProcA: the class has no cursor
            })}),
            0);
}

TEST_F(ClosePolicyTest, InputRulesRestWhileThePasswordCheckRuns) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              Shell().verifying = true;
              EXPECT_FALSE(SendAsksToClose(saver, WM_KEYDOWN, VK_SPACE));
              EXPECT_FALSE(SendAsksToClose(saver, WM_ACTIVATEAPP, 0));
              SetCursorPos(Start.x + 50, Start.y);
              EXPECT_FALSE(SendAsksToClose(saver, WM_MOUSEMOVE));
              EXPECT_EQ(SendMessageA(saver, WM_SETCURSOR, reinterpret_cast<WPARAM>(saver),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                        0);
              Shell().verifying = false;
              SetCursorPos(Start.x, Start.y);
            })}),
            0);
}

// The Windows 9x road, with a hook bound straight into the record (the hook
// module's own loading is covered by the password tests).
TEST_F(ClosePolicyTest, RefusedCloseOnWin9xKeepsTheWindowAndResetsTheReference) {
  test::PrepareShell(true);
  Shell().verifyPassword = CountingHook;
  g_hook.answer = 0;
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              SetCursorPos(Start.x + 40, Start.y + 30);
              EXPECT_EQ(SendMessageA(saver, WM_CLOSE, 0, 0), 0);
              EXPECT_TRUE(IsWindow(saver));
              EXPECT_EQ(g_hook.count, 1);
              EXPECT_EQ(Shell().cursorReference.x, Start.x + 40);
              EXPECT_EQ(Shell().cursorReference.y, Start.y + 30);
              // Travel is measured from there now.
              SetCursorPos(Start.x + 42, Start.y + 32);
              Shell().lastVerifyTick = NoVerifyTick;
              EXPECT_FALSE(SendAsksToClose(saver, WM_MOUSEMOVE));
              Shell().verifyPassword = nullptr;  // lets the closing step through
            })}),
            0);
}

TEST_F(ClosePolicyTest, VerificationRequestOnWin9xIsAnsweredByTheHook) {
  test::PrepareShell(true);
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              EXPECT_EQ(SendMessageA(saver, VerifyRequestMessage, 0, 0), 1);  // no hook
              Shell().verifyPassword = CountingHook;
              g_hook.answer = 7;
              EXPECT_EQ(SendMessageA(saver, VerifyRequestMessage, 0, 0), 7);
              EXPECT_EQ(g_hook.count, 1);
              Shell().verifyPassword = nullptr;
            })}),
            0);
}

}  // namespace
}  // namespace morv
