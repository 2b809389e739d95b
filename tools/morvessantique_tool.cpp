// morvessantique-tool: looks at the ferns the saver would compute for a screen
// size, without a window. Output is plain text with \n line ends on every platform.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "precompute.h"
#include "segment_store.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr int MaxDimension = 16384;
constexpr int ExitUsage = 2;
constexpr int ExitNoMemory = 1;

const char kUsage[] =
    "usage: morvessantique-tool COMMAND WIDTHxHEIGHT [ARGS]\n"
    "\n"
    "Computes the two ferns the screen saver draws on a window of WIDTH by HEIGHT\n"
    "pixels (each 1 to 16384) and reports on them.\n"
    "\n"
    "commands:\n"
    "  stats WIDTHxHEIGHT   level and segment counts of the vertical and horizontal fern\n"
    "  dump WIDTHxHEIGHT    every segment in chain order, vertical fern first:\n"
    "                       V|H depth startX startY endX endY tipFraction\n"
    "  --help               this text\n";

int UsageError(const char* what) {
  std::fprintf(stderr, "morvessantique-tool: %s (try --help)\n", what);
  return ExitUsage;
}

// Strict WIDTHxHEIGHT: decimal digits only, each side 1..16384.
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

// Computes both ferns into the saver's store; false when memory ran out.
bool Compute(int width, int height, morv::PrecomputeResult* result) {
  morv::FernStore& store = morv::Store();
  const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
  *result = morv::PrecomputeFerns(store, width, height, quiet, morv::Progress());
  if (result->outcome == morv::PrecomputeOutcome::OutOfMemory) {
    morv::FreeFerns(store);
    std::fprintf(stderr, "morvessantique-tool: not enough memory for the ferns of %dx%d\n", width,
                 height);
    return false;
  }
  return true;
}

int Stats(int width, int height) {
  morv::PrecomputeResult result;
  if (!Compute(width, height, &result)) return ExitNoMemory;
  const morv::FernStore& store = morv::Store();
  std::printf("vertical levels %d segments %lld\n", result.verticalLevels,
              static_cast<long long>(morv::ChainLength(store.vertical[0])));
  std::printf("horizontal levels %d segments %lld\n", result.horizontalLevels,
              static_cast<long long>(morv::ChainLength(store.horizontal[0])));
  morv::FreeFerns(morv::Store());
  return 0;
}

int Dump(int width, int height) {
  morv::PrecomputeResult result;
  if (!Compute(width, height, &result)) return ExitNoMemory;
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
  std::fflush(stdout);
  morv::FreeFerns(morv::Store());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // \n stays \n, as on Linux
#endif
  if (argc < 2) return UsageError("missing command");
  const std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command != "stats" && command != "dump") return UsageError("unknown command");
  if (argc != 3) return UsageError("expected exactly one WIDTHxHEIGHT");
  int width = 0;
  int height = 0;
  if (!ParseSize(argv[2], &width, &height)) {
    return UsageError("size must be WIDTHxHEIGHT, each from 1 to 16384");
  }
  return command == "stats" ? Stats(width, height) : Dump(width, height);
}
