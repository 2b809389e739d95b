// The progress dialog beside the precomputation: its thread, its input handling
// (abort only on a full-size window), and a run that always meets and closes
// the dialog, however late it opens or if it never opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "precompute.h"
#include "progress_dialog.h"
#include "resource_ids.h"
#include "segment_store.h"

namespace morv {
namespace {

constexpr int TextChars = 256;

// What the dialog saw, recorded on the dialog thread by a procedure wrapped
// around ProgressDialogProc.
struct DialogLog {
  std::atomic<int> opens;
  std::atomic<int> beforeLevelMessages;
  std::atomic<bool> destroyed;
  std::atomic<HWND> window;
  std::atomic<DWORD> lastBeforeLevelTick;
  std::atomic<DWORD> hideTick;  // when the end request reached the dialog
  char initialVertical[TextChars];
  char initialHorizontal[TextChars];
  char finalVertical[TextChars];
  char finalHorizontal[TextChars];
  // What ProgressDialogThread asked for.
  HINSTANCE instance;
  LPCSTR templateName;
  HWND owner;
  LPARAM initParam;
  // Creation slowed down by this much.
  DWORD openDelayMs;
  // The procedure's answers, for the messages it acts on.
  std::atomic<int> nonFalseAnswers;
};

DialogLog g_log;

void ResetLog() {
  g_log.opens = 0;
  g_log.beforeLevelMessages = 0;
  g_log.destroyed = false;
  g_log.window = nullptr;
  g_log.lastBeforeLevelTick = 0;
  g_log.hideTick = 0;
  g_log.initialVertical[0] = g_log.initialHorizontal[0] = '\0';
  g_log.finalVertical[0] = g_log.finalHorizontal[0] = '\0';
  g_log.instance = nullptr;
  g_log.templateName = nullptr;
  g_log.owner = reinterpret_cast<HWND>(1);
  g_log.initParam = -1;
  g_log.openDelayMs = 0;
  g_log.nonFalseAnswers = 0;
}

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      GetDlgItemTextA(dialog, IDC_VERTICAL_STATUS, g_log.initialVertical, TextChars);
      GetDlgItemTextA(dialog, IDC_HORIZONTAL_STATUS, g_log.initialHorizontal, TextChars);
      g_log.window = dialog;
      ++g_log.opens;
      break;
    case BeforeLevelMessage:
      ++g_log.beforeLevelMessages;
      g_log.lastBeforeLevelTick = GetTickCount();
      break;
    case WM_WINDOWPOSCHANGING:
      if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0 &&
          g_log.hideTick.load() == 0) {
        g_log.hideTick = GetTickCount();
      }
      break;
    case WM_DESTROY:
      GetDlgItemTextA(dialog, IDC_VERTICAL_STATUS, g_log.finalVertical, TextChars);
      GetDlgItemTextA(dialog, IDC_HORIZONTAL_STATUS, g_log.finalHorizontal, TextChars);
      break;
    default:
      break;
  }
  const INT_PTR answer = ProgressDialogProc(dialog, message, wParam, lParam);
  if (answer != FALSE) ++g_log.nonFalseAnswers;
  if (message == WM_DESTROY) g_log.destroyed = true;
  return answer;
}

INT_PTR WINAPI RecordingDialogBox(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC,
                                  LPARAM initParam) {
  g_log.instance = instance;
  g_log.templateName = templateName;
  g_log.owner = owner;
  g_log.initParam = initParam;
  if (g_log.openDelayMs != 0) Sleep(g_log.openDelayMs);
  return DialogBoxParamA(instance, templateName, owner, RecordingDialogProc, initParam);
}

INT_PTR WINAPI FailingDialogBox(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) {
  ++g_log.opens;
  return -1;
}

void PressEscape(bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_ESCAPE;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

POINT CursorNow() {
  POINT p{-1, -1};
  GetCursorPos(&p);
  return p;
}

// Waits up to `ms` for a condition another thread makes true.
template <typename Condition>
bool Eventually(Condition condition, DWORD ms = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(5);
  }
  return true;
}

// The dialog on its own thread, outside any run, for the input-handling cases.
class OpenDialog {
 public:
  OpenDialog(int width, int height, ProgressRecentre recentre = ProgressRecentre::WindowMiddle)
      : state_(NewProgressDialogState(width, height, recentre)) {
    AddProgressDialogReference(state_);  // the thread's
    thread_ = CreateThread(nullptr, 0, ProgressDialogThread, state_, 0, nullptr);
    WaitForSingleObject(state_->ready, ProgressDialogWaitMs);
    window_ = state_->window.load();
  }
  ~OpenDialog() {
    if (window_ != nullptr) EndDialog(window_, 1);
    WaitForSingleObject(thread_, ProgressDialogWaitMs);
    CloseHandle(thread_);
    ReleaseProgressDialogState(state_);
  }
  HWND window() const { return window_; }
  ProgressDialogState& state() { return *state_; }

 private:
  ProgressDialogState* state_;
  HANDLE thread_ = nullptr;
  HWND window_ = nullptr;
};

class ProgressDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetLog();
    ResetProgress(Progress());
    ResetShownProgressDialog();
    ProgressDialogPlatform().dialogBoxParam = RecordingDialogBox;
    FreeFerns(Store());
    ResetFernStore(Store());
    PressEscape(false);
  }
  void TearDown() override {
    PressEscape(false);
    ResetProgressDialogPlatform(ProgressDialogPlatform());
    FreeFerns(Store());
    ResetFernStore(Store());
    ResetProgress(Progress());
  }
};

// Both ferns for a window of that size into Store(), beside the dialog.
PrecomputeResult ComputeBesideDialog(int width, int height) {
  struct Size {
    int width;
    int height;
    static PrecomputeResult Compute(void* context, const ProgressPort& port) {
      const Size& size = *static_cast<const Size*>(context);
      return PrecomputeFerns(Store(), size.width, size.height, port, Progress());
    }
  } size{width, height};
  return RunWithProgressDialog(width, height, DialogComputation{&size, &Size::Compute});
}

std::string Line(FernOrientation fern, int generation, int levels) {
  char text[ProgressLineChars];
  FormatProgressLine(text, fern, generation, levels);
  return text;
}

TEST_F(ProgressDialogTest, ThreadRunsDialog110FromTheProgramWithoutOwner) {
  {
    OpenDialog dialog(640, 480);
    ASSERT_NE(dialog.window(), nullptr);
  }
  EXPECT_EQ(g_log.instance, GetModuleHandleA(nullptr));
  EXPECT_EQ(g_log.templateName, MAKEINTRESOURCEA(IDD_PROGRESS));
  EXPECT_EQ(g_log.owner, nullptr);
  EXPECT_NE(g_log.initParam, 0);  // the run's own state
  EXPECT_STREQ(g_log.initialVertical, "Computed depth 0 of <unknown> for vertical fern.");
  EXPECT_STREQ(g_log.initialHorizontal, "Computed depth 0 of <unknown> for horizontal fern.");
  EXPECT_EQ(g_log.nonFalseAnswers.load(), 0);
  EXPECT_TRUE(g_log.destroyed.load());
  EXPECT_EQ(ShownProgressDialog(), nullptr);
}

TEST_F(ProgressDialogTest, InitDialogStoresWindowAndStartCursor) {
  SetCursorPos(41, 43);
  OpenDialog dialog(640, 480);
  ASSERT_NE(dialog.window(), nullptr);
  EXPECT_EQ(dialog.state().window.load(), dialog.window());
  EXPECT_EQ(ShownProgressDialog(), dialog.window());
  EXPECT_TRUE(dialog.state().startCursorKnown);
  EXPECT_EQ(dialog.state().startCursor.x, 41);
  EXPECT_EQ(dialog.state().startCursor.y, 43);
}

TEST_F(ProgressDialogTest, DialogProcAnswersFalseToEveryMessage) {
  OpenDialog dialog(1024, 768);
  ASSERT_NE(dialog.window(), nullptr);
  for (UINT message : {BeforeLevelMessage, UINT{WM_MOUSEMOVE}, UINT{WM_COMMAND}, UINT{WM_PAINT},
                       UINT{WM_KEYDOWN}}) {
    EXPECT_EQ(ProgressDialogProc(dialog.window(), message, 0, 0), FALSE) << message;
  }
}

// A dialog whose run has finished (it outlived it) leaves the flag, which
// the next run shares, alone.
TEST_F(ProgressDialogTest, MouseMoveAbortsOnlyOnAFullSizeWindowDuringItsRun) {
  const struct {
    int width;
    bool cursorMoves;
    bool finished;
    std::uint8_t abortFlag;
  } cases[] = {
      {1024, true, false, 1}, {320, true, false, 1},  {319, true, false, 0},
      {152, true, false, 0},  {1024, false, false, 0}, {1024, true, true, 0},
  };
  for (const auto& c : cases) {
    ResetProgress(Progress());
    SetCursorPos(30, 30);
    OpenDialog dialog(c.width, 768);
    ASSERT_NE(dialog.window(), nullptr);
    dialog.state().finished = c.finished;
    if (c.cursorMoves) SetCursorPos(35, 30);
    SendMessageA(dialog.window(), WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(Progress().abortFlag.load(), c.abortFlag) << "width " << c.width;
  }
}

TEST_F(ProgressDialogTest, BeforeLevelRecentresAMovedCursorOnAFullSizeWindow) {
  const struct {
    int width;
    int height;
    POINT expected;
  } cases[] = {
      {1024, 768, {512, 384}},
      {800, 600, {400, 300}},
      {300, 768, {60, 50}},  // narrow: the cursor stays where the user put it
  };
  for (const auto& c : cases) {
    SetCursorPos(40, 40);
    OpenDialog dialog(c.width, c.height);
    ASSERT_NE(dialog.window(), nullptr);
    SetCursorPos(60, 50);
    SendMessageA(dialog.window(), BeforeLevelMessage, 0, 0);  // returns once handled
    const POINT now = CursorNow();
    EXPECT_EQ(now.x, c.expected.x) << "width " << c.width;
    EXPECT_EQ(now.y, c.expected.y) << "width " << c.width;
  }
}

TEST_F(ProgressDialogTest, RecentredCursorReachesTheDialogAndAborts) {
  SetCursorPos(40, 40);
  OpenDialog dialog(1024, 768);  // the dialog is centred on the 1024x768 screen
  ASSERT_NE(dialog.window(), nullptr);
  SetCursorPos(60, 50);
  SendMessageA(dialog.window(), BeforeLevelMessage, 0, 0);
  EXPECT_TRUE(Eventually([] { return Progress().abortFlag.load() == 1; }));
}

TEST_F(ProgressDialogTest, OverSeveralMonitorsTheCursorGoesToTheDialogsMiddleAndAborts) {
  // The window's middle, (320, 240), lies off the dialog centred on the screen,
  // as the middle of a desktop of several monitors can.
  SetCursorPos(40, 40);
  OpenDialog dialog(640, 480, ProgressRecentre::DialogMiddle);
  ASSERT_NE(dialog.window(), nullptr);
  RECT box{};
  GetWindowRect(dialog.window(), &box);
  SetCursorPos(60, 50);
  SendMessageA(dialog.window(), BeforeLevelMessage, 0, 0);
  EXPECT_EQ(CursorNow().x, (box.left + box.right) / 2);
  EXPECT_TRUE(Eventually([] { return Progress().abortFlag.load() == 1; }));
}

// The displays change during the run: the dialog goes to the middle of the new
// 1024x768 screen; where the change put the cursor is no move of the user's;
// the old window's middle, (320, 240), is off the dialog, and a move must
// still reach the dialog and abort.
TEST_F(ProgressDialogTest, AfterADisplayChangeAMoveStillAborts) {
  SetCursorPos(40, 40);
  OpenDialog dialog(640, 480);
  ASSERT_NE(dialog.window(), nullptr);
  SetCursorPos(30, 20);  // the screen shrank under the cursor
  SendMessageA(dialog.window(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  SendMessageA(dialog.window(), BeforeLevelMessage, 0, 0);
  Sleep(100);
  EXPECT_EQ(Progress().abortFlag.load(), 0);
  RECT box{};
  GetWindowRect(dialog.window(), &box);
  EXPECT_NEAR((box.left + box.right) / 2, 512, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, 384, 1);
  SetCursorPos(60, 50);
  SendMessageA(dialog.window(), BeforeLevelMessage, 0, 0);
  EXPECT_TRUE(Eventually([] { return Progress().abortFlag.load() == 1; }));
}

TEST_F(ProgressDialogTest, EscapeRecentresTheCursorOnlyOnAFullSizeWindow) {
  const struct {
    int width;
    POINT expected;
  } cases[] = {{1024, {512, 384}}, {300, {40, 40}}};
  for (const auto& c : cases) {
    SetCursorPos(40, 40);
    OpenDialog dialog(c.width, 768);
    ASSERT_NE(dialog.window(), nullptr);
    PressEscape(true);
    SendMessageA(dialog.window(), BeforeLevelMessage, 0, 0);
    PressEscape(false);
    const POINT now = CursorNow();
    EXPECT_EQ(now.x, c.expected.x) << "width " << c.width;
    EXPECT_EQ(now.y, c.expected.y) << "width " << c.width;
  }
}

TEST_F(ProgressDialogTest, ThreadEndsAtOnceWhenTheDialogCannotBeCreated) {
  ProgressDialogPlatform().dialogBoxParam = FailingDialogBox;
  ProgressDialogState* dialog = NewProgressDialogState(640, 480, ProgressRecentre::WindowMiddle);
  AddProgressDialogReference(dialog);  // the thread lets go of it as it ends
  EXPECT_EQ(ProgressDialogThread(dialog), 0u);
  EXPECT_EQ(WaitForSingleObject(dialog->ready, 0), WAIT_OBJECT_0);
  EXPECT_EQ(dialog->window.load(), nullptr);
  EXPECT_EQ(dialog->references.load(), 1);
  ReleaseProgressDialogState(dialog);
}

TEST_F(ProgressDialogTest, PortWithoutADialogDoesNothing) {
  ProgressDialogState* dialog = NewProgressDialogState(640, 480, ProgressRecentre::WindowMiddle);
  const ProgressPort port = DialogProgressPort(*dialog);
  ASSERT_NE(port.beforeLevel, nullptr);
  ASSERT_NE(port.setText, nullptr);
  port.beforeLevel(port.context);
  port.setText(port.context, IDC_VERTICAL_STATUS, "nowhere");
  EXPECT_EQ(Progress().abortFlag.load(), 0);
  ReleaseProgressDialogState(dialog);
}

TEST_F(ProgressDialogTest, PortPutsLinesIntoTheStatusControls) {
  OpenDialog dialog(640, 480);
  ASSERT_NE(dialog.window(), nullptr);
  const ProgressPort port = DialogProgressPort(dialog.state());
  port.setText(port.context, IDC_VERTICAL_STATUS, "Computed depth 3 of 22 for vertical fern.");
  port.setText(port.context, IDC_HORIZONTAL_STATUS, "Computed depth 4 of 24 for horizontal fern.");
  port.beforeLevel(port.context);
  char text[TextChars];
  GetDlgItemTextA(dialog.window(), IDC_VERTICAL_STATUS, text, TextChars);
  EXPECT_STREQ(text, "Computed depth 3 of 22 for vertical fern.");
  GetDlgItemTextA(dialog.window(), IDC_HORIZONTAL_STATUS, text, TextChars);
  EXPECT_STREQ(text, "Computed depth 4 of 24 for horizontal fern.");
  EXPECT_EQ(g_log.beforeLevelMessages.load(), 1);
}

TEST_F(ProgressDialogTest, CompleteRunShowsEveryLevelHoldsTheFinalLinesAndCloses) {
  SetCursorPos(10, 10);
  const PrecomputeResult result = ComputeBesideDialog(640, 480);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(g_log.opens.load(), 1);
  EXPECT_EQ(g_log.beforeLevelMessages.load(), 5 * (22 + 24));
  EXPECT_EQ(g_log.finalVertical, Line(Vertical, 22, 22));
  EXPECT_EQ(g_log.finalHorizontal, Line(Horizontal, 24, 24));
  // Closed before the run returned, and nothing of it is left.
  EXPECT_TRUE(g_log.destroyed.load());
  EXPECT_FALSE(IsWindow(g_log.window.load()));
  EXPECT_EQ(ShownProgressDialog(), nullptr);
  // The finished lines stayed up for the hold.
  ASSERT_NE(g_log.hideTick.load(), 0u);
  EXPECT_GE(g_log.hideTick.load() - g_log.lastBeforeLevelTick.load(), ProgressHoldMs);
  EXPECT_EQ(Progress().abortFlag.load(), 0);
}

TEST_F(ProgressDialogTest, NarrowRunClosesTheDialogWithoutHold) {
  const PrecomputeResult result = ComputeBesideDialog(300, 200);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(g_log.beforeLevelMessages.load(), 5 * (LevelCount(40) + LevelCount(60)));
  EXPECT_EQ(g_log.finalVertical, Line(Vertical, LevelCount(40), LevelCount(40)));
  EXPECT_EQ(g_log.finalHorizontal, Line(Horizontal, LevelCount(60), LevelCount(60)));
  EXPECT_TRUE(g_log.destroyed.load());
  ASSERT_NE(g_log.hideTick.load(), 0u);
  EXPECT_LT(g_log.hideTick.load() - g_log.lastBeforeLevelTick.load(), ProgressHoldMs);
}

// An abort that comes during the hold of a complete run, as a message sent
// to the computing thread (a new colour depth): answered at once, it ends the hold.
std::atomic<DWORD> g_computedTick{0};
std::atomic<DWORD> g_abortTick{0};

LRESULT CALLBACK AbortingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  Progress().abortFlag.store(1);
  g_abortTick = GetTickCount();
  return 0;
}

DWORD WINAPI AbortOnceComputed(LPVOID window) {
  if (Eventually([] { return g_computedTick.load() != 0; }, 20000)) {
    SendMessageA(static_cast<HWND>(window), WM_APP, 0, 0);
  }
  return 0;
}

TEST_F(ProgressDialogTest, AnAbortSentDuringTheHoldEndsIt) {
  WNDCLASSA c{};
  c.lpfnWndProc = AbortingProc;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = "morv-hold-abort";
  RegisterClassA(&c);
  const HWND window = CreateWindowExA(0, c.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                      nullptr, c.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  g_computedTick = 0;
  g_abortTick = 0;
  struct Computation {
    static PrecomputeResult Run(void*, const ProgressPort& port) {
      const PrecomputeResult result = PrecomputeFerns(Store(), 640, 480, port, Progress());
      g_computedTick = GetTickCount();
      return result;
    }
  };
  const HANDLE sender = CreateThread(nullptr, 0, AbortOnceComputed, window, 0, nullptr);
  const PrecomputeResult result =
      RunWithProgressDialog(640, 480, DialogComputation{nullptr, &Computation::Run});
  WaitForSingleObject(sender, INFINITE);
  CloseHandle(sender);
  DestroyWindow(window);
  UnregisterClassA(c.lpszClassName, c.hInstance);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  ASSERT_NE(g_abortTick.load(), 0u);
  EXPECT_LT(g_abortTick.load() - g_computedTick.load(), ProgressHoldMs);
  EXPECT_LT(g_log.hideTick.load() - g_computedTick.load(), ProgressHoldMs);
}

TEST_F(ProgressDialogTest, EscapeWithTheCursorAlreadyCentredDoesNotAbort) {
  SetCursorPos(512, 384);  // where Escape would put it
  PressEscape(true);
  const PrecomputeResult result = ComputeBesideDialog(1024, 768);
  PressEscape(false);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(Progress().abortFlag.load(), 0);
  EXPECT_TRUE(g_log.destroyed.load());
}

TEST_F(ProgressDialogTest, HeldEscapeAbortsAFullSizeRun) {
  SetCursorPos(40, 40);
  PressEscape(true);
  const PrecomputeResult result = ComputeBesideDialog(1024, 768);
  PressEscape(false);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Aborted);
  EXPECT_EQ(Progress().abortFlag.load(), 1);
  EXPECT_TRUE(g_log.destroyed.load());
  EXPECT_FALSE(IsWindow(g_log.window.load()));
}

TEST_F(ProgressDialogTest, RunFinishesWhenTheDialogCannotBeCreated) {
  ProgressDialogPlatform().dialogBoxParam = FailingDialogBox;
  const DWORD start = GetTickCount();
  const PrecomputeResult result = ComputeBesideDialog(300, 200);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(result.verticalLevels, LevelCount(40));
  EXPECT_EQ(result.horizontalLevels, LevelCount(60));
  EXPECT_EQ(g_log.opens.load(), 1);
  // The failed creation released the run at once instead of at the wait's bound.
  EXPECT_LT(GetTickCount() - start, ProgressDialogWaitMs);
}

TEST_F(ProgressDialogTest, SlowDialogStillGetsEveryLevelAndCloses) {
  g_log.openDelayMs = 300;
  const PrecomputeResult result = ComputeBesideDialog(300, 200);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(g_log.beforeLevelMessages.load(), 5 * (LevelCount(40) + LevelCount(60)));
  EXPECT_EQ(g_log.finalHorizontal, Line(Horizontal, LevelCount(60), LevelCount(60)));
  EXPECT_TRUE(g_log.destroyed.load());
}

TEST_F(ProgressDialogTest, DialogOpeningAfterTheRunEndedClosesItself) {
  g_log.openDelayMs = ProgressDialogWaitMs + 500;
  const PrecomputeResult result = ComputeBesideDialog(300, 200);
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(g_log.beforeLevelMessages.load(), 0);
  EXPECT_TRUE(Eventually([] { return g_log.destroyed.load(); }, 4 * ProgressDialogWaitMs));
  EXPECT_EQ(g_log.opens.load(), 1);
  EXPECT_FALSE(IsWindow(g_log.window.load()));
}

// The first run's dialog thread ends only after the wait for it has given up,
// while the next run is under way: it must not touch the next run's dialog.
INT_PTR WINAPI SlowToEndDialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                                  LPARAM param) {
  const bool first = g_log.opens.load() == 0;
  const INT_PTR result = RecordingDialogBox(instance, name, owner, proc, param);
  if (first) Sleep(ProgressDialogWaitMs + 500);
  return result;
}

TEST_F(ProgressDialogTest, ADialogThreadThatOutlivesItsRunLeavesTheNextRunAlone) {
  ProgressDialogPlatform().dialogBoxParam = SlowToEndDialogBox;
  ASSERT_EQ(ComputeBesideDialog(640, 480).outcome, PrecomputeOutcome::Completed);
  const int firstRun = g_log.beforeLevelMessages.load();
  g_log.destroyed = false;
  ASSERT_EQ(ComputeBesideDialog(640, 480).outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(g_log.opens.load(), 2);
  EXPECT_EQ(g_log.beforeLevelMessages.load(), 2 * firstRun);  // the second dialog saw every level
  EXPECT_TRUE(g_log.destroyed.load());  // and was closed
  EXPECT_FALSE(IsWindow(g_log.window.load()));
}

}  // namespace
}  // namespace morv
