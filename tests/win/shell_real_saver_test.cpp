// The shell with the saver's real window procedure (OpenGL surface, the
// precomputation beside its progress dialog, animation ticks) under Wine:
// start-up switches to a running saver, real input ending it, and what a
// preview draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "animation.h"
#include "gl_read_back.h"
#include "monitor_ferns.h"

#include "saver_script.h"
#include "saver_window.h"
#include "shell_start.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;
using test::RunScripted;
using test::WaitUntil;

std::string Number(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

// Waits this long, counted in ticks of the script.
test::ScriptStep Pause(DWORD ms) {
  auto start = std::make_shared<DWORD>(0);
  return WaitUntil([start, ms](HWND) {
    if (*start == 0) *start = GetTickCount() | 1;
    return GetTickCount() - *start >= ms;
  });
}

// The fern-coloured pixels on a saver window's OpenGL surface, read back on the
// saver's thread. The colour cycle walks the saturated hues, so a pixel counts when its
// brightest and dimmest channels lie far apart; black and greys do not.
struct FernPixels {
  int count = 0;
  int left = 0, top = 0, right = -1, bottom = -1;  // bounding box, client pixels
  int Height() const { return bottom - top + 1; }
  int Width() const { return right - left + 1; }
};

FernPixels SeeInGl(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  const std::vector<unsigned char> rgb = test::ReadBackRgba(0, 0, w, h, h);
  FernPixels seen;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned char* pixel = &rgb[(static_cast<size_t>(y) * w + x) * 4];
      const int hi = std::max({pixel[0], pixel[1], pixel[2]});
      const int lo = std::min({pixel[0], pixel[1], pixel[2]});
      if (hi - lo < 100) continue;
      if (seen.count++ == 0) {
        seen.left = seen.right = x;
        seen.top = seen.bottom = y;
      }
      seen.left = std::min(seen.left, x);
      seen.right = std::max(seen.right, x);
      seen.top = std::min(seen.top, y);
      seen.bottom = std::max(seen.bottom, y);
    }
  }
  return seen;
}

class RealSaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(512, 384);
    test::PrepareShell(false);
  }
  void TearDown() override {
    test::CleanUpAfterRun();
    if (parent_ != nullptr && IsWindow(parent_)) DestroyWindow(parent_);
  }
  int Dispatch(const std::string& tail, std::vector<test::ScriptStep> steps) {
    return RunScripted([&tail] { return DispatchMode(GetModuleHandleA(nullptr), tail.c_str()); },
                       std::move(steps), &report_, 20, 60000);
  }
  test::ScriptReport report_;
  HWND parent_ = nullptr;
};

TEST_F(RealSaverTest, PreviewDrawsInsideItsParentAndSurvivesInput) {
  parent_ = test::CreateTestParent(152, 112);
  HWND parent = parent_;
  EXPECT_EQ(Dispatch("/p " + Number(parent),
                     {Do([parent](HWND saver) {
                        EXPECT_EQ(FindWindowExA(parent, nullptr, SaverClassName, PreviewTitle), saver);
                      }),
                      Pause(1500),
                      Do([](HWND saver) {
                        PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                        PostMessageA(saver, WM_LBUTTONDOWN, 0, 0);
                        PostMessageA(saver, WM_ACTIVATEAPP, 0, 0);
                        SetCursorPos(100, 100);
                      }),
                      Pause(500),
                      Do([parent](HWND saver) {
                        EXPECT_TRUE(IsWindow(saver));
                        DestroyWindow(parent);  // the platform ends a preview with its dialog
                      })}),
            0);
  EXPECT_EQ(report_.stepsRun, 5);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(RealSaverTest, PreviewGrowsAFernFittedToTheLittleScreen) {
  // The display settings' little screen: the fern must grow there, from the
  // middle of its bottom edge, and fill its height once complete.
  constexpr int Width = 152, Height = 112;
  parent_ = test::CreateTestParent(Width, Height);
  HWND parent = parent_;
  std::vector<FernPixels> seen;
  auto vertical_done = [] {
    const AnimationState& a = SaverMonitorFerns().animations[0];
    return a.verticalLevels > 0 && a.orientation == Vertical &&
           a.currentDepth == GrowthPhases * a.verticalLevels;
  };
  EXPECT_EQ(Dispatch("/p " + Number(parent),
                     {WaitUntil([&seen](HWND saver) {
                        // The first levels drawn.
                        const FernPixels now = SeeInGl(saver);
                        if (now.count == 0) return false;
                        seen.push_back(now);
                        return true;
                      }),
                      WaitUntil([vertical_done](HWND) { return vertical_done(); }),
                      Do([&seen](HWND saver) { seen.push_back(SeeInGl(saver)); }),
                      Do([parent](HWND) { DestroyWindow(parent); })}),
            0);
  EXPECT_FALSE(report_.watchdogFired);
  ASSERT_EQ(seen.size(), 2u);
  const FernPixels& early = seen[0];
  const FernPixels& complete = seen[1];
  // It grew: more pixels, reaching higher, from the same bottom edge.
  EXPECT_GT(complete.count, 2 * early.count);
  EXPECT_LT(complete.top, early.top);
  // Rooted at the middle of the bottom edge.
  EXPECT_GE(complete.bottom, Height - 3);
  const int middle = (complete.left + complete.right) / 2;
  EXPECT_GT(middle, Width * 3 / 10);
  EXPECT_LT(middle, Width * 7 / 10);
  // Fitted: nearly the whole height, inside the width, not a corner of a larger fern.
  EXPECT_GE(complete.Height(), Height * 3 / 4);
  EXPECT_GT(complete.top, 0);
  EXPECT_GT(complete.left, 0);
  EXPECT_LT(complete.right, Width - 1);
  EXPECT_GT(complete.Width(), Width / 4);
}

TEST_F(RealSaverTest, FullScreenEndsOnAKeyPress) {
  EXPECT_EQ(Dispatch("/s", {Pause(2500), Do([](HWND saver) {
                              EXPECT_TRUE(IsWindow(saver));
                              PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(RealSaverTest, FullScreenEndsWhenTheMouseReallyMoves) {
  EXPECT_EQ(Dispatch("/s", {Pause(2500), Do([](HWND saver) {
                              EXPECT_TRUE(IsWindow(saver));
                              POINT at;
                              GetCursorPos(&at);
                              SetCursorPos(at.x + 10, at.y);  // the display reports the move
                            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
  EXPECT_FALSE(report_.watchdogFired);
}

}  // namespace
}  // namespace morv
