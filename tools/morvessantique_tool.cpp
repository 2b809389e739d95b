// morvessantique-tool: looks at the ferns the saver would compute for a screen
// size, and at how it draws them, without a window. Output is plain text with
// \n line ends on every platform.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "animation.h"
#include "fern_start.h"
#include "precompute.h"
#include "recording_sink.h"
#include "segment_store.h"
#include "tool_args.h"
#include "version.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include "gl_sink.h"
#include "headless_gl.h"
#include "png_file.h"
#endif

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;
constexpr char ProgramName[] = "morvessantique-tool";

// A printf format: the limits come from tool_args.h.
const char UsageFormat[] =
    "usage: morvessantique-tool COMMAND WIDTHxHEIGHT [ARGS]\n"
    "\n"
    "Computes the two ferns the screen saver draws on a window of WIDTH by HEIGHT\n"
    "pixels (each 1 to %d) and reports on them.\n"
    "\n"
    "commands:\n"
    "  stats WIDTHxHEIGHT   level and segment counts of the vertical and horizontal fern\n"
    "  dump WIDTHxHEIGHT    every segment in chain order, vertical fern first:\n"
    "                       V|H depth startX startY endX endY tipFraction\n"
    "  trace WIDTHxHEIGHT TICKS [--fast]\n"
    "                       the drawing operations of the animation's first TICKS\n"
    "                       timer ticks, one per line:\n"
    "                       clear | color R G B | line X1 Y1 X2 Y2 | flush\n"
    "                       (X and Y in device coordinates -1..1, printed with %%.17g);\n"
    "                       the pause ticks and the tick that ends a fern print nothing\n"
    "  png WIDTHxHEIGHT TICKS --out FILE [--fast]\n"
    "                       draws the same ticks with OpenGL on an offscreen surface\n"
    "                       and writes the picture to FILE as an RGB PNG\n"
    "                       (Linux builds only)\n"
    "  --help               this text\n"
    "  --version            the program's name and version\n"
    "\n"
    "TICKS is a whole number from 0 to %d. The animation starts as the saver\n"
    "does: vertical fern first, colour 0 255 0, one depth level per 50 ms tick and a\n"
    "pause of 80 ticks after each fern; --fast (the \"Fast Madness\" setting) ticks\n"
    "every 10 ms, so the pause is 400 ticks.\n"
    "\n"
    "exit status: 0 done, 1 out of memory or the output could not be made,\n"
    "2 bad command line.\n";

int UsageError(const char* what) {
  std::fprintf(stderr, "%s: %s (try --help)\n", ProgramName, what);
  return ExitUsage;
}

int Failure(const char* what, const char* detail) {
  std::fprintf(stderr, "%s: %s: %s\n", ProgramName, what, detail);
  return ExitFailure;
}

// The end of every command that prints: a full disk or a closed pipe must not
// end with 0.
int Written(const char* command) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    return Failure(command, "could not write the output");
  }
  return 0;
}

// False, after saying so and freeing what was computed, when memory ran out.
bool Fitted(const morv::PrecomputeResult& result, int width, int height) {
  if (result.outcome != morv::PrecomputeOutcome::OutOfMemory) return true;
  morv::FreeFerns(morv::Store());
  std::fprintf(stderr, "%s: not enough memory for the ferns of %dx%d\n", ProgramName, width,
               height);
  return false;
}

// Computes both ferns into the saver's store; false when memory ran out.
bool Compute(int width, int height, morv::PrecomputeResult* result) {
  const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
  *result = morv::PrecomputeFerns(morv::Store(), width, height, quiet, morv::Progress());
  return Fitted(*result, width, height);
}

int Stats(int width, int height) {
  morv::PrecomputeResult result;
  if (!Compute(width, height, &result)) return ExitFailure;
  const morv::FernStore& store = morv::Store();
  std::printf("vertical levels %d segments %lld\n", result.verticalLevels,
              static_cast<long long>(morv::ChainLength(store.vertical[0])));
  std::printf("horizontal levels %d segments %lld\n", result.horizontalLevels,
              static_cast<long long>(morv::ChainLength(store.horizontal[0])));
  morv::FreeFerns(morv::Store());
  return Written("stats");
}

int Dump(int width, int height) {
  morv::PrecomputeResult result;
  if (!Compute(width, height, &result)) return ExitFailure;
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  const morv::FernStore& store = morv::Store();
  const struct {
    char tag;
    const morv::Segment* head;
  } ferns[] = {{'V', store.vertical[0]}, {'H', store.horizontal[0]}};
  for (const auto& fern : ferns) {
    for (const morv::Segment* s = fern.head; s != nullptr; s = s->next) {
      std::printf("%c %d %d %d %d %d %d\n", fern.tag, s->depth, s->startX, s->startY, s->endX,
                  s->endY, s->tipFraction);
    }
  }
  morv::FreeFerns(morv::Store());
  return Written("dump");
}

// The saver's start on a freshly created window, drawing into `sink`; false
// when memory ran out.
bool StartFerns(const morv::ToolArgs& args, morv::DrawSink& sink) {
  const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
  const morv::FernStart start{args.width, args.height, args.fast};
  const morv::PrecomputeResult result =
      morv::StartFerns(morv::Store(), morv::Animation(), sink, start, quiet, morv::Progress());
  if (Fitted(result, args.width, args.height)) return true;
  sink.Reserve(0);
  return false;
}

void RunTicks(int ticks, morv::DrawSink& sink) {
  for (int i = 0; i < ticks; ++i) morv::AnimationTick(morv::Animation(), morv::Store(), sink);
}

int Trace(const morv::ToolArgs& args) {
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  morv::PrintingSink sink(stdout);
  if (!StartFerns(args, sink)) return ExitFailure;
  RunTicks(args.ticks, sink);
  morv::FreeFerns(morv::Store());
  return Written("trace");
}

#ifndef _WIN32
int Png(const morv::ToolArgs& args) {
  morv::HeadlessGl gl;
  std::string error;
  if (!morv::CreateHeadlessGl(gl, args.width, args.height, &error)) {
    return Failure("no offscreen OpenGL surface", error.c_str());
  }
  // As the saver draws: whole levels at once, the buffer sized for the largest.
  morv::GlSink sink(morv::GlSink::Batched);
  if (!StartFerns(args, sink)) {
    morv::DestroyHeadlessGl(gl);
    return ExitFailure;
  }
  RunTicks(args.ticks, sink);
  sink.Release();
  morv::FreeFerns(morv::Store());  // before the picture needs its memory
  std::vector<std::uint8_t> rgb;
  try {
    rgb = morv::ReadRgbTopDown(gl);
  } catch (const std::bad_alloc&) {
    morv::DestroyHeadlessGl(gl);
    return Failure(args.out, "not enough memory for the picture");
  }
  morv::DestroyHeadlessGl(gl);
  if (!morv::WritePngRgb(args.out, args.width, args.height, rgb, &error)) {
    return Failure(args.out, error.c_str());
  }
  return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // \n stays \n, as on Linux
  const bool pngAvailable = false;
#else
  const bool pngAvailable = true;
#endif
  morv::ToolArgs args;
  const char* error = morv::ParseToolArgs(argc, argv, pngAvailable, &args);
  if (error != nullptr) return UsageError(error);
  switch (args.command) {
    case morv::ToolCommand::Help:
      std::printf(UsageFormat, morv::MaxDimension, morv::MaxTicks);
      return Written("--help");
    case morv::ToolCommand::Version:
      std::printf("%s %s\n", ProgramName, MORV_VERSION_TEXT);
      return Written("--version");
    case morv::ToolCommand::Stats:
      return Stats(args.width, args.height);
    case morv::ToolCommand::Dump:
      return Dump(args.width, args.height);
#ifndef _WIN32
    case morv::ToolCommand::Png:
      return Png(args);
#endif
    default:  // trace; the parser gives png only where there is offscreen OpenGL
      return Trace(args);
  }
}
