// libFuzzer target: morvessantique-tool's command line. The input is split at
// each newline into the arguments after the program name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      words.emplace_back();
    } else {
      words.back().push_back(static_cast<char>(data[i]));
    }
  }
  // Each argument its own allocation, so ASan sees a read past any of them.
  std::vector<std::vector<char>> storage;
  storage.push_back({'t', 'o', 'o', 'l', '\0'});
  for (const std::string& word : words) {
    storage.emplace_back(word.begin(), word.end());
    storage.back().push_back('\0');
  }
  std::vector<const char*> argv;
  for (const std::vector<char>& arg : storage) argv.push_back(arg.data());
  const int argc = static_cast<int>(argv.size());

  for (bool pngAvailable : {false, true}) {
    morv::ToolArgs args;
    const char* error = morv::ParseToolArgs(argc, argv.data(), pngAvailable, &args);
    if (error != nullptr) {
      Require(args.command == morv::ToolCommand::Help && args.out == nullptr && args.width == 0);
      continue;
    }
    Require(pngAvailable || args.command != morv::ToolCommand::Png);
    Require((args.command == morv::ToolCommand::Png) == (args.out != nullptr));
    if (args.out != nullptr) Require(args.out[0] != '\0');
    if (args.command == morv::ToolCommand::Help) continue;
    Require(args.width >= 1 && args.width <= morv::MaxDimension);
    Require(args.height >= 1 && args.height <= morv::MaxDimension);
    Require(IsAnimation(args.command) || (args.ticks == 0 && !args.fast));
    Require(args.ticks >= 0 && args.ticks <= morv::MaxTicks);
    // The size written back in its plain form reads as the same size.
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", args.width, args.height);
    int width = 0;
    int height = 0;
    Require(morv::ParseSize(size, &width, &height) && width == args.width &&
            height == args.height);
  }
  return 0;
}
