// The shell with the saver's real window procedure (OpenGL surface, the
// precomputation beside its progress dialog, animation ticks) under Wine:
// start-up switches to a running saver, real input ending it, what a preview
// draws, and the OpenGL set-up failures as the user meets them.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "animation.h"
#include "gl_surface_win32.h"

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
// saver's thread, where its context is current. (Wine shows a GL child window
// through the X server only: GDI reads of the screen see its parent's white.)
// The colour cycle walks the saturated hues, so a pixel counts when its
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
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 4);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgb.data());
  FernPixels seen;
  for (int row = 0; row < h; ++row) {
    const int y = h - 1 - row;  // GL rows run bottom-up
    for (int x = 0; x < w; ++x) {
      const unsigned char* pixel = &rgb[(static_cast<size_t>(row) * w + x) * 4];
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

// Every message box of this thread is recorded and answered with OK.
struct Boxes {
  int shown = 0;
  std::string caption, text;
  bool saverVisible = false;  // the saver's window on the screen under the box
};
Boxes g_boxes;
HHOOK g_boxHook = nullptr;

BOOL CALLBACK BoxText(HWND child, LPARAM out) {
  char cls[16] = "", text[256] = "";
  GetClassNameA(child, cls, sizeof cls);
  GetWindowTextA(child, text, sizeof text);
  if (lstrcmpiA(cls, "Static") == 0 && text[0] != '\0') {
    *reinterpret_cast<std::string*>(out) = text;
    return FALSE;
  }
  return TRUE;
}

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    char cls[16] = "", caption[64] = "";
    GetClassNameA(box, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0) {
      ++g_boxes.shown;
      GetWindowTextA(box, caption, sizeof caption);
      g_boxes.caption = caption;
      EnumChildWindows(box, BoxText, reinterpret_cast<LPARAM>(&g_boxes.text));
      const HWND saver = FindWindowA(SaverClassName, nullptr);
      g_boxes.saverVisible = saver != nullptr && IsWindowVisible(saver);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(g_boxHook, code, wParam, lParam);
}

int WINAPI NoPixelFormat(HDC, const PIXELFORMATDESCRIPTOR*) { return 0; }
BOOL WINAPI SetPixelFormatFails(HDC, int, const PIXELFORMATDESCRIPTOR*) { return FALSE; }
int WINAPI DescribeFails(HDC, int, UINT, LPPIXELFORMATDESCRIPTOR) { return 0; }
HGLRC WINAPI NoContext(HDC) { return nullptr; }
BOOL WINAPI MakeCurrentFails(HDC dc, HGLRC context) {
  return context == nullptr ? wglMakeCurrent(dc, context) : FALSE;
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
  // A process runs one saver window; an earlier test's window left its
  // animation where it stopped, which a new window takes as already computed.
  ResetAnimation(Animation());
  parent_ = test::CreateTestParent(Width, Height);
  HWND parent = parent_;
  std::vector<FernPixels> seen;
  auto vertical_done = [] {
    const AnimationState& a = Animation();
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

TEST_F(RealSaverTest, EachOpenGlSetUpFailureShowsItsBoxThenEndsTheModeWithNoWindowLeft) {
  // Full screen for each failure; a preview for the first (a box without owner)
  // and the last (a context already made).
  const struct {
    const char* text;
    void (*breakIt)(GlSurfaceCalls&);
    bool preview;
  } cases[] = {
      {"Cannot find suitable pixel format",
       [](GlSurfaceCalls& gl) { gl.choosePixelFormat = NoPixelFormat; }, true},
      {"Unable to set pixel format",
       [](GlSurfaceCalls& gl) { gl.setPixelFormat = SetPixelFormatFails; }, false},
      {"Failed to describe pixel format",
       [](GlSurfaceCalls& gl) { gl.describePixelFormat = DescribeFails; }, false},
      {"Unable to create OpenGL rendering context",
       [](GlSurfaceCalls& gl) { gl.createContext = NoContext; }, false},
      {"Unable to make specified OpenGL rendering context current rendering context",
       [](GlSurfaceCalls& gl) { gl.makeCurrent = MakeCurrentFails; }, true},
  };
  g_boxHook = SetWindowsHookExA(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const char* tail : {"/s", "/p"}) {
      if (tail[1] == 'p' && !c.preview) continue;
      SCOPED_TRACE(tail);
      test::CleanUpAfterRun();
      test::PrepareShell(false);
      ResetGlSurfacePlatform(GlSurfacePlatform());
      c.breakIt(GlSurfacePlatform());
      g_boxes = Boxes{};
      std::string line = tail;
      if (line == "/p") {
        if (parent_ == nullptr) parent_ = test::CreateTestParent(152, 112);
        line += " " + Number(parent_);
      }
      // No step ever runs: the mode must end by itself once the box is answered.
      EXPECT_EQ(Dispatch(line, {}), -1) << "as for a saver window that cannot be created";
      EXPECT_FALSE(report_.watchdogFired);
      EXPECT_EQ(g_boxes.shown, 1);
      EXPECT_EQ(g_boxes.caption, "Error");
      EXPECT_EQ(g_boxes.text, c.text);
      EXPECT_FALSE(g_boxes.saverVisible) << "the box comes before the saver is shown";
      EXPECT_EQ(FindWindowA(SaverClassName, nullptr), nullptr);
      EXPECT_EQ(GlSurface().deviceContext, nullptr);
      EXPECT_EQ(GlSurface().renderingContext, nullptr);
    }
  }
  UnhookWindowsHookEx(g_boxHook);
  ResetGlSurfacePlatform(GlSurfacePlatform());
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
