// libFuzzer target: morvessantique-tool's command line. The input is split at
// each newline into the arguments after the program name (fuzz_argv.h).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_argv.h"
#include "tool_args.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

bool IsAnimation(morv::ToolCommand command) {
  return command == morv::ToolCommand::Trace || command == morv::ToolCommand::Png;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzArgv args("tool", data, size);

  for (bool pngAvailable : {false, true}) {
    morv::ToolArgs parsed;
    const char* error = morv::ParseToolArgs(args.argc(), args.argv(), pngAvailable, &parsed);
    if (error != nullptr) {
      Require(parsed.command == morv::ToolCommand::Help && parsed.out == nullptr &&
              parsed.width == 0);
      continue;
    }
    Require(pngAvailable || parsed.command != morv::ToolCommand::Png);
    Require((parsed.command == morv::ToolCommand::Png) == (parsed.out != nullptr));
    if (parsed.out != nullptr) Require(parsed.out[0] != '\0');
    if (parsed.command == morv::ToolCommand::Help || parsed.command == morv::ToolCommand::Version) {
      Require(parsed.width == 0 && parsed.out == nullptr);
      continue;
    }
    Require(parsed.width >= 1 && parsed.width <= morv::MaxDimension);
    Require(parsed.height >= 1 && parsed.height <= morv::MaxDimension);
    Require(IsAnimation(parsed.command) || (parsed.ticks == 0 && !parsed.fast));
    Require(parsed.ticks >= 0 && parsed.ticks <= morv::MaxTicks);
    // The size written back in its plain form reads as the same size.
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", parsed.width, parsed.height);
    int width = 0;
    int height = 0;
    Require(morv::ParseSize(size, &width, &height) && width == parsed.width &&
            height == parsed.height);
  }
  return 0;
}
