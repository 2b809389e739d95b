#include "saver_window.h"

#include "debug_note.h"
#include "displays.h"
#include "fern_saver_proc.h"
#include "password_hooks.h"
#include "shell_state.h"

namespace morv {
namespace {

struct WindowShape {
  HWND parent;
  DWORD exStyle;
  const char* title;
  DWORD style;
  int x;
  int y;
  int width;
  int height;
};

WNDCLASSA SaverClass(HINSTANCE instance) {
  WNDCLASSA c = {};
  c.style = SaverClassStyle;
  c.lpfnWndProc = ShellWindowProc;
  c.hInstance = instance;
  c.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(SaverIconId));
  c.hCursor = nullptr;  // the saver shows no cursor of its own
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  c.lpszClassName = SaverClassName;
  return c;
}

// Fills the parent's client area as it is now; later resizes are not followed.
WindowShape PreviewShape(HWND parent) {
  RECT client = {};
  if (!GetClientRect(parent, &client)) client = RECT{};  // CreateWindowExA then fails on the dead parent
  return WindowShape{parent, 0, PreviewTitle, PreviewStyle, 0, 0, client.right, client.bottom};
}

WindowShape FullScreenShape() {
  RECT box{0, 0, 0, 0};  // not known: a window of no area, which the platform refuses
  if (!DisplayPlatform().screen(&box)) box = RECT{0, 0, 0, 0};
  return WindowShape{nullptr, WS_EX_TOPMOST, FullScreenTitle, FullScreenStyle,
                     box.left, box.top, box.right - box.left, box.bottom - box.top};
}

// A full-screen saver that already runs is brought forward instead.
bool ForwardToRunningSaver() {
  HWND running = FindWindowA(SaverClassName, FullScreenTitle);
  if (running == nullptr || !IsWindow(running)) return false;
  SetForegroundWindow(running);
  return true;
}

HWND CreateSaverWindow(const WindowShape& s, HINSTANCE instance) {
  return CreateWindowExA(s.exStyle, SaverClassName, s.title, s.style, s.x, s.y, s.width, s.height,
                         s.parent, nullptr, instance, nullptr);
}

int RunMessageLoop(HWND window) {
  MSG message = {};
  // GetMessageA answers -1 only for a bad filter window; there is none.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
    RunDueComputation(window);
  }
  return static_cast<int>(message.wParam);
}

// Always through the queue, once however often asked: a change announced
// during the run waits for its end, and a tick never changes the layout under
// the pictures it is drawing.
void PostFollow(ShellState& shell, HWND window) {
  if (!shell.followPending) {
    shell.followPending = PostMessageA(window, FollowDisplaysMessage, 0, 0) != FALSE;
  }
}

// A full queue loses a posted close: the tick posts it again.
void PostCloseOrKeepIt(ShellState& shell, HWND window) {
  shell.closePending = PostMessageA(window, WM_CLOSE, 0, 0) == FALSE;
}

bool Closing(const ShellState& shell) { return shell.saver.phase == SaverPhase::Closing; }

// --- The window procedure's handlers -------------------------------------

struct Message {
  HWND window;
  UINT id;
  WPARAM wParam;
  LPARAM lParam;
};

LRESULT Forward(const Message& m) { return FernSaverProc(m.window, m.id, m.wParam, m.lParam); }
LRESULT Default(const Message& m) { return DefWindowProcA(m.window, m.id, m.wParam, m.lParam); }

// The saver takes no text input: detach any input-method context, but only
// through an IMM32.DLL that something else has already loaded.
void DetachInputContext(ShellState& shell, HWND window) {
  shell.imeModule = GetModuleHandleA("IMM32.DLL");
  if (shell.imeModule == nullptr) return;
  shell.associateContext = reinterpret_cast<AssociateContextFn>(
      reinterpret_cast<void*>(GetProcAddress(shell.imeModule, "ImmAssociateContext")));
  if (shell.associateContext == nullptr) return;
  shell.savedInputContext = shell.associateContext(window, nullptr);
}

void RestoreInputContext(const ShellState& shell, HWND window) {
  if (shell.imeModule == nullptr || shell.associateContext == nullptr ||
      shell.savedInputContext == nullptr) {
    return;
  }
  shell.associateContext(window, shell.savedInputContext);
}

LRESULT OnCreate(ShellState& shell, const Message& m) {
  shell.saver = SaverState{SaverPhase::Starting, SaverPhase::Starting};
  DetachInputContext(shell, m.window);
  GetCursorPos(&shell.cursorReference);  // on failure the reference stays where it was
  if (!shell.previewMode) SetCursor(nullptr);
  return Forward(m);
}

LRESULT OnDestroy(ShellState& shell, const Message& m) {
  RestoreInputContext(shell, m.window);
  StepSaver(m.window, SaverEvent::Destroy);
  PostQuitMessage(0);
  return Forward(m);
}

// The erase clears the window to black (the class's brush); the loop starts
// the run that the first erase of a layout makes due.
LRESULT OnEraseBackground(const Message& m) {
  StepSaver(m.window, SaverEvent::Erase);
  return Forward(m);
}

LRESULT OnPaint(ShellState& shell, const Message& m) {
  if (Closing(shell)) return Default(m);
  if (!shell.previewMode) SetCursor(nullptr);
  return Forward(m);
}

// In a preview, help and the context menu belong to the dialog that hosts it.
LRESULT OnHelpOrContextMenu(const ShellState& shell, const Message& m) {
  if (!shell.previewMode) return Forward(m);
  HWND parent = GetParent(m.window);
  if (parent != nullptr && IsWindow(parent)) {
    PostMessageA(parent, m.id, reinterpret_cast<WPARAM>(parent), m.lParam);
  }
  return 1;
}

// Key, mouse-move and button-down messages after an approved close.
LRESULT OnInput(const ShellState& shell, const Message& m) {
  if (Closing(shell)) return Default(m);
  return Forward(m);
}

// Task switching and a second screen-saver start have no business with a
// running saver. The whole wParam is compared: with low bits set it is not
// one of these commands.
LRESULT OnSysCommand(const ShellState& shell, const Message& m) {
  if (!shell.previewMode &&
      (m.wParam == SC_NEXTWINDOW || m.wParam == SC_PREVWINDOW || m.wParam == SC_SCREENSAVE)) {
    return 0;
  }
  return Forward(m);
}

// Covers the virtual screen as the system now reports it. Where the cursor is
// after a move of the window was not the user's doing: a smaller screen pulls
// it in.
void FitToVirtualScreen(ShellState& shell, HWND window) {
  const WindowShape shape = FullScreenShape();
  RECT now = {};
  GetWindowRect(window, &now);
  if (shape.width > 0 && shape.height > 0 &&
      (now.left != shape.x || now.top != shape.y || now.right - now.left != shape.width ||
       now.bottom - now.top != shape.height)) {
    SetWindowPos(window, nullptr, shape.x, shape.y, shape.width, shape.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    GetCursorPos(&shell.cursorReference);
  }
}

// The displays changed under a full-screen saver (possibly during the run,
// whose dialog waits answer it: this message is sent). A new colour depth
// counts as new until a password prompt has refused the close it asked for.
LRESULT OnDisplayChange(ShellState& shell, const Message& m) {
  const int bits = static_cast<int>(m.wParam);
  const int surface = SurfaceBitsPerPixel();
  const bool newDepth =
      bits != 0 && surface != 0 && bits != surface && bits != shell.refusedBitsPerPixel;
  if (!shell.previewMode) {  // the preview stays as its host made it
    GetCursorPos(&shell.cursorReference);
    shell.displayAnnounced = true;
    shell.displayBitsPerPixel = bits;
  }
  StepSaver(m.window, newDepth ? SaverEvent::DepthChange : SaverEvent::SameDepthChange);
  return Default(m);
}

// Some systems (Wine) report the new screen a moment after announcing it: for
// DisplaySettleMs after following an announced change, the ticks ask for a
// look again. Counted from here, not from the announcement, which a long run
// may have held up for longer than that. The state changes only once
// something did: a look that finds the layout as it was leaves the pictures.
LRESULT OnFollowDisplays(ShellState& shell, const Message& m) {
  shell.followPending = false;
  const SaverState from = shell.saver;
  const SaverStep step = DecideSaverStep(from, SaverEvent::Follow, shell.previewMode);
  if ((step.actions & QueueFollow) != 0) PostFollow(shell, m.window);
  if ((step.actions & LayOut) == 0) return 0;
  FitToVirtualScreen(shell, m.window);
  const DisplayChange change{shell.displayAnnounced};
  if (change.announced) {
    shell.displayAnnounced = false;
    shell.displaySettling = true;
    shell.displayChangeTick = DisplayPlatform().tickCount();
  }
  // The move's erase, inside SetWindowPos, may have stepped the state already
  // (a first erase makes the run due, for the layout followed here).
  if (FollowDisplays(m.window, change) && shell.saver.phase == from.phase &&
      shell.saver.interrupted == from.interrupted) {
    shell.saver = step.next;
  }
  return 0;
}

LRESULT OnTimer(ShellState& shell, const Message& m) {
  if (Closing(shell)) return 0;  // no more drawing
  // Not inside the prompt, whose answer stands for it.
  if (shell.closePending && shell.saver.phase != SaverPhase::Verifying) {
    PostCloseOrKeepIt(shell, m.window);
  }
  const SaverStep step = StepSaver(m.window, SaverEvent::Tick);
  if ((step.actions & QueueFollow) != 0 && shell.displaySettling) {
    // Unsigned: right across the wrap of the 49.7-day count.
    if (DisplayPlatform().tickCount() - shell.displayChangeTick < DisplaySettleMs) {
      PostFollow(shell, m.window);
    } else {
      shell.displaySettling = false;
    }
  }
  if ((step.actions & Draw) == 0) return 0;
  Sleep(0);  // give the rest of the slice to whatever else wants the processor
  return Forward(m);
}

}  // namespace

int RunSaverWindow(HWND parent) {
  ShellState& shell = Shell();
  const WNDCLASSA saverClass = SaverClass(shell.instance);
  WindowShape shape;
  if (parent != nullptr) {
    shape = PreviewShape(parent);
    shell.previewMode = true;
  } else {
    shape = FullScreenShape();
    if (ForwardToRunningSaver()) return 0;
    LoadPasswordHook();
  }
  shell.autoPlayMessage = shell.onWin9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

  HWND window = nullptr;
  if (RegisterClassA(&saverClass) != 0) {
    window = CreateSaverWindow(shape, shell.instance);
    shell.saverWindow = window;
    if (window == nullptr) DebugNote("the saver window could not be created");
  } else {
    DebugNote("the saver window class could not be registered");
  }
  int result = NoSaverWindowResult;
  if (window != nullptr) {
    if (!shell.previewMode) SetForegroundWindow(window);
    result = RunMessageLoop(window);
  }
  UnloadPasswordHook();
  return result;
}

SaverStep StepSaver(HWND window, SaverEvent event) {
  ShellState& shell = Shell();
  const SaverStep step = DecideSaverStep(shell.saver, event, shell.previewMode);
  shell.saver = step.next;
  if ((step.actions & AbortRun) != 0) AbortComputation();
  if ((step.actions & PostClose) != 0) PostCloseOrKeepIt(shell, window);
  // A tick's look is wanted only while a change settles: the tick decides.
  if ((step.actions & QueueFollow) != 0 && event != SaverEvent::Tick) PostFollow(shell, window);
  return step;
}

void RunDueComputation(HWND window) {
  if (window == nullptr || !IsWindow(window)) return;
  if ((StepSaver(window, SaverEvent::LoopTurn).actions & StartRun) == 0) return;
  const bool aborted = ComputeLackingFerns();
  StepSaver(window, aborted ? SaverEvent::DialogAbort : SaverEvent::RunEnded);
  // The dialog's thread took the activation; keys must reach the saver again.
  if (!Shell().previewMode && Shell().saver.phase == SaverPhase::Showing) {
    SetForegroundWindow(window);
  }
}

LRESULT CALLBACK ShellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ShellState& shell = Shell();
  const Message m = {window, message, wParam, lParam};
  switch (message) {
    case WM_CREATE:
      return OnCreate(shell, m);
    case WM_DESTROY:
      return OnDestroy(shell, m);
    case WM_SETTEXT:
      return 0;  // the window keeps the title it was created with
    case WM_PAINT:
      return OnPaint(shell, m);
    case WM_ERASEBKGND:
      return OnEraseBackground(m);
    case WM_HELP:
    case WM_CONTEXTMENU:
      return OnHelpOrContextMenu(shell, m);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return OnInput(shell, m);
    case WM_SYSCOMMAND:
      return OnSysCommand(shell, m);
    case WM_TIMER:
      return OnTimer(shell, m);
    case WM_DISPLAYCHANGE:
      return OnDisplayChange(shell, m);
    case FollowDisplaysMessage:
      return OnFollowDisplays(shell, m);
    default:
      return Forward(m);
  }
}

}  // namespace morv
