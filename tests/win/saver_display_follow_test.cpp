// A full-screen saver (the shell with the real window procedure) while the
// displays change under it, on a desktop of the test's own: the screen reported
// late (announced twice within one millisecond), announced during the progress
// dialog, a monitor of a new size beside a kept one, a new refresh rate and a
// new colour depth.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "displays.h"
#include "gl_read_back.h"
#include "gl_surface.h"
#include "monitor_ferns.h"
#include "password_hooks.h"
#include "progress_dialog.h"
#include "saver_script.h"
#include "saver_window.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;
using test::ScriptStep;
using test::WaitUntil;

struct Desktop {
  RECT screen;
  std::vector<PixelRect> monitors;  // none: the platform cannot list them
};

// The platform's answers. After Change(), the old desktop is still reported for
// `late` looks at the screen, as Wine reports a new one a moment after saying so.
struct FakeDisplays {
  Desktop now;
  Desktop next;
  int late = -1;
  DWORD frozenClock = 0;  // 0: the real one
} g_fake;

bool FakeScreen(RECT* out) {
  if (g_fake.late >= 0 && g_fake.late-- == 0) g_fake.now = g_fake.next;
  *out = g_fake.now.screen;
  return true;
}

int FakeMonitors(PixelRect* out, int capacity) {
  int n = 0;
  for (const PixelRect& m : g_fake.now.monitors) {
    if (n < capacity) out[n++] = m;
  }
  return n;
}

DWORD FakeClock() { return g_fake.frozenClock != 0 ? g_fake.frozenClock : GetTickCount(); }

void Announce(HWND saver, const Desktop& next, int late, int bitsPerPixel = 32) {
  g_fake.next = next;
  g_fake.late = late;
  const RECT& s = next.screen;
  SendMessageA(saver, WM_DISPLAYCHANGE, static_cast<WPARAM>(bitsPerPixel),
               MAKELPARAM(s.right - s.left, s.bottom - s.top));
}

// Each run as its dialog opens (the saver's thread is inside the run then):
// the layout it computes for, the window it is for, whether the password
// prompt was running around it, and how many sizes it is to compute.
struct RunSeen {
  PictureSize layout;
  PictureSize window;
  bool insidePrompt;
  int sizesToCompute;
};
std::vector<RunSeen> g_runs;

INT_PTR WINAPI RecordRunStart(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                              LPARAM param) {
  RECT client{};
  GetClientRect(FindWindowA(SaverClassName, FullScreenTitle), &client);
  const MonitorFerns& ferns = SaverMonitorFerns();
  int lacking = 0;
  for (int s = 0; s < ferns.layout.sizeCount; ++s) lacking += ferns.stores[s].runStarted ? 0 : 1;
  g_runs.push_back(RunSeen{ferns.layout.client, PictureSize{client.right, client.bottom},
                           Shell().verifying, lacking});
  return DialogBoxParamA(instance, name, owner, proc, param);
}

// Narrower than a full-size window: no hold of the finished dialog to wait out.
const Desktop OneScreen = {{0, 0, 200, 150}, {}};

bool EveryPictureComputed(const Desktop& desktop, int pictures) {
  const MonitorFerns& ferns = SaverMonitorFerns();
  const RECT& s = desktop.screen;
  if (LacksFerns(ferns) || ferns.layout.count != pictures ||
      ferns.layout.client.width != s.right - s.left ||
      ferns.layout.client.height != s.bottom - s.top) {
    return false;
  }
  for (int i = 0; i < pictures; ++i) {
    const int size = ferns.layout.places[i].size;
    if (ferns.results[size].outcome != PrecomputeOutcome::Completed ||
        ferns.animations[i].verticalLevels == 0) {
      return false;
    }
  }
  return true;
}

// Lit pixels of a picture on the saver's OpenGL surface.
int LitPixels(const MonitorPlace& place, int clientHeight) {
  return test::LitPixels(place.x, place.y, place.width, place.height, clientHeight);
}

// Steps that hold once the window covers `desktop` with `pictures` pictures:
// each computed in full as soon as its run is over (no picture waiting out a
// pause that a tick on no ferns began), then growing on the screen.
std::vector<ScriptStep> EveryPictureComputedAndDrawn(const Desktop& desktop, int pictures) {
  return {WaitUntil([desktop, pictures](HWND) {
            if (!EveryPictureComputed(desktop, pictures)) return false;
            for (int i = 0; i < pictures; ++i) {
              EXPECT_EQ(SaverMonitorFerns().animations[i].pauseCounter, 0) << "picture " << i;
            }
            return true;
          }),
          WaitUntil([pictures](HWND) {
            const MonitorFerns& ferns = SaverMonitorFerns();
            for (int i = 0; i < pictures; ++i) {
              if (ferns.animations[i].currentDepth < GrowthPhases) return false;
            }
            for (int i = 0; i < pictures; ++i) {
              EXPECT_GT(LitPixels(ferns.layout.places[i], ferns.layout.client.height), 0)
                  << "picture " << i;
            }
            return true;
          })};
}

class DisplayFollowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(300, 200);
    test::PrepareShell(false);
    g_fake = FakeDisplays{};
    g_fake.now = OneScreen;
    DisplayPlatform() = DisplayCalls{FakeMonitors, FakeScreen, FakeClock};
    g_runs.clear();
    ProgressDialogPlatform().dialogBoxParam = RecordRunStart;
  }
  // No run was for a layout the window had already left, and none ran inside
  // the password prompt.
  void TearDown() override {
    for (const RunSeen& run : g_runs) {
      EXPECT_EQ(run.layout.width, run.window.width);
      EXPECT_EQ(run.layout.height, run.window.height);
      EXPECT_FALSE(run.insidePrompt);
    }
    test::CleanUpAfterRun();
    ResetDisplayPlatform(DisplayPlatform());
    ResetProgressDialogPlatform(ProgressDialogPlatform());
  }
  // A full-screen run: its ferns first, then `change`, then the window covers
  // `after` with `pictures` pictures, each computed and drawn; then `more`;
  // then it goes.
  void Run(std::function<void(HWND)> change, const Desktop& after, int pictures,
           std::vector<ScriptStep> more = {}) {
    std::vector<ScriptStep> steps = EveryPictureComputedAndDrawn(g_fake.now, 1);
    steps.push_back(Do(std::move(change)));
    for (ScriptStep& step : EveryPictureComputedAndDrawn(after, pictures)) steps.push_back(step);
    for (ScriptStep& step : more) steps.push_back(step);
    steps.push_back(Do([](HWND saver) { DestroyWindow(saver); }));
    const size_t count = steps.size();
    EXPECT_EQ(test::RunScripted([] { return RunSaverWindow(nullptr); }, std::move(steps),
                                &report_, 10, 40000),
              0);
    EXPECT_EQ(static_cast<size_t>(report_.stepsRun), count) << "the saver ended early";
    EXPECT_FALSE(report_.watchdogFired);
  }
  void RefuseANewDepthAndSize(bool apart);
  test::ScriptReport report_;
};

// Also twice within one millisecond: the clock stands still, on an even count
// just short of its 49.7-day wrap.
TEST_F(DisplayFollowTest, AScreenReportedLateIsFollowedEvenWhenAnnouncedTwiceInOneMillisecond) {
  g_fake.frozenClock = 0xFFFFFFFEu;
  const Desktop smaller = {{0, 0, 160, 120}, {}};
  Run(
      [&](HWND saver) {
        Announce(saver, smaller, 1);
        Announce(saver, smaller, 1);
      },
      smaller, 1);
}

// A full-size window: its dialog stays up long enough to be caught open.
const Desktop FullSize = {{0, 0, 600, 400}, {}};
const Desktop Wider = {{0, 0, 720, 400}, {}};

// Announces a change once the dialog of the window's first run is up, from
// another thread, as the system does: the saver's thread answers it while it
// waits on the dialog.
// Whether the announcement was answered while the run's dialog was still up.
std::atomic<bool> g_announcedDuringRun{false};

// `depth` null: the one the surface was not made for (known once the dialog is up).
DWORD WINAPI ChangeDuringTheDialog(LPVOID depth) {
  const DWORD start = GetTickCount();
  while (ShownProgressDialog() == nullptr && GetTickCount() - start < 20000) Sleep(1);
  const int bits = depth != nullptr ? static_cast<int>(reinterpret_cast<INT_PTR>(depth))
                                    : (GlSurface().bitsPerPixel == 16 ? 32 : 16);
  Announce(FindWindowA(SaverClassName, FullScreenTitle), Wider, 1, bits);
  g_announcedDuringRun = ShownProgressDialog() != nullptr;
  return 0;
}

TEST_F(DisplayFollowTest, AChangeDuringTheProgressDialogIsFollowedAfterTheRun) {
  g_fake.now = FullSize;
  g_announcedDuringRun = false;
  HANDLE changer = CreateThread(nullptr, 0, ChangeDuringTheDialog, reinterpret_cast<LPVOID>(32),
                                0, nullptr);
  ASSERT_NE(changer, nullptr);
  // The change came during the first run, which the first steps wait for.
  Run([](HWND) {}, Wider, 1);
  WaitForSingleObject(changer, INFINITE);
  CloseHandle(changer);
  EXPECT_TRUE(g_announcedDuringRun.load());
  EXPECT_EQ(g_runs.size(), 2u);
}

// The follow of one change, and of another before any paint: the second one's
// move of the window erases it at once, and no run may start there, for the
// layout the window is leaving.
void FollowNow(HWND saver) {
  MSG follow;
  while (PeekMessageA(&follow, saver, FollowDisplaysMessage, FollowDisplaysMessage, PM_REMOVE)) {
    DispatchMessageA(&follow);
  }
}

TEST_F(DisplayFollowTest, TwoChangesBeforeAPaintComputeOnlyForTheLast) {
  const Desktop smaller = {{0, 0, 160, 120}, {}};
  const Desktop larger = {{0, 0, 240, 180}, {}};
  Run(
      [&](HWND saver) {
        Announce(saver, smaller, 0);
        FollowNow(saver);
        Announce(saver, larger, 0);
        FollowNow(saver);
      },
      larger, 1);
  EXPECT_EQ(g_runs.size(), 2u);
}

// The surface cannot take a new colour depth: the run stops before its next
// level and the saver ends, without the hold of a complete run.
TEST_F(DisplayFollowTest, ANewColourDepthDuringARunAbortsItAndEndsTheSaver) {
  g_fake.now = FullSize;
  g_announcedDuringRun = false;
  HANDLE changer = CreateThread(nullptr, 0, ChangeDuringTheDialog, nullptr, 0, nullptr);
  ASSERT_NE(changer, nullptr);
  EXPECT_EQ(test::RunScripted([] { return RunSaverWindow(nullptr); },
                              {WaitUntil([](HWND) { return false; })}, &report_, 10, 40000),
            0);
  WaitForSingleObject(changer, INFINITE);
  CloseHandle(changer);
  EXPECT_FALSE(report_.watchdogFired);
  EXPECT_TRUE(g_announcedDuringRun.load());
  EXPECT_EQ(Progress().abortFlag.load(), 1);
  EXPECT_EQ(g_runs.size(), 1u);
}

TEST_F(DisplayFollowTest, AMonitorOfANewSizeBesideAKeptOneIsComputedAndDrawn) {
  // The new monitor is listed first: the first picture is not the one kept.
  const Desktop two = {{0, 0, 300, 150}, {{200, 0, 300, 100}, {0, 0, 200, 150}}};
  Run([&](HWND saver) { Announce(saver, two, 1); }, two, 2);
  ASSERT_EQ(g_runs.size(), 2u);
  EXPECT_EQ(g_runs[1].sizesToCompute, 1);  // the new size alone: the kept one is not computed again
}

TEST_F(DisplayFollowTest, ANewRefreshRateDrawsTheFernsAfreshWithoutComputingThem) {
  Run(
      [](HWND saver) {
        const Segment* kept = SaverMonitorFerns().stores[0].vertical[0];
        Announce(saver, OneScreen, 0, GlSurface().bitsPerPixel);
        MSG follow;  // the follow that the announcement queued, handled now
        while (PeekMessageA(&follow, saver, FollowDisplaysMessage, FollowDisplaysMessage,
                            PM_REMOVE)) {
          DispatchMessageA(&follow);
        }
        EXPECT_EQ(SaverMonitorFerns().animations[0].currentDepth, 0);
        EXPECT_TRUE(GetUpdateRect(saver, nullptr, FALSE));  // to be erased
        EXPECT_FALSE(LacksFerns(SaverMonitorFerns()));  // nothing to compute
        EXPECT_EQ(SaverMonitorFerns().stores[0].vertical[0], kept);
      },
      OneScreen, 1);
}

TEST_F(DisplayFollowTest, ANewColourDepthEndsTheSaverAsAKeyDoes) {
  std::vector<ScriptStep> steps = EveryPictureComputedAndDrawn(OneScreen, 1);
  steps.push_back(Do([](HWND saver) {
    Announce(saver, OneScreen, 0, GlSurface().bitsPerPixel == 16 ? 32 : 16);
  }));
  steps.push_back(WaitUntil([](HWND) { return false; }));  // never: the saver ends first
  EXPECT_EQ(test::RunScripted([] { return RunSaverWindow(nullptr); }, std::move(steps), &report_,
                              10, 40000),
            0);
  EXPECT_EQ(report_.stepsRun, 3);
  EXPECT_FALSE(report_.watchdogFired);
}

// The password prompt of the Windows 9x family, refusing, with a message loop
// of its own that dispatches the saver's paint and timer messages.
std::atomic<int> g_prompts{0};
BOOL WINAPI RefusingPrompt(HWND) {
  ++g_prompts;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 500) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(10);
  }
  return FALSE;
}

// A new depth and a new size, in one announcement or apart, under a password
// that is refused: the run for the new size waits for the prompt's end
// (checked for every run on tear-down), the saver goes on on the new screen,
// and the same depth announced again asks no more.
void DisplayFollowTest::RefuseANewDepthAndSize(bool apart) {
  const Desktop smaller = {{0, 0, 160, 120}, {}};
  const Desktop larger = {{0, 0, 240, 180}, {}};
  g_prompts = 0;
  static int depth = 0;
  Run(
      [&](HWND saver) {
        Shell().onWin9x = true;
        Shell().verifyPassword = RefusingPrompt;
        depth = GlSurface().bitsPerPixel == 16 ? 32 : 16;
        // Apart, the size's follow is queued before the close, and the
        // prompt's loop paints its layout.
        if (apart) Announce(saver, smaller, 0, GlSurface().bitsPerPixel);
        Announce(saver, smaller, 0, depth);
      },
      smaller, 1,
      {Do([&](HWND saver) {
         EXPECT_EQ(g_prompts.load(), 1);
         Sleep(VerifyDebounceMs);  // no debounce may hide a second prompt
         Announce(saver, larger, 0, depth);
       }),
       EveryPictureComputedAndDrawn(larger, 1)[0],
       Do([](HWND) { EXPECT_EQ(g_prompts.load(), 1); })});
  EXPECT_EQ(g_runs.size(), 3u);
}

TEST_F(DisplayFollowTest, ANewDepthAndSizeInOneAnnouncementUnderARefusedPassword) {
  RefuseANewDepthAndSize(false);
}

TEST_F(DisplayFollowTest, ARefusedPasswordAfterANewColourDepthKeepsTheSaverAndAsksNoMore) {
  RefuseANewDepthAndSize(true);
}

// A new depth's close that the debounce of a refused prompt held back is no
// refusal of that depth: it is asked once the debounce is over.
TEST_F(DisplayFollowTest, ANewDepthsCloseHeldBackByTheDebounceIsAskedAfterIt) {
  g_prompts = 0;
  Run(
      [](HWND saver) {
        Shell().onWin9x = true;
        Shell().verifyPassword = RefusingPrompt;
        Shell().lastVerifyTick = GetTickCount();  // a prompt refused just now
        Announce(saver, OneScreen, 0, GlSurface().bitsPerPixel == 16 ? 32 : 16);
        MSG close;  // its close, within the debounce
        if (PeekMessageA(&close, saver, WM_CLOSE, WM_CLOSE, PM_REMOVE)) DispatchMessageA(&close);
        EXPECT_EQ(g_prompts.load(), 0);
      },
      OneScreen, 1,
      {WaitUntil([](HWND) { return g_prompts.load() == 1 && !Shell().verifying; })});
}

}  // namespace
}  // namespace morv
