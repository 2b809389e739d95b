#include "progress_dialog.h"

#include <new>

#include "resource_ids.h"

namespace morv {
namespace {

ProgressDialogCalls g_calls{&::DialogBoxParamA};
std::atomic<HWND> g_shown{nullptr};

// The dialog window while one is up (stored by WM_INITDIALOG), else null.
HWND ShownDialogWindow(ProgressDialogState& dialog) { return dialog.window.load(); }

// The run a dialog belongs to, given at WM_INITDIALOG.
ProgressDialogState* RunOf(HWND window) {
  return reinterpret_cast<ProgressDialogState*>(GetWindowLongPtrA(window, DWLP_USER));
}

// Where the before-level message and Escape put the cursor: the middle of a full-screen saver,
// which is where the centred dialog sits; over several monitors, the dialog's
// own middle.
void MoveCursorToCentre(const ProgressDialogState& dialog) {
  SetCursorPos(dialog.recentrePoint.x, dialog.recentrePoint.y);
}

POINT RecentrePoint(const ProgressDialogState& dialog, HWND window) {
  RECT box;
  if (dialog.recentre == ProgressRecentre::DialogMiddle && GetWindowRect(window, &box)) {
    return POINT{box.left + (box.right - box.left) / 2, box.top + (box.bottom - box.top) / 2};
  }
  return POINT{dialog.clientWidth / 2, dialog.clientHeight / 2};
}

bool CursorMoved(const ProgressDialogState& dialog) {
  POINT now;
  if (!dialog.startCursorKnown || !GetCursorPos(&now)) return false;
  return now.x != dialog.startCursor.x || now.y != dialog.startCursor.y;
}

void OnInitDialog(HWND window, LPARAM state) {
  SetWindowLongPtrA(window, DWLP_USER, state);
  ProgressDialogState& dialog = *reinterpret_cast<ProgressDialogState*>(state);
  dialog.startCursorKnown = GetCursorPos(&dialog.startCursor) != FALSE;
  dialog.recentrePoint = RecentrePoint(dialog, window);
  dialog.window.store(window);
  g_shown.store(window);
  SetEvent(dialog.ready);
  // The run may have ended without waiting for us (the dialog took too long to
  // open): nobody else would close this dialog, so it closes itself.
  if (dialog.finished.load()) EndDialog(window, 1);
}

// The abort flag is every run's: a dialog that outlives its run leaves it alone.
void OnMouseMove(const ProgressDialogState& dialog) {
  if (dialog.clientWidth < FullSizeMinWidth || dialog.finished.load()) return;
  if (CursorMoved(dialog)) Progress().abortFlag.store(1, std::memory_order_release);
}

// The screen changed under the run (the change itself waits for its end):
// the dialog goes to the middle of the new primary screen, which starts at
// (0, 0) and has the size the message gives; the cursor's new place, which
// the change may have forced, is not the user's movement; and the point that
// turns movement into an abort is now the dialog's own middle, since the old
// window's middle may lie off the dialog, or off the screen.
void OnDisplayChange(ProgressDialogState& dialog, HWND window, LPARAM size) {
  RECT box;
  const int width = LOWORD(size);
  const int height = HIWORD(size);
  if (width > 0 && height > 0 && GetWindowRect(window, &box)) {
    SetWindowPos(window, nullptr, (width - (box.right - box.left)) / 2,
                 (height - (box.bottom - box.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  dialog.startCursorKnown = GetCursorPos(&dialog.startCursor) != FALSE;
  dialog.recentre = ProgressRecentre::DialogMiddle;
  dialog.recentrePoint = RecentrePoint(dialog, window);
}

// Sent before each depth level: turns movement anywhere, or Escape, into a
// move onto the dialog, whose WM_MOUSEMOVE then raises the abort.
void OnBeforeLevel(const ProgressDialogState& dialog) {
  if (dialog.clientWidth < FullSizeMinWidth) return;
  if (CursorMoved(dialog)) MoveCursorToCentre(dialog);
  if (GetAsyncKeyState(VK_ESCAPE) != 0) MoveCursorToCentre(dialog);
}

void SendBeforeLevel(void* context) {
  const HWND window = ShownDialogWindow(*static_cast<ProgressDialogState*>(context));
  if (window != nullptr) SendMessageA(window, BeforeLevelMessage, 0, 0);
}

void SetStatusText(void* context, int controlId, const char* text) {
  const HWND window = ShownDialogWindow(*static_cast<ProgressDialogState*>(context));
  if (window != nullptr) SetDlgItemTextA(window, controlId, text);
}

// Waits for `object` (none: the whole time) while still answering messages
// that other threads send to this thread's windows, so that a dialog thread
// which sends to the saver window while it opens or closes cannot stall on us.
// Posted messages stay queued.
bool WaitAnsweringSentMessages(HANDLE object, DWORD timeoutMs) {
  const DWORD count = object != nullptr ? 1 : 0;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) {
      return count != 0 && WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
    }
    const DWORD result =
        MsgWaitForMultipleObjects(count, &object, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
    if (count != 0 && result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + count) return false;  // timed out or failed
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Starts the dialog thread for `dialog` and waits until its dialog is open or
// has failed. Returns the thread (null when it could not be started).
HANDLE OpenProgressDialog(ProgressDialogState& dialog) {
  AddProgressDialogReference(&dialog);  // the dialog thread's
  DWORD threadId = 0;
  const HANDLE thread = CreateThread(nullptr, 0, ProgressDialogThread, &dialog, 0, &threadId);
  if (thread == nullptr) {
    ReleaseProgressDialogState(&dialog);
    return nullptr;
  }
  // Past the bound the run goes on without the dialog; should it open later,
  // the port starts reaching it then, and it still closes at the end.
  if (WaitAnsweringSentMessages(dialog.ready, ProgressDialogWaitMs)) {
    const HWND window = ShownDialogWindow(dialog);
    if (window != nullptr) {
      EnableWindow(window, TRUE);
      SetFocus(window);
    }
  }
  return thread;
}

// The finished dialog's hold, answering sent messages: one that aborts (a new
// colour depth, a power event) ends it at once.
void HoldFinishedDialog(const ProgressState& progress) {
  constexpr DWORD SliceMs = 50;
  for (DWORD held = 0; held < ProgressHoldMs; held += SliceMs) {
    if (progress.abortFlag.load(std::memory_order_acquire) != 0) return;
    WaitAnsweringSentMessages(nullptr, SliceMs);
  }
}

void CloseProgressDialog(ProgressDialogState& dialog, HANDLE thread) {
  if (thread == nullptr) return;
  // `finished` before reading the window, and the dialog stores its window
  // before reading `finished`: one of the two sides always ends the dialog.
  dialog.finished.store(true);
  const HWND window = ShownDialogWindow(dialog);
  if (window != nullptr) EndDialog(window, 1);
  // A thread that outlives the bound keeps its own reference to this run's
  // state, and frees it as it ends.
  WaitAnsweringSentMessages(thread, ProgressDialogWaitMs);
  CloseHandle(thread);
}

}  // namespace

ProgressDialogState* NewProgressDialogState(int clientWidth, int clientHeight,
                                            ProgressRecentre recentre) {
  const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (ready == nullptr) return nullptr;
  auto* dialog = new (std::nothrow) ProgressDialogState{};
  if (dialog == nullptr) {
    CloseHandle(ready);
    return nullptr;
  }
  dialog->references.store(1);
  dialog->recentre = recentre;
  dialog->recentrePoint = POINT{clientWidth / 2, clientHeight / 2};
  dialog->ready = ready;
  dialog->clientWidth = clientWidth;
  dialog->clientHeight = clientHeight;
  return dialog;
}

void AddProgressDialogReference(ProgressDialogState* dialog) { dialog->references.fetch_add(1); }

void ReleaseProgressDialogState(ProgressDialogState* dialog) {
  if (dialog == nullptr || dialog->references.fetch_sub(1) != 1) return;
  CloseHandle(dialog->ready);
  delete dialog;
}

HWND ShownProgressDialog() { return g_shown.load(); }

void ResetShownProgressDialog() { g_shown.store(nullptr); }

ProgressDialogCalls& ProgressDialogPlatform() { return g_calls; }

void ResetProgressDialogPlatform(ProgressDialogCalls& calls) {
  calls.dialogBoxParam = &::DialogBoxParamA;
}

DWORD WINAPI ProgressDialogThread(LPVOID state) {
  auto* dialog = static_cast<ProgressDialogState*>(state);
  ProgressDialogPlatform().dialogBoxParam(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS),
                                          nullptr, ProgressDialogProc,
                                          reinterpret_cast<LPARAM>(dialog));
  // Ended, or never made: either way there is no dialog to reach any more, and
  // a computing thread still waiting for it must go on.
  HWND window = dialog->window.exchange(nullptr);
  if (window != nullptr) g_shown.compare_exchange_strong(window, nullptr);
  SetEvent(dialog->ready);
  ReleaseProgressDialogState(dialog);
  return 0;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    OnInitDialog(dialog, lParam);
    return FALSE;
  }
  ProgressDialogState* run = RunOf(dialog);
  if (run == nullptr) return FALSE;  // messages before WM_INITDIALOG
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(*run);
      break;
    case BeforeLevelMessage:
      OnBeforeLevel(*run);
      break;
    case WM_DISPLAYCHANGE:
      OnDisplayChange(*run, dialog, lParam);
      break;
    default:
      break;
  }
  return FALSE;
}

ProgressPort DialogProgressPort(ProgressDialogState& dialog) {
  return ProgressPort{&dialog, SendBeforeLevel, SetStatusText};
}

PrecomputeResult RunWithProgressDialog(int clientWidth, int clientHeight,
                                       const DialogComputation& computation,
                                       ProgressRecentre recentre) {
  ProgressState& progress = Progress();
  ProgressDialogState* dialog = NewProgressDialogState(clientWidth, clientHeight, recentre);
  if (dialog == nullptr) {  // no way to meet a dialog: run without one
    return computation.run(computation.context, ProgressPort{nullptr, nullptr, nullptr});
  }
  const HANDLE thread = OpenProgressDialog(*dialog);
  const PrecomputeResult result = computation.run(computation.context, DialogProgressPort(*dialog));
  if (result.outcome == PrecomputeOutcome::Completed &&
      progress.abortFlag.load(std::memory_order_acquire) == 0 && clientWidth >= FullSizeMinWidth) {
    HoldFinishedDialog(progress);
  }
  CloseProgressDialog(*dialog, thread);
  ReleaseProgressDialogState(dialog);
  return result;
}

}  // namespace morv
