// Prints the vertical and horizontal chains for each size given as WxH, in the
// tool's dump format, or with --digest one line per size (the records' digest);
// built against differently compiled fern libraries so their outputs can be
// compared. With --recorded it computes the recorded ferns, prints their digest
// lines and fails unless each is the recorded one: the check for builds of the
// engine that run no GoogleTest (i386, WebAssembly).
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "fern_digest.h"
#include "precompute.h"
#include "recorded_ferns.h"
#include "segment_store.h"

namespace {

struct Computed {
  std::int64_t vertical, horizontal;
  std::uint64_t digest;
};

Computed PrintDigest(int width, int height) {
  morv::FernStore& store = morv::Store();
  const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
  morv::PrecomputeFerns(store, width, height, quiet, morv::Progress());
  const Computed c{morv::ChainLength(store.vertical[0]), morv::ChainLength(store.horizontal[0]),
                   morv::testing::FernDigest(store)};
  std::printf("%dx%d %" PRId64 " %" PRId64 " %016" PRIx64 "\n", width, height, c.vertical,
              c.horizontal, c.digest);
  morv::FreeFerns(store);
  return c;
}

int CheckRecorded() {
  int differing = 0;
  for (const auto& fern : morv::testing::RecordedFerns) {
    const Computed c = PrintDigest(fern.width, fern.height);
    if (c.vertical != fern.vertical || c.horizontal != fern.horizontal || c.digest != fern.digest) {
      std::printf("  differs: recorded %" PRId64 " %" PRId64 " %016" PRIx64 "\n", fern.vertical,
                  fern.horizontal, fern.digest);
      ++differing;
    }
  }
  std::printf("%d of %zu sizes differ from the recorded ferns\n", differing,
              sizeof morv::testing::RecordedFerns / sizeof morv::testing::RecordedFerns[0]);
  return differing == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--recorded") == 0) return CheckRecorded();
  const bool digest = argc > 1 && std::strcmp(argv[1], "--digest") == 0;
  for (int i = digest ? 2 : 1; i < argc; ++i) {
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[i], "%dx%d", &width, &height) != 2) return 2;
    if (digest) {
      PrintDigest(width, height);
      continue;
    }
    morv::FernStore& store = morv::Store();
    const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
    morv::PrecomputeFerns(store, width, height, quiet, morv::Progress());
    for (const auto* head : {store.vertical[0], store.horizontal[0]}) {
      for (const morv::Segment* s = head; s != nullptr; s = s->next) {
        std::printf("%c %d %d %d %d %d %d\n", head == store.vertical[0] ? 'V' : 'H', s->depth,
                    s->startX, s->startY, s->endX, s->endY, s->tipFraction);
      }
    }
    morv::FreeFerns(store);
  }
  return 0;
}
