// A full-screen saver (the shell with the real window procedure) while the
// displays change under it, on a desktop of the test's own: the screen reported
// late, announced twice within one millisecond, announced during the progress
// dialog, a monitor of a new size beside a kept one, a new colour depth and a
// new refresh rate.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "displays.h"
#include "gl_surface.h"
#include "monitor_ferns.h"
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
  int late = 0;
  bool changing = false;
  bool clockFrozen = false;
  DWORD clockBase = 0;
  DWORD clockStart = 0;
} g_fake;

bool FakeScreen(RECT* out) {
  if (g_fake.changing && g_fake.late-- <= 0) {
    g_fake.now = g_fake.next;
    g_fake.changing = false;
  }
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

DWORD FakeClock() {
  return g_fake.clockFrozen ? g_fake.clockBase : g_fake.clockBase + (GetTickCount() - g_fake.clockStart);
}

void Change(const Desktop& next, int late) {
  g_fake.next = next;
  g_fake.late = late;
  g_fake.changing = true;
}

void Announce(HWND saver, int bitsPerPixel = 32) {
  const RECT& s = g_fake.next.screen;
  SendMessageA(saver, WM_DISPLAYCHANGE, static_cast<WPARAM>(bitsPerPixel),
               MAKELPARAM(s.right - s.left, s.bottom - s.top));
}

// Narrower than a full-size window: no hold of the finished dialog to wait out.
const Desktop OneScreen = {{0, 0, 200, 150}, {}};

bool EveryPictureComputed(const Desktop& desktop, int pictures) {
  const MonitorFerns& ferns = SaverMonitorFerns();
  const RECT& s = desktop.screen;
  if (!ferns.computationClaimed || ferns.layout.count != pictures ||
      ferns.layout.client.width != s.right - s.left ||
      ferns.layout.client.height != s.bottom - s.top) {
    return false;
  }
  for (int i = 0; i < pictures; ++i) {
    const int size = ferns.layout.places[i].size;
    if (!ferns.stores[size].computed || ferns.results[size].outcome != PrecomputeOutcome::Completed ||
        ferns.animations[i].verticalLevels == 0) {
      return false;
    }
  }
  return true;
}

// Lit pixels of a picture, read back from the saver's OpenGL surface.
int LitPixels(const MonitorPlace& place, int clientHeight) {
  std::vector<unsigned char> rgba(static_cast<size_t>(place.width) * place.height * 4);
  glFinish();
  glReadPixels(place.x, clientHeight - place.y - place.height, place.width, place.height, GL_RGBA,
               GL_UNSIGNED_BYTE, rgba.data());
  int lit = 0;
  for (size_t i = 0; i < rgba.size(); i += 4) lit += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
  return lit;
}

// Steps that hold once the window covers `desktop` with `pictures` pictures:
// each computed in full as soon as its run is over (no picture waiting out a
// pause that a tick on no ferns began), then growing on the screen.
std::vector<ScriptStep> EveryPictureComputedAndDrawn(const Desktop& desktop, int pictures) {
  return {WaitUntil([desktop, pictures](HWND) { return EveryPictureComputed(desktop, pictures); }),
          Do([pictures](HWND) {
            for (int i = 0; i < pictures; ++i) {
              EXPECT_EQ(SaverMonitorFerns().animations[i].pauseCounter, 0) << "picture " << i;
            }
          }),
          WaitUntil([pictures](HWND) {
            for (int i = 0; i < pictures; ++i) {
              if (SaverMonitorFerns().animations[i].currentDepth < GrowthPhases) return false;
            }
            return true;
          }),
          Do([pictures](HWND) {
            const MonitorLayout& layout = SaverMonitorFerns().layout;
            for (int i = 0; i < pictures; ++i) {
              EXPECT_GT(LitPixels(layout.places[i], layout.client.height), 0) << "picture " << i;
            }
          })};
}

class DisplayFollowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(300, 200);
    test::PrepareShell(false);
    g_fake = FakeDisplays{};
    g_fake.now = OneScreen;
    g_fake.clockStart = GetTickCount();
    DisplayPlatform() = DisplayCalls{FakeMonitors, FakeScreen, FakeClock};
  }
  void TearDown() override {
    test::CleanUpAfterRun();
    ResetDisplayPlatform(DisplayPlatform());
  }
  // A full-screen run: its ferns first, then `steps`, then the window goes.
  // Every step must run, or only the first `ending` of `steps` when the saver
  // is to end by itself.
  int Run(std::vector<ScriptStep> steps, size_t ending = 0) {
    std::vector<ScriptStep> all = EveryPictureComputedAndDrawn(g_fake.now, 1);
    const size_t expected = ending != 0 ? all.size() + ending : all.size() + steps.size() + 1;
    all.insert(all.end(), steps.begin(), steps.end());
    all.push_back(Do([](HWND saver) { DestroyWindow(saver); }));
    const int result = test::RunScripted([] { return RunSaverWindow(nullptr); }, std::move(all),
                                         &report_, 10, 40000);
    EXPECT_EQ(static_cast<size_t>(report_.stepsRun), expected) << "the saver ended early";
    return result;
  }
  std::vector<ScriptStep> Then(ScriptStep first, const std::vector<ScriptStep>& rest) {
    std::vector<ScriptStep> steps{std::move(first)};
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
  }
  test::ScriptReport report_;
};

TEST_F(DisplayFollowTest, AScreenReportedLateIsFollowedAndDrawnAtOnce) {
  const Desktop smaller = {{0, 0, 160, 120}, {}};
  EXPECT_EQ(Run(Then(Do([&](HWND saver) {
                       Change(smaller, 1);
                       Announce(saver);
                     }),
                     EveryPictureComputedAndDrawn(smaller, 1))),
            0);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(DisplayFollowTest, TwoAnnouncementsWithinOneMillisecondStillLookAgain) {
  // The clock stands still, on an even count just short of its 49.7-day wrap.
  g_fake.clockFrozen = true;
  g_fake.clockBase = 0xFFFFFFFEu;
  const Desktop smaller = {{0, 0, 160, 120}, {}};
  EXPECT_EQ(Run(Then(Do([&](HWND saver) {
                       Change(smaller, 1);
                       Announce(saver);
                       Announce(saver);
                     }),
                     EveryPictureComputedAndDrawn(smaller, 1))),
            0);
  EXPECT_FALSE(report_.watchdogFired);
}

// A full-size window: its dialog stays up long enough to be caught open.
const Desktop FullSize = {{0, 0, 600, 400}, {}};
const Desktop Wider = {{0, 0, 720, 400}, {}};

// Announces a change once the dialog of the window's first run is up, from
// another thread, as the system does: the saver's thread answers it while it
// waits on the dialog.
DWORD WINAPI ChangeDuringTheDialog(LPVOID) {
  const DWORD start = GetTickCount();
  while (ProgressDialog().window.load() == nullptr && GetTickCount() - start < 20000) Sleep(1);
  Change(Wider, 1);
  Announce(FindWindowA(SaverClassName, FullScreenTitle));
  return 0;
}

TEST_F(DisplayFollowTest, AChangeDuringTheProgressDialogIsFollowedAfterTheRun) {
  g_fake.now = FullSize;
  HANDLE changer = CreateThread(nullptr, 0, ChangeDuringTheDialog, nullptr, 0, nullptr);
  ASSERT_NE(changer, nullptr);
  EXPECT_EQ(Run(EveryPictureComputedAndDrawn(Wider, 1)), 0);
  WaitForSingleObject(changer, INFINITE);
  CloseHandle(changer);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(DisplayFollowTest, AMonitorOfANewSizeBesideAKeptOneIsComputedAndDrawn) {
  // The new monitor is listed first: the first picture is not the one kept.
  const Desktop two = {{0, 0, 300, 150}, {{200, 0, 300, 100}, {0, 0, 200, 150}}};
  EXPECT_EQ(Run(Then(Do([&](HWND saver) {
                       Change(two, 1);
                       Announce(saver);
                     }),
                     EveryPictureComputedAndDrawn(two, 2))),
            0);
  EXPECT_FALSE(report_.watchdogFired);
}

// The follow that the announcement queued, handled now.
void FollowNow(HWND saver) {
  MSG m;
  while (PeekMessageA(&m, saver, FollowDisplaysMessage, FollowDisplaysMessage, PM_REMOVE)) {
    DispatchMessageA(&m);
  }
}

TEST_F(DisplayFollowTest, ANewColourDepthEndsTheSaverAsAKeyDoes) {
  EXPECT_EQ(Run({Do([](HWND saver) {
                   Change(OneScreen, 0);
                   Announce(saver, GlSurface().bitsPerPixel == 16 ? 32 : 16);
                 }),
                 WaitUntil([](HWND) { return false; })},
                /*ending=*/1),
            0);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(DisplayFollowTest, ANewRefreshRateDrawsTheFernsAfreshWithoutComputingThem) {
  Segment* kept = nullptr;
  std::vector<ScriptStep> steps = Then(Do([&](HWND saver) {
                                         kept = SaverMonitorFerns().stores[0].vertical[0];
                                         Change(OneScreen, 0);
                                         Announce(saver, GlSurface().bitsPerPixel);
                                         FollowNow(saver);
                                         EXPECT_EQ(SaverMonitorFerns().animations[0].currentDepth, 0);
                                         EXPECT_TRUE(GetUpdateRect(saver, nullptr, FALSE));
                                       }),
                                       EveryPictureComputedAndDrawn(OneScreen, 1));
  steps.push_back(Do([&](HWND) { EXPECT_EQ(SaverMonitorFerns().stores[0].vertical[0], kept); }));
  EXPECT_EQ(Run(std::move(steps)), 0);
  EXPECT_FALSE(report_.watchdogFired);
}

}  // namespace
}  // namespace morv
