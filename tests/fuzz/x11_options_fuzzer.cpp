// libFuzzer target: the Linux display mode's command line. The input is split at
// each newline into the arguments after the program name (fuzz_argv.h).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_argv.h"
#include "options.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzArgv args("morvessantique", data, size);
  morv::X11Options options;
  char error[morv::X11ErrorTextChars];
  std::memset(error, 'x', sizeof error);
  if (!morv::ParseX11Options(args.argc(), args.argv(), &options, error)) {
    // One line of text, inside its buffer.
    const std::size_t length = std::strlen(error);
    Require(length > 0 && length < sizeof error && std::strchr(error, '\n') == nullptr);
    return 0;
  }
  Require(error[0] == '\0');
  if (options.target == morv::X11Target::WindowId) {
    // The id written back in both spellings reads as the same id.
    Require(options.windowId >= 1 && options.windowId <= 0xFFFFFFFFul);
    char text[24];
    for (const char* format : {"%lu", "0x%lx"}) {
      std::snprintf(text, sizeof text, format, options.windowId);
      unsigned long id = 0;
      Require(morv::ParseWindowId(text, &id) && id == options.windowId);
    }
  }
  return 0;
}
