#include "close_policy.h"

#include "fern_saver_proc.h"
#include "password_hooks.h"
#include "saver_window.h"
#include "shell_state.h"

namespace morv {
namespace {

struct Message {
  HWND window;
  UINT id;
  WPARAM wParam;
  LPARAM lParam;
};

// Stage 1's outcome: either its own answer or "let stage 2 take the message".
// (No result value can serve as the marker: a hook may answer any number.)
struct Answer {
  bool given;
  LRESULT result;
};
constexpr Answer NotAnswered = {false, 0};
constexpr Answer Answered(LRESULT result) { return Answer{true, result}; }

// Input and power events ask for a close through the table: not during the
// run (its dialog has the input), the prompt, or once closing.
void RequestClose(HWND window, SaverEvent event) { StepSaver(window, event); }

std::uint32_t Distance(LONG from, LONG to) {
  const std::int64_t d = static_cast<std::int64_t>(to) - static_cast<std::int64_t>(from);
  return static_cast<std::uint32_t>(d < 0 ? -d : d);  // at most 2^32 - 1
}

// A refused close: the mouse must travel past the threshold again from here.
void RefreshCursorReference(ShellState& shell) {
  POINT now;
  if (GetCursorPos(&now)) shell.cursorReference = now;
}

// NotAnswered lets DefWindowProcA destroy the window. Only the 9x family asks
// the password hook. A prompt refused after a new colour depth stands for that
// depth: it is not asked about again. A new depth's close that the debounce
// held back is queued again by the tick, and asked then.
Answer OnClose(ShellState& shell, const Message& m) {
  if (shell.closeApproved != 0) return NotAnswered;
  shell.closePending = false;  // this is the close that was wanted
  const SaverStep step = StepSaver(m.window, SaverEvent::Close);
  if ((step.actions & CloseWindow) != 0) return NotAnswered;
  if ((step.actions & AskPassword) == 0) return Answered(0);
  bool asked = true;
  if (!shell.onWin9x || VerifyBeforeClose(m.window, &asked) != 0) {
    StepSaver(m.window, SaverEvent::Accepted);
    return NotAnswered;
  }
  const int surface = SurfaceBitsPerPixel();
  const int depth = shell.displayBitsPerPixel;
  if (depth != 0 && surface != 0 && depth != surface && depth != shell.refusedBitsPerPixel) {
    if (asked) {
      shell.refusedBitsPerPixel = depth;
    } else {
      shell.closePending = true;
    }
  }
  StepSaver(m.window, SaverEvent::Refused);
  RefreshCursorReference(shell);
  return Answered(0);
}

Answer OnVerifyRequest(ShellState& shell, const Message& m) {
  if (!shell.onWin9x) return NotAnswered;
  if (shell.verifyPassword == nullptr) return Answered(1);
  return Answered(shell.verifyPassword(m.window));
}

void OnMouseMove(ShellState& shell, const Message& m) {
  // The message's own coordinates are client-relative and may be synthesised;
  // the real cursor position is what counts.
  POINT now;
  if (!GetCursorPos(&now)) return;
  if (CursorTravel(shell.cursorReference, now) > static_cast<std::uint32_t>(CloseMoveThreshold)) {
    RequestClose(m.window, SaverEvent::Input);
    shell.cursorReference = now;
  }
}

// Input, activation and power rules of a watching full-screen saver.
Answer ApplyInputRules(ShellState& shell, const Message& m) {
  switch (m.id) {
    case WM_SHOWWINDOW:
      if (m.wParam != 0) SetCursor(nullptr);
      break;
    case WM_ACTIVATEAPP:
      if (m.wParam == 0) RequestClose(m.window, SaverEvent::Input);
      break;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return Answered(1);
    case WM_POWER:
      if (m.wParam == PWR_CRITICALRESUME) RequestClose(m.window, SaverEvent::Power);
      break;
    case WM_POWERBROADCAST:
      RequestClose(m.window, SaverEvent::Power);
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(shell, m);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      RequestClose(m.window, SaverEvent::Input);
      break;
    default:
      break;
  }
  return NotAnswered;
}

// Stage 1: only a watching full-screen saver, before a close has been approved.
// NotAnswered means stage 2 takes the message.
Answer ApplyClosePolicy(ShellState& shell, const Message& m) {
  switch (m.id) {
    case VerifyRequestMessage:
      return OnVerifyRequest(shell, m);
    default:
      // The password hook may pump messages; input must not start a second close.
      if (shell.verifying) return NotAnswered;
      return ApplyInputRules(shell, m);
  }
}

// Stage 2: the AutoPlay query, then the platform's default.
LRESULT AnswerAutoPlayOrDefault(const ShellState& shell, const Message& m) {
  if (shell.autoPlayMessage != 0 && m.id == shell.autoPlayMessage) {
    PostMessageA(m.window, WM_CLOSE, 0, 0);
    // 1 cancels AutoPlay: a password-protected saver must not let a disc start programs.
    return shell.verifyPassword != nullptr ? 1 : 0;
  }
  return DefWindowProcA(m.window, m.id, m.wParam, m.lParam);
}

}  // namespace

std::uint32_t CursorTravel(POINT from, POINT to) {
  const std::uint32_t dx = Distance(from.x, to.x);
  const std::uint32_t travel = dx + Distance(from.y, to.y);
  // Saturate: two half-range distances must not wrap round to a small travel.
  return travel < dx ? 0xFFFFFFFFu : travel;
}

LRESULT ShellDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ShellState& shell = Shell();
  const Message m = {window, message, wParam, lParam};
  if (message == WM_CLOSE) {
    const Answer answer = OnClose(shell, m);
    if (answer.given) return answer.result;
  } else if (!shell.previewMode && shell.closeApproved == 0) {
    const Answer answer = ApplyClosePolicy(shell, m);
    if (answer.given) return answer.result;
  }
  return AnswerAutoPlayOrDefault(shell, m);
}

}  // namespace morv
