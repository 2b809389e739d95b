// FernSaverProc on real windows: the OpenGL surface's life and its five set-up
// failures, the tick interval, the viewport, the first-erase precomputation
// with its progress dialog, and the hand-over of everything else to the shell.
#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "animation.h"
#include "close_policy.h"
#include "displays.h"
#include "fast_madness.h"
#include "fern_saver_proc.h"
#include "gl_read_back.h"
#include "gl_surface.h"
#include "monitor_ferns.h"
#include "precompute.h"
#include "progress_dialog.h"
#include "resource_ids.h"
#include "saver_window.h"
#include "segment_store.h"
#include "shell_state.h"

namespace morv {
namespace {

const char ClassName[] = "MorvFernSaverProcTest";
constexpr int TextChars = 256;

// ---- Recording around the GL seam -------------------------------------------

struct GlLog {
  int deletes;             // contexts deleted
  int releases;            // wglMakeCurrent(NULL, NULL)
  int deletesWhenBoxShown;
};
GlLog g_gl;

BOOL WINAPI CountingDelete(HGLRC context) {
  ++g_gl.deletes;
  return wglDeleteContext(context);
}
BOOL WINAPI CountingMakeCurrent(HDC dc, HGLRC context) {
  if (dc == nullptr && context == nullptr) ++g_gl.releases;
  return wglMakeCurrent(dc, context);
}
int WINAPI NoPixelFormat(HDC, const PIXELFORMATDESCRIPTOR*) { return 0; }
BOOL WINAPI SetPixelFormatFails(HDC, int, const PIXELFORMATDESCRIPTOR*) { return FALSE; }
int WINAPI DescribeFails(HDC, int, UINT, LPPIXELFORMATDESCRIPTOR) { return 0; }
HGLRC WINAPI NoContext(HDC) { return nullptr; }
BOOL WINAPI MakeCurrentFails(HDC dc, HGLRC context) {
  if (context == nullptr) return CountingMakeCurrent(dc, context);
  return FALSE;
}

// The window's one picture on a single screen.
FernStore& WindowStore() { return SaverMonitorFerns().stores[0]; }
AnimationState& WindowAnimation() { return SaverMonitorFerns().animations[0]; }

// ---- Message boxes, answered by a CBT hook ----------------------------------

struct BoxLog {
  int count;
  std::string text;
  std::string caption;
  HWND owner;
  std::string ownerClass;
};
BoxLog g_boxes;
HHOOK g_boxHook = nullptr;

BOOL CALLBACK FindBoxText(HWND child, LPARAM out) {
  char cls[32] = "";
  char text[TextChars] = "";
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
    char cls[32] = "";
    GetClassNameA(box, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) {
      ++g_boxes.count;
      char caption[TextChars] = "";
      GetWindowTextA(box, caption, sizeof caption);
      g_boxes.caption = caption;
      EnumChildWindows(box, FindBoxText, reinterpret_cast<LPARAM>(&g_boxes.text));
      g_boxes.owner = GetWindow(box, GW_OWNER);
      char ownerClass[64] = "";
      if (g_boxes.owner != nullptr) GetClassNameA(g_boxes.owner, ownerClass, sizeof ownerClass);
      g_boxes.ownerClass = ownerClass;
      g_gl.deletesWhenBoxShown = g_gl.deletes;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(g_boxHook, code, wParam, lParam);
}

// ---- The progress dialog, recorded around ProgressDialogProc ----------------

struct DialogLog {
  std::atomic<int> opens;
  std::atomic<HWND> window;
  std::atomic<bool> destroyed;
  std::atomic<DWORD> lastBeforeLevelTick;
  std::atomic<DWORD> hideTick;
  char finalVertical[TextChars];
  char finalHorizontal[TextChars];
};
DialogLog g_dialog;
std::atomic<bool> g_holdLevels{false};

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_dialog.window = dialog;
      ++g_dialog.opens;
      break;
    case BeforeLevelMessage:
      // Slow levels until the host's destruction has reached the saver.
      for (int i = 0; g_holdLevels.load() && i < 500; ++i) Sleep(10);
      g_dialog.lastBeforeLevelTick = GetTickCount();
      break;
    case WM_WINDOWPOSCHANGING:
      if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0 &&
          g_dialog.hideTick.load() == 0) {
        g_dialog.hideTick = GetTickCount();
      }
      break;
    case WM_DESTROY:
      GetDlgItemTextA(dialog, IDC_VERTICAL_STATUS, g_dialog.finalVertical, TextChars);
      GetDlgItemTextA(dialog, IDC_HORIZONTAL_STATUS, g_dialog.finalHorizontal, TextChars);
      g_dialog.destroyed = true;
      break;
    default:
      break;
  }
  return ProgressDialogProc(dialog, message, wParam, lParam);
}

INT_PTR WINAPI RecordingDialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC,
                                  LPARAM param) {
  return DialogBoxParamA(instance, name, owner, RecordingDialogProc, param);
}

void ResetDialogLog() {
  g_dialog.opens = 0;
  g_dialog.window = nullptr;
  g_dialog.destroyed = false;
  g_dialog.lastBeforeLevelTick = 0;
  g_dialog.hideTick = 0;
  g_dialog.finalVertical[0] = g_dialog.finalHorizontal[0] = '\0';
}

// ---- Helpers -----------------------------------------------------------------

std::string Line(FernOrientation fern, int generation, int levels) {
  char text[ProgressLineChars];
  FormatProgressLine(text, fern, generation, levels);
  return text;
}

// Removes and returns whether a message of that kind for `window` (any window
// when null) is waiting.
bool TakeMessage(HWND window, UINT message) {
  MSG m;
  return PeekMessageA(&m, window, message, message, PM_REMOVE) != FALSE;
}

bool QuitPosted() {
  MSG m;
  return PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

void DeleteFastMadness() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quillane\\Morvessantique", 0, KEY_SET_VALUE,
                    &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, "Fast Madness");
    RegCloseKey(key);
  }
}

Segment* AllocFailing() { return nullptr; }
void ReleaseNothing(Segment*) {}

template <typename Condition>
bool Eventually(Condition condition, DWORD ms = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(1);
  }
  return true;
}

// Whether this display gives a window the saver's pixel format at all. Without
// it every window here fails its set-up; the tests say so instead of running on.
bool OpenGlUsable() {
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  HDC dc = GetDC(probe);
  PIXELFORMATDESCRIPTOR request = SaverPixelFormatRequest();
  const bool usable = ChoosePixelFormat(dc, &request) != 0;
  ReleaseDC(probe, dc);
  DestroyWindow(probe);
  return usable;
}

class SaverProcTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    openGlUsable_ = OpenGlUsable();
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = FernSaverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = ClassName;
    RegisterClassA(&wc);
  }

  void SetUp() override {
    ASSERT_TRUE(openGlUsable_) << "no OpenGL pixel format on this display: is Mesa's GL driver "
                                  "installed for this Wine's architecture?";
    ResetShellState(Shell());
    Shell().instance = GetModuleHandleA(nullptr);
    FreeMonitorFerns(SaverMonitorFerns());
    ResetAnimation(WindowAnimation());
    ResetProgress(Progress());
    ResetShownProgressDialog();
    ResetGlSurface(GlSurface());
    ResetGlSurfacePlatform(GlSurfacePlatform());
    GlSurfacePlatform().deleteContext = CountingDelete;
    GlSurfacePlatform().makeCurrent = CountingMakeCurrent;
    ResetProgressDialogPlatform(ProgressDialogPlatform());
    ProgressDialogPlatform().dialogBoxParam = RecordingDialogBox;
    g_gl = GlLog{0, 0, -1};
    g_boxes = BoxLog{0, "", "", nullptr, ""};
    ResetDialogLog();
    g_boxHook = SetWindowsHookExA(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
    SetCursorPos(40, 40);
  }

  void TearDown() override {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnhookWindowsHookEx(g_boxHook);
    ResetGlSurfacePlatform(GlSurfacePlatform());
    ResetProgressDialogPlatform(ProgressDialogPlatform());
    ResetDisplayPlatform(DisplayPlatform());
    FreeMonitorFerns(SaverMonitorFerns());
    ResetProgress(Progress());
  }

  HWND Create(int width, int height) {
    window_ = CreateWindowExA(0, ClassName, "Screen Saver", WS_POPUP, 0, 0, width, height, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    return window_;
  }

  // An erase with the shell's share, then the turn of the message loop that
  // starts the run it made due.
  void Erase() {
    const HDC dc = GetDC(window_);
    StepSaver(window_, SaverEvent::Erase);
    SendMessageA(window_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(window_, dc);
    RunDueComputation(window_);
  }

  static bool openGlUsable_;
  HWND window_ = nullptr;
};

bool SaverProcTest::openGlUsable_ = false;

// ---- WM_CREATE and the OpenGL set-up -------------------------------------------

TEST_F(SaverProcTest, CreateHoldsSurfaceContextAndTimerAndResetsTheStart) {
  // What an earlier window of the process left behind.
  ASSERT_NE(Create(200, 150), nullptr);
  Erase();
  for (int tick = 0; tick < 7; ++tick) SendMessageA(window_, WM_TIMER, AnimationTimerId, 0);
  DestroyWindow(window_);
  WindowAnimation().pauseCounter = -9;
  WindowAnimation().orientation = Horizontal;
  g_boxes = BoxLog{0, "", "", nullptr, ""};  // the hook also saw the progress dialog

  ASSERT_NE(Create(320, 240), nullptr);
  const GlSurfaceState& surface = GlSurface();
  EXPECT_NE(surface.deviceContext, nullptr);
  EXPECT_NE(surface.renderingContext, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), surface.renderingContext);
  EXPECT_EQ(surface.timerId, AnimationTimerId);
  const AnimationState& animation = WindowAnimation();
  EXPECT_EQ(animation.clientWidth, 320);
  EXPECT_EQ(animation.clientHeight, 240);
  EXPECT_EQ(animation.color.red, 0);
  EXPECT_EQ(animation.color.green, 255);
  EXPECT_EQ(animation.color.blue, 0);
  EXPECT_EQ(animation.pauseCounter, 0);
  EXPECT_EQ(animation.orientation, Vertical);
  EXPECT_EQ(animation.currentDepth, 0);
  EXPECT_EQ(WindowStore().vertical[0], nullptr);
  EXPECT_TRUE(LacksFerns(SaverMonitorFerns()));
  EXPECT_EQ(g_boxes.count, 0);
}

TEST_F(SaverProcTest, PixelFormatRequestIsSingleBufferedRgba32) {
  const PIXELFORMATDESCRIPTOR request = SaverPixelFormatRequest();
  PIXELFORMATDESCRIPTOR expected{};
  expected.nSize = 40;
  expected.nVersion = 1;
  expected.dwFlags = 0x24;
  expected.iPixelType = PFD_TYPE_RGBA;
  expected.cColorBits = 32;
  EXPECT_EQ(sizeof request, 40u);
  EXPECT_EQ(std::memcmp(&request, &expected, sizeof request), 0);
}

TEST_F(SaverProcTest, EachSetUpFailureShowsOneBoxAndDestroysTheWindow) {
  struct Case {
    const char* text;
    bool ownedByWindow;
    int contextsDeleted;
    void (*breakIt)(GlSurfaceCalls&);
  };
  const Case cases[] = {
      {"Cannot find suitable pixel format", false, 0,
       [](GlSurfaceCalls& gl) { gl.choosePixelFormat = NoPixelFormat; }},
      {"Unable to set pixel format", true, 0,
       [](GlSurfaceCalls& gl) { gl.setPixelFormat = SetPixelFormatFails; }},
      {"Failed to describe pixel format", true, 0,
       [](GlSurfaceCalls& gl) { gl.describePixelFormat = DescribeFails; }},
      {"Unable to create OpenGL rendering context", true, 0,
       [](GlSurfaceCalls& gl) { gl.createContext = NoContext; }},
      {"Unable to make specified OpenGL rendering context current rendering context", true, 1,
       [](GlSurfaceCalls& gl) { gl.makeCurrent = MakeCurrentFails; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ResetGlSurfacePlatform(GlSurfacePlatform());
    GlSurfacePlatform().deleteContext = CountingDelete;
    GlSurfacePlatform().makeCurrent = CountingMakeCurrent;
    c.breakIt(GlSurfacePlatform());
    g_gl = GlLog{0, 0, -1};
    g_boxes = BoxLog{0, "", "", nullptr, ""};
    WindowAnimation().pauseCounter = -5;
    while (QuitPosted()) {
    }

    const HWND created = Create(320, 240);

    EXPECT_EQ(g_boxes.count, 1);
    EXPECT_EQ(g_boxes.text, c.text);
    EXPECT_EQ(g_boxes.caption, "Error");
    if (c.ownedByWindow) {
      EXPECT_EQ(g_boxes.ownerClass, ClassName);
    } else {
      EXPECT_EQ(g_boxes.owner, nullptr);
    }
    EXPECT_TRUE(created == nullptr || !IsWindow(created));
    // The context of failure 5 was gone before its box, and is not deleted again.
    EXPECT_EQ(g_gl.deletes, c.contextsDeleted);
    EXPECT_EQ(g_gl.deletesWhenBoxShown, c.contextsDeleted);
    EXPECT_EQ(g_gl.releases, 0);
    const GlSurfaceState& surface = GlSurface();
    EXPECT_EQ(surface.deviceContext, nullptr);
    EXPECT_EQ(surface.renderingContext, nullptr);
    EXPECT_EQ(surface.timerId, 0u);
    // The set-up stopped before the start of the animation was reset.
    EXPECT_EQ(WindowAnimation().pauseCounter, -5);
    EXPECT_TRUE(QuitPosted());
    window_ = nullptr;
  }
}

TEST_F(SaverProcTest, TickIntervalFollowsFastMadness) {
  const struct {
    const char* setting;
    int value;  // -1: no value in the registry
    int intervalMs;
  } cases[] = {{"on", 1, 10}, {"off", 0, 50}, {"missing", -1, 50}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    DeleteFastMadness();
    if (c.value >= 0) {
      ASSERT_EQ(WriteFastMadness(c.value), 0);
    }
    ASSERT_NE(Create(160, 120), nullptr);
    EXPECT_EQ(WindowAnimation().tickIntervalMs, c.intervalMs);
    EXPECT_EQ(GlSurface().timerId, AnimationTimerId);
    // Timer 1 runs on the window.
    MSG m{};
    EXPECT_TRUE(Eventually([&] {
      return PeekMessageA(&m, window_, WM_TIMER, WM_TIMER, PM_REMOVE) != FALSE;
    }));
    EXPECT_EQ(m.wParam, AnimationTimerId);
    DestroyWindow(window_);
    window_ = nullptr;
    while (QuitPosted()) {
    }
  }
  DeleteFastMadness();
}

// ---- WM_SIZE, WM_TIMER, WM_DESTROY ----------------------------------------------

TEST_F(SaverProcTest, SizeSetsTheViewportToTheSizeStoredAtCreation) {
  ASSERT_NE(Create(320, 240), nullptr);
  for (LPARAM size : {MAKELPARAM(17, 23), LPARAM{0}, MAKELPARAM(4000, 3000)}) {
    glViewport(0, 0, 1, 1);
    EXPECT_EQ(SendMessageA(window_, WM_SIZE, SIZE_RESTORED, size), 0);
    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 240);
  }
}

TEST_F(SaverProcTest, DestroyOfANeverComputedWindowReleasesEverythingOnce) {
  ASSERT_NE(Create(320, 240), nullptr);
  while (QuitPosted()) {
  }
  EXPECT_TRUE(DestroyWindow(window_));
  window_ = nullptr;
  EXPECT_EQ(g_gl.releases, 1);
  EXPECT_EQ(g_gl.deletes, 1);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  const GlSurfaceState& surface = GlSurface();
  EXPECT_EQ(surface.deviceContext, nullptr);
  EXPECT_EQ(surface.renderingContext, nullptr);
  EXPECT_EQ(surface.timerId, 0u);
  EXPECT_EQ(WindowStore().vertical[0], nullptr);
  EXPECT_EQ(WindowStore().horizontal[0], nullptr);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(SaverProcTest, DestroyFreesBothFernsSoALaterWindowCannotFreeThemAgain) {
  ASSERT_NE(Create(200, 150), nullptr);
  Erase();
  ASSERT_NE(WindowStore().vertical[0], nullptr);
  ASSERT_NE(WindowStore().horizontal[0], nullptr);
  DestroyWindow(window_);
  for (int d = 0; d < DepthIndexSlots; ++d) {
    ASSERT_EQ(WindowStore().vertical[d], nullptr);
    ASSERT_EQ(WindowStore().horizontal[d], nullptr);
  }
  // A second window of the same process, destroyed without computing.
  ASSERT_NE(Create(200, 150), nullptr);
  EXPECT_TRUE(DestroyWindow(window_));
  window_ = nullptr;
}

TEST_F(SaverProcTest, EveryTimerMessageIsOneAnimationTick) {
  ASSERT_NE(Create(200, 150), nullptr);
  Erase();
  AnimationState& animation = WindowAnimation();
  ASSERT_EQ(animation.currentDepth, 0);
  const DrawColor before = animation.color;
  EXPECT_EQ(SendMessageA(window_, WM_TIMER, AnimationTimerId, 0), 0);
  EXPECT_EQ(animation.currentDepth, 1);
  EXPECT_NE(std::memcmp(&before, &animation.color, sizeof before), 0);
  EXPECT_EQ(SendMessageA(window_, WM_TIMER, 77, 0), 0);
  EXPECT_EQ(animation.currentDepth, 2);
}

// ---- Everything else goes to ShellDefaultProc -------------------------------------

TEST_F(SaverProcTest, UnhandledMessagesReachTheShellWithTheirFourValues) {
  ASSERT_NE(Create(200, 150), nullptr);
  // wParam and lParam unchanged: the default procedure sets and reads the title.
  EXPECT_EQ(SendMessageA(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed")), TRUE);
  char title[8] = "";
  EXPECT_EQ(SendMessageA(window_, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(title)), 3);
  EXPECT_STREQ(title, "Ren");
  // The close policy of a full-screen saver: a key press asks this window to close,
  // and the cursor message is answered without the default procedure.
  EXPECT_FALSE(TakeMessage(window_, WM_CLOSE));
  SendMessageA(window_, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(TakeMessage(window_, WM_CLOSE));
  EXPECT_EQ(SendMessageA(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            1);
  // The window survives all of it: WM_CLOSE was only queued.
  EXPECT_TRUE(IsWindow(window_));
}

// ---- WM_ERASEBKGND: the one-time precomputation -----------------------------------

TEST_F(SaverProcTest, FirstEraseComputesBothFernsWithTheDialogAndClosesIt) {
  ASSERT_NE(Create(640, 480), nullptr);
  Erase();
  const AnimationState& animation = WindowAnimation();
  EXPECT_EQ(animation.verticalLevels, 22);
  EXPECT_EQ(animation.horizontalLevels, 24);
  EXPECT_EQ(animation.currentDepth, 0);
  EXPECT_EQ(animation.orientation, Vertical);
  EXPECT_FALSE(LacksFerns(SaverMonitorFerns()));
  EXPECT_NE(WindowStore().vertical[0], nullptr);
  EXPECT_EQ(Progress().abortFlag.load(), 0);
  EXPECT_EQ(g_dialog.opens.load(), 1);
  EXPECT_EQ(g_dialog.finalVertical, Line(Vertical, 22, 22));
  EXPECT_EQ(g_dialog.finalHorizontal, Line(Horizontal, 24, 24));
  EXPECT_TRUE(g_dialog.destroyed.load());
  EXPECT_FALSE(IsWindow(g_dialog.window.load()));
  ASSERT_NE(g_dialog.hideTick.load(), 0u);
  EXPECT_GE(g_dialog.hideTick.load() - g_dialog.lastBeforeLevelTick.load(), ProgressHoldMs);
}

TEST_F(SaverProcTest, SecondEraseGoesToTheShellWithoutANewRun) {
  ASSERT_NE(Create(300, 200), nullptr);
  Erase();
  Segment* const vertical = WindowStore().vertical[0];
  Segment* const horizontal = WindowStore().horizontal[0];
  ASSERT_EQ(g_dialog.opens.load(), 1);
  Erase();
  EXPECT_EQ(g_dialog.opens.load(), 1);
  EXPECT_EQ(WindowStore().vertical[0], vertical);
  EXPECT_EQ(WindowStore().horizontal[0], horizontal);
}

TEST_F(SaverProcTest, LowWindowKeepsItsHorizontalFernAndNeverRestarts) {
  ASSERT_NE(Create(200, 8), nullptr);
  Erase();
  EXPECT_EQ(WindowAnimation().verticalLevels, 0);
  EXPECT_EQ(WindowAnimation().horizontalLevels, LevelCount(40));
  EXPECT_EQ(WindowStore().vertical[0], nullptr);
  Segment* const horizontal = WindowStore().horizontal[0];
  ASSERT_NE(horizontal, nullptr);
  for (int i = 0; i < 3; ++i) {
    Erase();
    EXPECT_EQ(WindowStore().horizontal[0], horizontal);
  }
  EXPECT_EQ(g_dialog.opens.load(), 1);
}

// The user of the next test, on a thread of its own.
DWORD WINAPI NudgeMouseOnceDialogIsUp(LPVOID) {
  if (Eventually([] { return ShownProgressDialog() != nullptr; })) SetCursorPos(60, 50);
  return 0;
}

TEST_F(SaverProcTest, MouseMovementAbortsAFullSizeRun) {
  ASSERT_NE(Create(1024, 768), nullptr);
  // Once the dialog is up, the user nudges the mouse far from it.
  HANDLE user = CreateThread(nullptr, 0, NudgeMouseOnceDialogIsUp, nullptr, 0, nullptr);
  ASSERT_NE(user, nullptr);
  Erase();
  WaitForSingleObject(user, INFINITE);
  CloseHandle(user);
  EXPECT_EQ(Progress().abortFlag.load(), 1);
  EXPECT_FALSE(LacksFerns(SaverMonitorFerns()));
  EXPECT_TRUE(g_dialog.destroyed.load());
  EXPECT_FALSE(IsWindow(g_dialog.window.load()));
  // Stopped, never to restart.
  Erase();
  EXPECT_EQ(g_dialog.opens.load(), 1);
}

TEST_F(SaverProcTest, OwnDialogTakingTheActivationDoesNotCloseTheSaver) {
  // A shown, active saver window: its first paint erases and starts the run,
  // whose dialog (another thread) takes the activation from it.
  window_ = CreateWindowExA(WS_EX_TOPMOST, ClassName, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                            640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window_, nullptr);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  StepSaver(window_, SaverEvent::Erase);  // the shell's share of that paint
  RunDueComputation(window_);
  ASSERT_EQ(g_dialog.opens.load(), 1);
  EXPECT_TRUE(g_dialog.destroyed.load());
  EXPECT_FALSE(LacksFerns(SaverMonitorFerns()));
  EXPECT_FALSE(TakeMessage(window_, WM_CLOSE));
  // Outside a run, losing the activation still closes the saver.
  SendMessageA(window_, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_TRUE(TakeMessage(window_, WM_CLOSE));
}

TEST_F(SaverProcTest, OutOfMemoryEndsTheDialogWithoutHoldAndErasesAsUsual) {
  ASSERT_NE(Create(640, 480), nullptr);
  WindowStore().allocator = SegmentAllocator{AllocFailing, ReleaseNothing};
  Erase();
  WindowStore().allocator = DefaultSegmentAllocator();
  EXPECT_EQ(Progress().abortFlag.load(), 0);
  EXPECT_FALSE(LacksFerns(SaverMonitorFerns()));
  EXPECT_TRUE(g_dialog.destroyed.load());
  ASSERT_NE(g_dialog.hideTick.load(), 0u);
  EXPECT_LT(g_dialog.hideTick.load() - g_dialog.lastBeforeLevelTick.load(), ProgressHoldMs);
  // The animation is safe on what little there is, and nothing restarts.
  EXPECT_EQ(SendMessageA(window_, WM_TIMER, AnimationTimerId, 0), 0);
  Erase();
  EXPECT_EQ(g_dialog.opens.load(), 1);
}

// ---- A window over several monitors -------------------------------------------------

// A 400x300 window at the screen's corner over monitors of 240x300 and, to its
// right, 160x200: the corner of 160x100 at (240, 200) shows on neither.
int TwoMonitorsWithADeadCorner(PixelRect* out, int) {
  out[0] = PixelRect{0, 0, 240, 300};
  out[1] = PixelRect{240, 0, 400, 200};
  return 2;
}

// Pixels that are not black in a rectangle of the 300 pixels high surface.
int LitPixels(int x, int y, int width, int height) {
  return test::LitPixels(x, y, width, height, 300);
}

TEST_F(SaverProcTest, OverSeveralMonitorsNothingIsDrawnWhereNoMonitorIs) {
  DisplayPlatform().monitors = TwoMonitorsWithADeadCorner;
  window_ = CreateWindowExA(0, ClassName, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window_, nullptr);
  Erase();
  glDisable(GL_SCISSOR_TEST);  // black to start from: the class paints no background
  glViewport(0, 0, 400, 300);
  glClear(GL_COLOR_BUFFER_BIT);
  // Both monitors' vertical ferns, a pause, and their horizontal ferns.
  for (int tick = 0; tick < 400; ++tick) SendMessageA(window_, WM_TIMER, AnimationTimerId, 0);
  EXPECT_GT(LitPixels(0, 0, 400, 300), 0);
  EXPECT_EQ(LitPixels(240, 200, 160, 100), 0);
}

// Every slot of the list filled: more monitors may follow unlisted, and part
// of a list is no list.
int SixtyFourMonitors(PixelRect* out, int capacity) {
  for (int k = 0; k < capacity; ++k) {
    out[k] = PixelRect{50 * (k % 8), 30 * (k / 8), 50 * (k % 8) + 50, 30 * (k / 8) + 30};
  }
  return capacity;
}

TEST_F(SaverProcTest, AFullMonitorListIsNoListAndTheWindowIsOnePicture) {
  DisplayPlatform().monitors = SixtyFourMonitors;
  ASSERT_NE(Create(400, 300), nullptr);
  EXPECT_EQ(SaverMonitorFerns().layout.count, 1);
}

// A preview whose host window (another thread) is destroyed while the run is
// under way: the destruction reaches the saver's thread as a sent message,
// answered while the run waits on its dialog.
struct Host {
  HWND parent = nullptr;
  HANDLE made = nullptr;
  std::atomic<bool> stop{false};
};

LRESULT CALLBACK ReleaseLevelsOnDestroy(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY) g_holdLevels = false;
  return FernSaverProc(w, m, wp, lp);
}

DWORD WINAPI HostThenDestroy(LPVOID p) {
  auto* host = static_cast<Host*>(p);
  host->parent = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetEvent(host->made);
  bool destroyed = false;
  while (!host->stop.load()) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    if (!destroyed && g_dialog.lastBeforeLevelTick.load() != 0) {
      destroyed = true;
      DestroyWindow(host->parent);
    }
    Sleep(1);
  }
  return 0;
}

TEST_F(SaverProcTest, AHostDestroyedDuringThePreviewsRunStopsItBeforeFreeingItsFerns) {
  Host host;
  host.made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, HostThenDestroy, &host, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(host.made, INFINITE);
  window_ = CreateWindowExA(0, ClassName, "Screen Saver", WS_CHILD | WS_VISIBLE, 0, 0, 1024, 768,
                            host.parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window_, nullptr);
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReleaseLevelsOnDestroy));
  Shell().previewMode = true;
  g_holdLevels = true;
  Erase();
  g_holdLevels = false;
  host.stop = true;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(host.made);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(Progress().abortFlag.load(), 1);  // stopped before its next level
  EXPECT_EQ(SaverMonitorFerns().layout.count, 0);  // freed, once the run was over
  EXPECT_EQ(SaverMonitorFerns().stores[0].vertical[0], nullptr);
}

}  // namespace
}  // namespace morv
