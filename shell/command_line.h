// The saver's command line: cutting off the program name and reading the
// screen-saver switch. Pure byte logic, no platform calls, so that every case
// can be run anywhere; the Windows entry acts on the decision it returns.
#pragma once

#include <cstdint>

namespace morv {

// Steps from one character to the next. The Windows entry passes a wrapper
// around CharNextA so that multi-byte program names are stepped over whole.
using CharStepFn = const char* (*)(const char* position);

// One byte per character: the step for single-byte text (and the host tests).
const char* StepOneByte(const char* position);

// The part of `commandLine` after the program name and the blanks that follow
// it. A quoted name may hold spaces; a name whose quote is never closed
// swallows the whole line, which leaves an empty tail.
const char* ExtractCommandTail(const char* commandLine, CharStepFn step);

// Decimal digits from `text` on, in unsigned 32-bit arithmetic that wraps
// modulo 2^32. Stops at the first byte that is not '0'..'9' (leading spaces
// included); no digit at all gives 0.
std::uint32_t ParseWindowHandle(const char* text);

enum class SaverMode { Configure, Preview, FullScreen, ChangePassword };

// What the switch asks for. When `runs` is false the command line is unusable:
// nothing is run and the exit code is -1.
struct ModeDecision {
  bool runs;
  SaverMode mode;
  // Preview and ChangePassword: the text that starts at the handle digits.
  const char* handleText;
  // Configure: the owner handle value given as "c:<digits>", 0 for none.
  std::uint32_t owner;
  // Configure: true for the 'c' switch, whose missing or dead owner is
  // replaced by the foreground window; false for an empty command tail,
  // which opens the dialog without an owner.
  bool ownerFallsBack;
};

// Reads the switch at the start of `tail`. Separators are ' ', '-' and '/'
// (tabs are not); the first other byte decides, letters in either case.
// 'a' (change password) is accepted only on the Windows 9x family.
ModeDecision DecideMode(const char* tail, bool onWin9x);

}  // namespace morv
