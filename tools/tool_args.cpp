#include "tool_args.h"

#include <charconv>
#include <cstring>
#include <string>

namespace morv {
namespace {

bool Is(const char* text, const char* word) { return std::strcmp(text, word) == 0; }

// A whole number of decimal digits from `text` up to `end`, within 0..max; no
// sign, no spaces. Leaves `text` after the digits.
bool ParseNumber(const char*& text, const char* end, int max, int* value) {
  unsigned number = 0;
  const std::from_chars_result read = std::from_chars(text, end, number);
  if (read.ec != std::errc() || number > static_cast<unsigned>(max)) return false;
  text = read.ptr;
  *value = static_cast<int>(number);
  return true;
}

const char* SizeError() {
  static const std::string text =
      "size must be WIDTHxHEIGHT, each from 1 to " + std::to_string(MaxDimension);
  return text.c_str();
}

const char* TicksError() {
  static const std::string text =
      "TICKS must be a whole number from 0 to " + std::to_string(MaxTicks);
  return text.c_str();
}

// The animation's arguments: WIDTHxHEIGHT TICKS, then --fast and (png) --out FILE.
const char* ParseAnimationArgs(int argc, const char* const* argv, bool wantsOut, ToolArgs* args) {
  if (argc < 4) return "expected WIDTHxHEIGHT and TICKS";
  if (!ParseSize(argv[2], &args->width, &args->height)) return SizeError();
  if (!ParseTicks(argv[3], &args->ticks)) return TicksError();
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
  if (Is(command, "--version")) {
    args->command = ToolCommand::Version;
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
  if (!ParseSize(argv[2], &args->width, &args->height)) return SizeError();
  return nullptr;
}

}  // namespace

bool ParseSize(const char* text, int* width, int* height) {
  const char* end = text + std::strlen(text);
  const char* p = text;
  int w = 0;
  int h = 0;
  if (!ParseNumber(p, end, MaxDimension, &w) || *p != 'x') return false;
  ++p;
  if (!ParseNumber(p, end, MaxDimension, &h) || p != end || w < 1 || h < 1) return false;
  *width = w;
  *height = h;
  return true;
}

bool ParseTicks(const char* text, int* ticks) {
  const char* end = text + std::strlen(text);
  const char* p = text;
  int value = 0;
  if (!ParseNumber(p, end, MaxTicks, &value) || p != end) return false;
  *ticks = value;
  return true;
}

const char* ParseToolArgs(int argc, const char* const* argv, bool pngAvailable, ToolArgs* args) {
  *args = ToolArgs{ToolCommand::Help, 0, 0, 0, false, nullptr};
  const char* error = Parse(argc, argv, pngAvailable, args);
  if (error != nullptr) *args = ToolArgs{ToolCommand::Help, 0, 0, 0, false, nullptr};
  return error;
}

}  // namespace morv
