#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include <GL/gl.h>

#include "animation.h"
#include "fern_fixture.h"
#include "gl_sink.h"
#include "headless_gl.h"
#include "level_stats.h"

namespace morv {
namespace {

using Picture = std::vector<std::uint8_t>;  // RGB, top row first

// Counts the sink's buffer allocations; can be told to fail them.
struct CountingLineBuffers {
  static inline int made = 0;
  static inline int live = 0;
  static inline bool fail = false;
  static void* Allocate(std::size_t bytes) {
    if (fail) return nullptr;
    ++made;
    ++live;
    return std::malloc(bytes);
  }
  static void Release(void* block) {
    --live;
    std::free(block);
  }
  static void Reset(bool failAll = false) {
    made = 0;
    live = 0;
    fail = failAll;
  }
  static LineBufferAllocator Get() { return {Allocate, Release}; }
};

// A 64-bit digest of a picture: equal pictures, equal digests; a difference
// shows (but for a chance of one in 2^64).
std::uint64_t Digest(const Picture& p) {
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(p.data()), p.size()));
}

// "" when equal, else how many pixels differ and where the first one is.
std::string Difference(const Picture& a, const Picture& b, int width) {
  if (a.size() != b.size()) return "pictures of different sizes";
  std::size_t differing = 0;
  std::size_t first = 0;
  for (std::size_t i = 0; i < a.size(); i += 3) {
    if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) {
      if (differing++ == 0) first = i / 3;
    }
  }
  if (differing == 0) return "";
  return std::to_string(differing) + " pixels differ, the first at (" +
         std::to_string(first % width) + ", " + std::to_string(first / width) + ")";
}

// Both ferns computed for one window size.
struct Ferns {
  int width, height;
  FernStore store;
  PrecomputeResult result;
};

// What one saver cycle put on the surface: a hash of the picture after every
// drawing tick, and the whole picture where each fern is complete.
struct Cycle {
  std::vector<std::uint64_t> afterDrawingTick;
  std::vector<Picture> finishedFerns;
};

class GlBatchTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    for (auto& [size, ferns] : ferns_) FreeFerns(ferns->store);
    ferns_.clear();
  }
  void SetUp() override { CountingLineBuffers::Reset(); }

  static const Ferns& FernsFor(int width, int height) {
    auto& slot = ferns_[{width, height}];
    if (!slot) {
      slot = std::make_unique<Ferns>();
      slot->width = width;
      slot->height = height;
      ResetFernStore(slot->store);
      testing::ProgressRecorder recorder;
      slot->result = PrecomputeFerns(slot->store, width, height, recorder.Port(), recorder.state);
    }
    return *slot;
  }

  // The saver from its first tick through both ferns and both pauses to the
  // first level of the next vertical fern, at 50 ms ticks, on a fresh surface.
  static Cycle DrawCycle(const Ferns& ferns, GlSink& sink) {
    Cycle cycle;
    HeadlessGl gl{};
    std::string error;
    if (!CreateHeadlessGl(gl, ferns.width, ferns.height, &error)) {
      ADD_FAILURE() << error;
      return cycle;
    }
    AnimationState state;
    ResetAnimation(state);
    StartAnimation(state, ferns.width, ferns.height, false);
    ApplyPrecomputeResult(state, ferns.result);
    const int pause = -PauseCounterStart(NormalTickMs);
    const int ticks = GrowthPhases * (ferns.result.verticalLevels + ferns.result.horizontalLevels) +
                      2 * (1 + pause) + 1;
    for (int i = 0; i < ticks; ++i) {
      const TickKind kind = AnimationTick(state, ferns.store, sink);
      if (kind == TickKind::Drawing) cycle.afterDrawingTick.push_back(Digest(ReadRgbTopDown(gl)));
      if (kind == TickKind::EndOfFern) cycle.finishedFerns.push_back(ReadRgbTopDown(gl));
    }
    DestroyHeadlessGl(gl);
    return cycle;
  }

  static void ExpectSamePictures(const Cycle& expected, const Cycle& actual, int width) {
    ASSERT_EQ(actual.afterDrawingTick.size(), expected.afterDrawingTick.size());
    for (std::size_t i = 0; i < expected.afterDrawingTick.size(); ++i) {
      ASSERT_EQ(actual.afterDrawingTick[i], expected.afterDrawingTick[i])
          << "the pictures differ after drawing tick " << i;
    }
    ASSERT_EQ(actual.finishedFerns.size(), 2u);
    ASSERT_EQ(expected.finishedFerns.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(Difference(expected.finishedFerns[i], actual.finishedFerns[i], width), "")
          << (i == 0 ? "vertical" : "horizontal") << " fern";
    }
  }

  static Cycle PerSegmentCycle(const Ferns& ferns) {
    GlSink sink(GlSink::PerSegment);
    return DrawCycle(ferns, sink);
  }

  static inline std::map<std::pair<int, int>, std::unique_ptr<Ferns>> ferns_;
};

TEST_F(GlBatchTest, BatchedDrawsTheSamePicturesAsPerSegmentThroughAWholeCycle) {
  const std::pair<int, int> sizes[] = {{640, 480}, {1920, 1080}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const Ferns& ferns = FernsFor(width, height);
    ASSERT_EQ(ferns.result.outcome, PrecomputeOutcome::Completed);
    const Cycle reference = PerSegmentCycle(ferns);
    GlSink batched(GlSink::Batched);
    ASSERT_TRUE(batched.Reserve(LargestLevelSegments(ferns.store)));
    ExpectSamePictures(reference, DrawCycle(ferns, batched), width);
  }
}

TEST_F(GlBatchTest, LinesNeverAllocateOnceTheBufferIsReserved) {
  const Ferns& ferns = FernsFor(640, 480);
  GlSink sink(GlSink::Batched, CountingLineBuffers::Get());
  const std::int64_t largest = LargestLevelSegments(ferns.store);
  ASSERT_TRUE(sink.Reserve(largest));
  EXPECT_EQ(CountingLineBuffers::made, 1);
  const double* buffer = sink.Buffer();
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(sink.Capacity(), largest);

  DrawCycle(ferns, sink);
  EXPECT_EQ(CountingLineBuffers::made, 1) << "a whole cycle without another allocation";
  EXPECT_EQ(sink.Buffer(), buffer);
  EXPECT_EQ(sink.Capacity(), largest);
  EXPECT_EQ(sink.PendingLines(), 0) << "every tick drew what it gave";

  sink.Release();
  EXPECT_EQ(CountingLineBuffers::live, 0);
  EXPECT_EQ(sink.Capacity(), 0);
}

TEST_F(GlBatchTest, ALevelLargerThanTheBufferIsDrawnInPartsToTheSamePictures) {
  const Ferns& ferns = FernsFor(640, 480);
  ASSERT_GT(LargestLevelSegments(ferns.store), 7 * 3) << "levels must span several parts";
  const Cycle reference = PerSegmentCycle(ferns);
  GlSink sink(GlSink::Batched, CountingLineBuffers::Get());
  ASSERT_TRUE(sink.Reserve(7));
  EXPECT_EQ(sink.Capacity(), 7);
  ExpectSamePictures(reference, DrawCycle(ferns, sink), 640);
  EXPECT_EQ(CountingLineBuffers::made, 1) << "the parts reuse the one buffer";
}

TEST_F(GlBatchTest, WithoutItsBufferTheSinkDrawsLineByLineToTheSamePictures) {
  const Ferns& ferns = FernsFor(640, 480);
  const Cycle reference = PerSegmentCycle(ferns);
  CountingLineBuffers::Reset(/*failAll=*/true);
  GlSink sink(GlSink::Batched, CountingLineBuffers::Get());
  EXPECT_FALSE(sink.Reserve(LargestLevelSegments(ferns.store)));
  EXPECT_EQ(sink.Capacity(), 0);
  EXPECT_EQ(sink.Buffer(), nullptr);
  EXPECT_EQ(sink.CurrentMode(), GlSink::Batched);
  ExpectSamePictures(reference, DrawCycle(ferns, sink), 640);
}

TEST_F(GlBatchTest, ReserveSizesTheBufferWithinItsBounds) {
  struct Case {
    const char* name;
    GlSink::Mode mode;
    std::int64_t lines;
    bool reserved;
    std::int64_t capacity;
  } cases[] = {
      {"a level's worth", GlSink::Batched, 90464, true, 90464},
      {"one line", GlSink::Batched, 1, true, 1},
      {"no lines", GlSink::Batched, 0, true, 0},
      {"a negative count", GlSink::Batched, -3, true, 0},
      {"more than the cap", GlSink::Batched, GlSink::MaxReservedLines * 4, true,
       GlSink::MaxReservedLines},
      {"the largest count", GlSink::Batched, INT64_MAX, true, GlSink::MaxReservedLines},
      {"per segment keeps none", GlSink::PerSegment, 1000, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountingLineBuffers::Reset();
    {
      GlSink sink(c.mode, CountingLineBuffers::Get());
      EXPECT_EQ(sink.Reserve(c.lines), c.reserved);
      EXPECT_EQ(sink.Capacity(), c.capacity);
      EXPECT_EQ(sink.Buffer() != nullptr, c.capacity > 0);
      EXPECT_EQ(CountingLineBuffers::made, c.capacity > 0 ? 1 : 0);
    }
    EXPECT_EQ(CountingLineBuffers::live, 0) << "the sink frees its buffer";
  }
}

TEST_F(GlBatchTest, ASecondReserveReplacesTheBuffer) {
  GlSink sink(GlSink::Batched, CountingLineBuffers::Get());
  ASSERT_TRUE(sink.Reserve(10));
  ASSERT_TRUE(sink.Reserve(20));
  EXPECT_EQ(sink.Capacity(), 20);
  EXPECT_EQ(CountingLineBuffers::made, 2);
  EXPECT_EQ(CountingLineBuffers::live, 1);
  ASSERT_TRUE(sink.Reserve(0));
  EXPECT_EQ(CountingLineBuffers::live, 0);
}

TEST(GlSinkModes, TheSaverSinkAndTheDefaultSinkAreBatchedWithoutABuffer) {
  GlSink plain;
  EXPECT_EQ(plain.CurrentMode(), GlSink::Batched);
  EXPECT_EQ(plain.Capacity(), 0);
  EXPECT_EQ(SaverGlSink().CurrentMode(), GlSink::Batched);
  EXPECT_EQ(SaverGlSink().Capacity(), 0);
}

// Draws on a small surface and reads it back.
class GlBatchOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(CreateHeadlessGl(gl_, 64, 48, &error)) << error;
  }
  void TearDown() override { DestroyHeadlessGl(gl_); }

  std::tuple<int, int, int> At(const Picture& p, int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * gl_.width + x) * 3;
    return {p[i], p[i + 1], p[i + 2]};
  }
  Picture Read() const { return ReadRgbTopDown(gl_); }

  HeadlessGl gl_{};
};

// Rows near the top and the bottom of the 64x48 surface, across its width.
void TopRow(GlSink& sink) { sink.Line(-1.5, 0.99, 1.5, 0.99); }
void BottomRow(GlSink& sink) { sink.Line(-1.5, -0.99, 1.5, -0.99); }

TEST_F(GlBatchOrderTest, ColourAndClearComeAfterTheLinesGivenBeforeThem) {
  using Rgb = std::tuple<int, int, int>;
  const Rgb black{0, 0, 0};
  const Rgb red{255, 0, 0};
  const Rgb green{0, 255, 0};
  struct Case {
    const char* name;
    void (*draw)(GlSink&);
    Rgb top, bottom;
  } cases[] = {
      {"colour between lines",
       [](GlSink& s) {
         s.Color(255, 0, 0);
         TopRow(s);
         s.Color(0, 255, 0);
         BottomRow(s);
         s.Flush();
       },
       red, green},
      {"clear after a line",
       [](GlSink& s) {
         s.Color(255, 0, 0);
         TopRow(s);
         s.Clear();
         BottomRow(s);
         s.Flush();
       },
       black, red},
      {"line, colour, nothing more",
       [](GlSink& s) {
         s.Color(0, 255, 0);
         BottomRow(s);
         s.Color(255, 0, 0);
         s.Flush();
       },
       black, green},
  };
  for (const Case& c : cases) {
    for (GlSink::Mode mode : {GlSink::PerSegment, GlSink::Batched}) {
      SCOPED_TRACE(std::string(c.name) + (mode == GlSink::Batched ? ", batched" : ", per segment"));
      GlSink sink(mode);
      ASSERT_TRUE(sink.Reserve(16));
      sink.Clear();
      c.draw(sink);
      EXPECT_EQ(sink.PendingLines(), 0);
      const Picture p = Read();
      EXPECT_EQ(At(p, 10, 0), c.top);
      EXPECT_EQ(At(p, 10, 47), c.bottom);
      EXPECT_EQ(At(p, 10, 24), black);
    }
  }
}

TEST_F(GlBatchOrderTest, ReserveDrawsWhatIsPendingBeforeItReplacesTheBuffer) {
  GlSink sink(GlSink::Batched);
  ASSERT_TRUE(sink.Reserve(4));
  sink.Color(0, 0, 255);
  TopRow(sink);
  ASSERT_EQ(sink.PendingLines(), 1);
  ASSERT_TRUE(sink.Reserve(8));
  EXPECT_EQ(sink.PendingLines(), 0);
  sink.Flush();
  EXPECT_EQ(At(Read(), 10, 0), (std::tuple<int, int, int>{0, 0, 255}));
}

TEST_F(GlBatchOrderTest, BatchedDrawingLeavesTheVertexArrayOffAndRaisesNoError) {
  GlSink sink(GlSink::Batched);
  ASSERT_TRUE(sink.Reserve(4));
  EXPECT_EQ(glIsEnabled(GL_VERTEX_ARRAY), GL_FALSE);
  sink.Color(255, 255, 255);
  TopRow(sink);
  BottomRow(sink);
  sink.Flush();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(glIsEnabled(GL_VERTEX_ARRAY), GL_FALSE) << "client state as immediate mode found it";
  const Picture p = Read();
  EXPECT_NE(At(p, 63, 0), (std::tuple<int, int, int>{0, 0, 0}));
  EXPECT_NE(At(p, 0, 47), (std::tuple<int, int, int>{0, 0, 0}));
}

}  // namespace
}  // namespace morv
