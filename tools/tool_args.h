// The command line of morvessantique-tool, read without doing any of the work,
// so that it can be checked (and fuzzed) on its own.
#pragma once

namespace morv {

// Sizes are 1..MaxDimension pixels on each side.
constexpr int MaxDimension = 16384;
// About 55 hours of the saver at 50 ms a tick; keeps the count an int.
constexpr int MaxTicks = 10000000;

enum class ToolCommand { Help, Version, Stats, Dump, Trace, Png };

struct ToolArgs {
  ToolCommand command;
  int width;
  int height;
  int ticks;        // trace and png
  bool fast;        // trace and png
  const char* out;  // png: an argument of argv, never empty
};

// Strict WIDTHxHEIGHT: decimal digits only, each side 1..MaxDimension.
bool ParseSize(const char* text, int* width, int* height);

// Strict TICKS: decimal digits only (no sign, no spaces), 0..MaxTicks.
bool ParseTicks(const char* text, int* ticks);

// Reads argv[1..argc-1]. Returns nullptr when they are good, else the one-line
// reason for the usage error; `args` is filled in either case (zeros on error).
// `pngAvailable` is false in builds without offscreen OpenGL.
const char* ParseToolArgs(int argc, const char* const* argv, bool pngAvailable, ToolArgs* args);

}  // namespace morv
