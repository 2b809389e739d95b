// libFuzzer target: the saver's command line as Windows hands it over, cut at
// the program name and read by the switch grammar, with single-byte and
// double-byte stepping, for both platform families.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "command_line.h"

namespace {

// A double-byte code page: 0x81..0xFE leads a pair, unless the text ends there.
const char* StepLeadBytePairs(const char* p) {
  if (*p == '\0') return p;
  const unsigned char b = static_cast<unsigned char>(*p);
  if (b >= 0x81 && b <= 0xFE && p[1] != '\0') return p + 2;
  return p + 1;
}

void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exactly the input's bytes plus the terminator, so ASan sees any read past it.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  const char* line = text.data();
  const char* end = line + std::strlen(line);

  for (morv::CharStepFn step : {morv::StepOneByte, StepLeadBytePairs}) {
    const char* tail = morv::ExtractCommandTail(line, step);
    Require(tail >= line && tail <= end);
    Require(tail == end || static_cast<unsigned char>(*tail) > 0x20);
    for (bool onWin9x : {false, true}) {
      const morv::ModeDecision decision = morv::DecideMode(tail, onWin9x);
      if (!decision.runs) continue;
      const bool takesHandle = decision.mode == morv::SaverMode::Preview ||
                               decision.mode == morv::SaverMode::ChangePassword;
      Require(onWin9x || decision.mode != morv::SaverMode::ChangePassword);
      Require(takesHandle == (decision.handleText != nullptr));
      Require(decision.owner == 0 || decision.ownerFallsBack);
      if (takesHandle) {
        Require(decision.handleText > tail && decision.handleText <= end);
        morv::ParseWindowHandle(decision.handleText);
      }
    }
  }
  morv::ParseWindowHandle(line);
  return 0;
}
