// Prints the vertical and horizontal chains for each size given as WxH, in the
// tool's dump format, or with --digest one line per size (the records' digest);
// built against differently compiled fern libraries so their outputs can be
// compared.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "fern_digest.h"
#include "precompute.h"
#include "segment_store.h"

int main(int argc, char** argv) {
  const bool digest = argc > 1 && std::strcmp(argv[1], "--digest") == 0;
  for (int i = digest ? 2 : 1; i < argc; ++i) {
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[i], "%dx%d", &width, &height) != 2) return 2;
    morv::FernStore& store = morv::Store();
    const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
    morv::PrecomputeFerns(store, width, height, quiet, morv::Progress());
    if (digest) {
      std::printf("%dx%d %" PRId64 " %" PRId64 " %016" PRIx64 "\n", width, height,
                  morv::ChainLength(store.vertical[0]), morv::ChainLength(store.horizontal[0]),
                  morv::testing::FernDigest(store));
    } else {
      for (const auto* head : {store.vertical[0], store.horizontal[0]}) {
        for (const morv::Segment* s = head; s != nullptr; s = s->next) {
          std::printf("%c %d %d %d %d %d %d\n", head == store.vertical[0] ? 'V' : 'H', s->depth,
                      s->startX, s->startY, s->endX, s->endY, s->tipFraction);
        }
      }
    }
    morv::FreeFerns(store);
  }
  return 0;
}
