// The saver window under Wine: its class, both shapes, the running-saver test,
// the message loop and the routing of ShellWindowProc in front of FernSaverProc.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fern_saver_double.h"
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
using test::TimesReceived;

HCURSOR Arrow() { return LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */); }

std::string TitleOf(HWND window) {
  char text[64] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

class SaverWindowTest : public test::SaverRunTest {
 protected:
  SaverWindowTest() : SaverRunTest(POINT{300, 200}, SIZE{152, 112}) {}
};

TEST_F(SaverWindowTest, ClassHasItsStyleIconBlackBrushAndNoCursor) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              WNDCLASSA c = {};
              ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), SaverClassName, &c));
              EXPECT_EQ(c.style, 0x2Bu);
              EXPECT_EQ(c.lpfnWndProc, &ShellWindowProc);
              EXPECT_EQ(c.cbClsExtra, 0);
              EXPECT_EQ(c.cbWndExtra, 0);
              EXPECT_NE(c.hIcon, nullptr);  // icon 100 of the saver's resources
              EXPECT_EQ(c.hCursor, nullptr);
              EXPECT_EQ(c.hbrBackground, GetStockObject(BLACK_BRUSH));
              EXPECT_EQ(c.lpszMenuName, nullptr);
              EXPECT_EQ(GetClassLongPtrA(saver, GCLP_HCURSOR), 0);
            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
}

TEST_F(SaverWindowTest, FullScreenWindowCoversTheScreenOnTopAndInFront) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              RECT screen = {};
              HDC dc = GetDC(nullptr);
              GetClipBox(dc, &screen);
              ReleaseDC(nullptr, dc);
              RECT r = {};
              GetWindowRect(saver, &r);
              EXPECT_EQ(r.left, screen.left);
              EXPECT_EQ(r.top, screen.top);
              EXPECT_EQ(r.right, screen.right);
              EXPECT_EQ(r.bottom, screen.bottom);
              EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(saver, GWL_STYLE)), 0x96000000u);
              EXPECT_NE(GetWindowLongA(saver, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
              EXPECT_EQ(GetParent(saver), nullptr);
              EXPECT_EQ(TitleOf(saver), "Screen Saver");
              EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), saver);
              EXPECT_EQ(GetForegroundWindow(), saver);
              EXPECT_FALSE(Shell().previewMode);
            })}),
            0);
}

TEST_F(SaverWindowTest, PreviewIsAChildThatFillsTheParentsClientAreaAsItWas) {
  EXPECT_EQ(RunPreview({Do([this](HWND saver) {
                          EXPECT_EQ(GetParent(saver), parent_);
                          EXPECT_EQ(TitleOf(saver), "Preview");
                          EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(saver, GWL_STYLE)),
                                    0x52000000u);
                          EXPECT_EQ(GetWindowLongA(saver, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
                          RECT r = {};
                          GetWindowRect(saver, &r);
                          MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
                          EXPECT_EQ(r.left, 0);
                          EXPECT_EQ(r.top, 0);
                          EXPECT_EQ(r.right, 152);
                          EXPECT_EQ(r.bottom, 112);
                          EXPECT_TRUE(Shell().previewMode);
                          // The parent grows; the preview keeps its size.
                          SetWindowPos(parent_, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
                          GetClientRect(saver, &r);
                          EXPECT_EQ(r.right, 152);
                          EXPECT_EQ(r.bottom, 112);
                        }),
                        Do([](HWND saver) {
                          // Not a full-screen saver: another start finds nothing running.
                          EXPECT_EQ(FindWindowA(SaverClassName, FullScreenTitle), nullptr);
                          EXPECT_EQ(FindWindowA(SaverClassName, nullptr), nullptr);  // a child
                          (void)saver;
                        })}),
            0);
  EXPECT_EQ(report_.stepsRun, 3);
}

TEST_F(SaverWindowTest, SecondFullScreenStartBringsTheRunningOneForwardAndEndsWithZero) {
  test::HostProcess host = test::StartHost(SaverClassName, FullScreenTitle, 200, 100, 30000);
  ASSERT_NE(host.window, nullptr);
  // The class is not even registered: RunSaverWindow returns before that.
  EXPECT_EQ(RunSaverWindow(nullptr), 0);
  WNDCLASSA c = {};
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), SaverClassName, &c));
  EXPECT_EQ(Shell().saverWindow, nullptr);
  EXPECT_EQ(TimesReceived(WM_CREATE), 0);
  EXPECT_EQ(GetForegroundWindow(), host.window);
  test::StopHost(host);
}

TEST_F(SaverWindowTest, PreviewRunsBesideARunningFullScreenSaver) {
  test::HostProcess host = test::StartHost(SaverClassName, FullScreenTitle, 200, 100, 30000);
  ASSERT_NE(host.window, nullptr);
  EXPECT_EQ(RunPreview({Do([](HWND saver) { EXPECT_EQ(TitleOf(saver), "Preview"); })}), 0);
  EXPECT_EQ(report_.stepsRun, 2);
  test::StopHost(host);
}

TEST_F(SaverWindowTest, SetTextIsAnsweredWithZeroAndTheTitleStays) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")), 0);
              SetWindowTextA(saver, "Other");
              EXPECT_EQ(TitleOf(saver), "Screen Saver");
              EXPECT_EQ(TimesReceived(WM_SETTEXT), 0);
            })}),
            0);
  test::PrepareShell(false);
  EXPECT_EQ(RunPreview({Do([](HWND saver) {
              SetWindowTextA(saver, "Other");
              EXPECT_EQ(TitleOf(saver), "Preview");
            })}),
            0);
}

struct SysCommandCase {
  WPARAM command;
  bool swallowedInFullScreen;
};

const SysCommandCase SysCommands[] = {
    {SC_NEXTWINDOW, true},       {SC_PREVWINDOW, true},       {SC_SCREENSAVE, true},
    {SC_NEXTWINDOW | 0x2, false}, {SC_PREVWINDOW | 0xF, false}, {SC_SCREENSAVE | 0x2, false},
    {SC_MOVE, false},
};

TEST_F(SaverWindowTest, FullScreenSwallowsTaskSwitchAndScreenSaveCommandsExactly) {
  test::SaverDouble().answeredHere = {WM_SYSCOMMAND};  // no platform default behind them
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              for (const SysCommandCase& c : SysCommands) {
                const int before = TimesReceived(WM_SYSCOMMAND);
                EXPECT_EQ(SendMessageA(saver, WM_SYSCOMMAND, c.command, 0), 0) << std::hex << c.command;
                EXPECT_EQ(TimesReceived(WM_SYSCOMMAND) - before, c.swallowedInFullScreen ? 0 : 1)
                    << std::hex << c.command;
              }
            })}),
            0);
}

TEST_F(SaverWindowTest, PreviewForwardsEverySystemCommand) {
  test::SaverDouble().answeredHere = {WM_SYSCOMMAND};
  EXPECT_EQ(RunPreview({Do([](HWND saver) {
              for (const SysCommandCase& c : SysCommands) {
                const int before = TimesReceived(WM_SYSCOMMAND);
                SendMessageA(saver, WM_SYSCOMMAND, c.command, 0);
                EXPECT_EQ(TimesReceived(WM_SYSCOMMAND) - before, 1) << std::hex << c.command;
              }
            })}),
            0);
}

TEST_F(SaverWindowTest, PreviewPostsTheContextMenuToItsParent) {
  EXPECT_EQ(RunPreview({Do([this](HWND saver) {
              const LPARAM at = MAKELPARAM(60, 70);
              EXPECT_EQ(SendMessageA(saver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(saver), at), 1);
              MSG posted = {};
              ASSERT_TRUE(TakePosted(parent_, WM_CONTEXTMENU, &posted));
              EXPECT_EQ(posted.wParam, reinterpret_cast<WPARAM>(parent_));  // the parent's own handle
              EXPECT_EQ(posted.lParam, at);
              EXPECT_EQ(TimesReceived(WM_CONTEXTMENU), 0);
            })}),
            0);
}

TEST_F(SaverWindowTest, PreviewHandsHelpToItsParentAndAnswersOne) {
  EXPECT_EQ(RunPreview({Do([this](HWND saver) {
              HELPINFO help = {};
              help.cbSize = sizeof help;
              const LPARAM info = reinterpret_cast<LPARAM>(&help);
              EXPECT_EQ(SendMessageA(saver, WM_HELP, 0, info), 1);
              EXPECT_EQ(TimesReceived(WM_HELP), 0);
              // WM_HELP carries a pointer, and the platform may refuse to queue
              // such a message; if it arrives, it is addressed like the menu.
              MSG posted = {};
              if (TakePosted(parent_, WM_HELP, &posted)) {
                EXPECT_EQ(posted.wParam, reinterpret_cast<WPARAM>(parent_));
                EXPECT_EQ(posted.lParam, info);
              }
            })}),
            0);
}

TEST_F(SaverWindowTest, FullScreenForwardsHelpAndContextMenu) {
  test::SaverDouble().answeredHere = {WM_CONTEXTMENU, WM_HELP};
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              SendMessageA(saver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(saver), MAKELPARAM(5, 5));
              HELPINFO help = {};
              help.cbSize = sizeof help;
              SendMessageA(saver, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
              EXPECT_EQ(TimesReceived(WM_CONTEXTMENU), 1);
              EXPECT_EQ(TimesReceived(WM_HELP), 1);
            })}),
            0);
}

TEST_F(SaverWindowTest, TicksPaintAndInputReachTheSaverUntilACloseIsApproved) {
  const UINT messages[] = {WM_TIMER,       WM_PAINT,       WM_KEYDOWN,    WM_SYSKEYDOWN,
                           WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  // How many of `m` reach the saver procedure when one is sent.
  auto reaching = [](HWND saver, UINT m) {
    const int before = TimesReceived(m);
    SendMessageA(saver, m, m == WM_TIMER ? 1 : 0, 0);
    return TimesReceived(m) - before;
  };
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
              Shell().verifying = true;  // keeps the close policy quiet; routing is the subject
              for (UINT m : messages) EXPECT_EQ(reaching(saver, m), 1) << m;
              Shell().verifying = false;
              Shell().saver.phase = SaverPhase::Closing;
              EXPECT_EQ(SendMessageA(saver, WM_TIMER, 1, 0), 0);
              for (UINT m : messages) {
                EXPECT_EQ(reaching(saver, m), 0) << m;
                EXPECT_FALSE(TakePosted(saver, WM_CLOSE)) << m;
              }
            })}),
            0);
}

TEST_F(SaverWindowTest, CursorIsHiddenOnCreationAndPaintOnlyInFullScreen) {
  SetCursor(Arrow());
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              EXPECT_EQ(GetCursor(), nullptr);
              SetCursor(Arrow());
              SendMessageA(saver, WM_PAINT, 0, 0);
              EXPECT_EQ(GetCursor(), nullptr);
            })}),
            0);
  test::PrepareShell(false);
  SetCursor(Arrow());
  EXPECT_EQ(RunPreview({Do([](HWND saver) {
              EXPECT_EQ(GetCursor(), Arrow());
              SendMessageA(saver, WM_PAINT, 0, 0);
              EXPECT_EQ(GetCursor(), Arrow());
            })}),
            0);
}

TEST_F(SaverWindowTest, OtherMessagesReachTheSaverUnchanged) {
  EXPECT_EQ(RunFullScreen({Do([](HWND saver) {
              ASSERT_EQ(TimesReceived(WM_CREATE), 1);
              SendMessageA(saver, WM_USER + 5, 0x1234, 0x5678);
              const MSG& last = test::SaverDouble().received.back();
              EXPECT_EQ(last.hwnd, saver);
              EXPECT_EQ(last.message, WM_USER + 5u);
              EXPECT_EQ(last.wParam, 0x1234u);
              EXPECT_EQ(last.lParam, 0x5678);
            })}),
            0);
  EXPECT_EQ(TimesReceived(WM_DESTROY), 1);
}

TEST_F(SaverWindowTest, InputContextIsDetachedWhileTheSaverRuns) {
  HMODULE imm = GetModuleHandleA("IMM32.DLL");
  if (imm == nullptr) GTEST_SKIP() << "no input-method support loaded in this process";
  using GetContextFn = HIMC(WINAPI*)(HWND);
  using ReleaseContextFn = BOOL(WINAPI*)(HWND, HIMC);
  const auto getContext = reinterpret_cast<GetContextFn>(
      reinterpret_cast<void*>(GetProcAddress(imm, "ImmGetContext")));
  const auto releaseContext = reinterpret_cast<ReleaseContextFn>(
      reinterpret_cast<void*>(GetProcAddress(imm, "ImmReleaseContext")));
  ASSERT_NE(getContext, nullptr);
  EXPECT_EQ(RunFullScreen({Do([&](HWND saver) {
              EXPECT_EQ(Shell().imeModule, imm);
              EXPECT_NE(Shell().associateContext, nullptr);
              EXPECT_NE(Shell().savedInputContext, nullptr);
              HIMC now = getContext(saver);
              EXPECT_EQ(now, nullptr);
              if (now != nullptr) releaseContext(saver, now);
            })}),
            0);
}

TEST_F(SaverWindowTest, LoopEndsWithTheQuitMessagesCode) {
  EXPECT_EQ(RunScripted([] { return RunSaverWindow(nullptr); },
                        {Do([](HWND) { PostQuitMessage(7); })}),
            7);
}

TEST_F(SaverWindowTest, NoWindowMeansNoLoopAndAFailureResult) {
  // The class name is taken by a class of another kind: registration fails.
  WNDCLASSA other = {};
  other.lpfnWndProc = DefWindowProcA;
  other.hInstance = GetModuleHandleA(nullptr);
  other.lpszClassName = SaverClassName;
  ASSERT_NE(RegisterClassA(&other), 0);
  EXPECT_EQ(RunSaverWindow(nullptr), NoSaverWindowResult);
  EXPECT_EQ(Shell().saverWindow, nullptr);
  UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));

  // The preview parent is gone before the window is made.
  HWND gone = test::CreateTestParent(50, 50);
  DestroyWindow(gone);
  test::PrepareShell(false);
  EXPECT_EQ(RunSaverWindow(gone), NoSaverWindowResult);
  EXPECT_EQ(Shell().saverWindow, nullptr);
  EXPECT_EQ(TimesReceived(WM_CREATE), 0);
}

TEST_F(SaverWindowTest, AutoPlayQueryIsRegisteredOnlyOnWin9x) {
  EXPECT_EQ(RunFullScreen({Do([](HWND) { EXPECT_EQ(Shell().autoPlayMessage, 0u); })}), 0);
  test::CleanUpAfterRun();
  test::PrepareShell(true);
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  EXPECT_EQ(RunPreview({Do([&](HWND) { EXPECT_EQ(Shell().autoPlayMessage, autoPlay); })}), 0);
}

}  // namespace
}  // namespace morv
