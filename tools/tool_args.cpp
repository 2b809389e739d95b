#include "tool_args.h"

#include <cstring>

namespace morv {
namespace {

bool Is(const char* text, const char* word) { return std::strcmp(text, word) == 0; }

// The animation's arguments: WIDTHxHEIGHT TICKS, then --fast and (png) --out FILE.
const char* ParseAnimationArgs(int argc, const char* const* argv, bool wantsOut, ToolArgs* args) {
  if (argc < 4) return "expected WIDTHxHEIGHT and TICKS";
  if (!ParseSize(argv[2], &args->width, &args->height)) {
    return "size must be WIDTHxHEIGHT, each from 1 to 16384";
  }
  if (!ParseTicks(argv[3], &args->ticks)) {
    return "TICKS must be a whole number from 0 to 10000000";
  }
  for (int i = 4; i < argc; ++i) {
    const char* option = argv[i];
    if (Is(option, "--fast") && !args->fast) {
      args->fast = true;
    } else if (Is(option, "--out") && wantsOut && args->out == nullptr) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return "--out needs a FILE";
      args->out = argv[++i];
    } else {
      return "unexpected or repeated argument after TICKS";
    }
  }
  if (wantsOut && args->out == nullptr) return "png needs --out FILE";
  return nullptr;
}

const char* Parse(int argc, const char* const* argv, bool pngAvailable, ToolArgs* args) {
  if (argc < 2) return "missing command";
  const char* command = argv[1];
  if (Is(command, "--help") || Is(command, "-h") || Is(command, "help")) {
    args->command = ToolCommand::Help;
    return nullptr;
  }
  if (Is(command, "trace") || Is(command, "png")) {
    const bool png = Is(command, "png");
    if (png && !pngAvailable) return "png is not available in Windows builds";
    args->command = png ? ToolCommand::Png : ToolCommand::Trace;
    return ParseAnimationArgs(argc, argv, png, args);
  }
  if (!Is(command, "stats") && !Is(command, "dump")) return "unknown command";
  args->command = Is(command, "stats") ? ToolCommand::Stats : ToolCommand::Dump;
  if (argc != 3) return "expected exactly one WIDTHxHEIGHT";
  if (!ParseSize(argv[2], &args->width, &args->height)) {
    return "size must be WIDTHxHEIGHT, each from 1 to 16384";
  }
  return nullptr;
}

}  // namespace

bool ParseSize(const char* text, int* width, int* height) {
  int values[2] = {0, 0};
  const char* p = text;
  for (int i = 0; i < 2; ++i) {
    if (*p < '0' || *p > '9') return false;
    long value = 0;
    while (*p >= '0' && *p <= '9') {
      value = value * 10 + (*p - '0');
      if (value > MaxDimension) return false;
      ++p;
    }
    if (value < 1) return false;
    values[i] = static_cast<int>(value);
    if (i == 0) {
      if (*p != 'x') return false;
      ++p;
    }
  }
  if (*p != '\0') return false;
  *width = values[0];
  *height = values[1];
  return true;
}

bool ParseTicks(const char* text, int* ticks) {
  if (*text == '\0') return false;
  long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
    if (value > MaxTicks) return false;
  }
  *ticks = static_cast<int>(value);
  return true;
}

const char* ParseToolArgs(int argc, const char* const* argv, bool pngAvailable, ToolArgs* args) {
  *args = ToolArgs{ToolCommand::Help, 0, 0, 0, false, nullptr};
  const char* error = Parse(argc, argv, pngAvailable, args);
  if (error != nullptr) *args = ToolArgs{ToolCommand::Help, 0, 0, 0, false, nullptr};
  return error;
}

}  // namespace morv
