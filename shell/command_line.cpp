#include "command_line.h"

namespace morv {
namespace {

unsigned char ByteAt(const char* p) { return static_cast<unsigned char>(*p); }

const char* SkipSpaces(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

bool IsSeparator(unsigned char b) { return b == ' ' || b == '-' || b == '/'; }

unsigned char Lower(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

ModeDecision Rejected() { return ModeDecision{false, SaverMode::Configure, nullptr, 0, false}; }

ModeDecision WithHandleText(SaverMode mode, const char* text) {
  return ModeDecision{true, mode, text, 0, false};
}

}  // namespace

const char* StepOneByte(const char* position) { return *position != '\0' ? position + 1 : position; }

const char* ExtractCommandTail(const char* commandLine, CharStepFn step) {
  const char* p = commandLine;
  if (ByteAt(p) == '"') {
    p = step(p);
    while (ByteAt(p) != 0 && ByteAt(p) != '"') p = step(p);
    if (ByteAt(p) == '"') ++p;
  } else if (ByteAt(p) > 0x20) {
    while (ByteAt(p) > 0x20) p = step(p);
  }
  while (ByteAt(p) != 0 && ByteAt(p) <= 0x20) p = step(p);
  return p;
}

std::uint32_t ParseWindowHandle(const char* text) {
  std::uint32_t value = 0;
  for (const char* p = text; ByteAt(p) >= '0' && ByteAt(p) <= '9'; ++p) {
    value = value * 10u + static_cast<std::uint32_t>(ByteAt(p) - '0');
  }
  return value;
}

ModeDecision DecideMode(const char* tail, bool onWin9x) {
  const char* p = tail;
  while (IsSeparator(ByteAt(p))) ++p;
  const unsigned char letter = ByteAt(p);
  if (letter == 0) return ModeDecision{true, SaverMode::Configure, nullptr, 0, false};
  const char* rest = p + 1;
  switch (Lower(letter)) {
    case 's':
      return ModeDecision{true, SaverMode::FullScreen, nullptr, 0, false};
    case 'p':
    case 'l':
      return WithHandleText(SaverMode::Preview, SkipSpaces(rest));
    case 'c': {
      const std::uint32_t owner = (*rest == ':') ? ParseWindowHandle(rest + 1) : 0;
      return ModeDecision{true, SaverMode::Configure, nullptr, owner, true};
    }
    case 'a':
      if (!onWin9x) return Rejected();
      return WithHandleText(SaverMode::ChangePassword, SkipSpaces(rest));
    default:
      return Rejected();
  }
}

}  // namespace morv
