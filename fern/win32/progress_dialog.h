// The progress dialog that runs beside the precomputation: its own thread, its
// input handling (abort by mouse or Escape on a full-size window), and the run
// that keeps the computing thread and the dialog thread in step.
#pragma once

#include <windows.h>

#include <atomic>

#include "precompute.h"

namespace morv {

// Windows narrower than this (the preview) get neither the abort nor the hold.
constexpr int FullSizeMinWidth = 320;
// How long the finished dialog stays up after a complete run.
constexpr DWORD ProgressHoldMs = 1500;
// Bound on waiting for the dialog thread to open its dialog, and to end after it.
constexpr DWORD ProgressDialogWaitMs = 5000;

// Where the before-level message and Escape put the cursor to turn movement into an abort: a
// point on the dialog, which is centred on the screen.
enum class ProgressRecentre {
  WindowMiddle,  // the middle of the window the run is for: a window over one whole screen
  DialogMiddle,  // the dialog's own middle: a window over several monitors
};

// Sent to the dialog before each depth level. WM_USER would not do: a dialog
// answers WM_USER (DM_GETDEFID) itself.
constexpr UINT BeforeLevelMessage = WM_APP + 1;

// One run's dialog: what the computing thread and the dialog thread share.
// Each run has its own, so a dialog thread that outlives the wait for it
// writes only into its own run's. Each of the two threads holds a reference,
// and the last to let go frees it (with its event).
struct ProgressDialogState {
  std::atomic<LONG> references;
  // The open dialog: stored at WM_INITDIALOG, null again once the dialog is gone.
  std::atomic<HWND> window;
  // Where the cursor was as the dialog opened, or after the displays changed;
  // dialog thread only.
  POINT startCursor;
  bool startCursorKnown;
  // Where the before-level message and Escape put the cursor; set as the
  // dialog opens, and by the dialog thread when the displays change.
  ProgressRecentre recentre;
  POINT recentrePoint;
  // Signalled once `window` is stored, or once the dialog could not be made.
  HANDLE ready;
  // The run is over: a dialog that opens only now ends itself at once.
  std::atomic<bool> finished;
  int clientWidth;
  int clientHeight;
};

// A new run's dialog state, with one reference (the caller's); null when
// there is no memory or no event for it.
ProgressDialogState* NewProgressDialogState(int clientWidth, int clientHeight,
                                            ProgressRecentre recentre);
void AddProgressDialogReference(ProgressDialogState* dialog);
void ReleaseProgressDialogState(ProgressDialogState* dialog);

// The dialog open now, of whichever run; null when none. For watching from
// another thread (tests).
HWND ShownProgressDialog();
void ResetShownProgressDialog();

// Dialog creation, the one call tests make fail; DialogBoxParamA by default.
struct ProgressDialogCalls {
  decltype(&::DialogBoxParamA) dialogBoxParam;
};
ProgressDialogCalls& ProgressDialogPlatform();
void ResetProgressDialogPlatform(ProgressDialogCalls& calls);

// The dialog thread: runs dialog IDD_PROGRESS modally, without an owner, for
// the run whose state it is given; it lets go of its reference as it ends.
DWORD WINAPI ProgressDialogThread(LPVOID state);
// Returns FALSE for every message, WM_INITDIALOG included.
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Reaches the run's dialog while it is open: BeforeLevelMessage before each
// level, the progress lines into controls 1000 and 1001. Does nothing while no
// dialog is open.
ProgressPort DialogProgressPort(ProgressDialogState& dialog);

// The computation the dialog stands beside, reporting through `port`.
struct DialogComputation {
  void* context;
  PrecomputeResult (*run)(void* context, const ProgressPort& port);
};

// Shows the dialog on its own thread, runs `computation` on this thread, holds
// the finished dialog on a full-size window after a complete run, then closes
// it. Returns when the dialog is gone (or after ProgressDialogWaitMs if its
// thread does not end).
PrecomputeResult RunWithProgressDialog(int clientWidth, int clientHeight,
                                       const DialogComputation& computation,
                                       ProgressRecentre recentre = ProgressRecentre::WindowMiddle);

}  // namespace morv
