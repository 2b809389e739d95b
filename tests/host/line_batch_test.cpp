// The batch with a fallback buffer, as the WebGL sink uses it: the OpenGL
// sink's batching without one is covered through GlSink (gl_batch_test.cpp).
#include "line_batch.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace morv {
namespace {

std::vector<std::vector<float>> g_draws;  // each call's coordinates
void Record(const float* vertices, std::int64_t lines) {
  g_draws.emplace_back(vertices, vertices + lines * 4);
}
void* Refuse(std::size_t) { return nullptr; }
void Ignore(void*) {}

TEST(LineBatchTest, FallbackServesSmallCountsAndFailedAllocationsInParts) {
  g_draws.clear();
  float fallback[2 * 4];
  LineBatch<float> batch(&Record, {&Refuse, &Ignore}, fallback, 2);
  EXPECT_TRUE(batch.Reserve(2)) << "the fallback holds it: nothing to allocate";
  EXPECT_FALSE(batch.Reserve(3));
  EXPECT_EQ(batch.Buffer(), fallback);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(batch.Add(i, 0.1, i, 1e-50));
  batch.Draw();
  ASSERT_EQ(g_draws.size(), 3u) << "five lines through a buffer of two";
  EXPECT_EQ(g_draws[2], (std::vector<float>{4, 0.1f, 4, 0}));
  EXPECT_EQ(batch.Pending(), 0);
}

TEST(LineBatchTest, ReserveDrawsWhatItHoldsAndCapsTheBuffer) {
  g_draws.clear();
  std::size_t asked = 0;
  static std::size_t* s_asked = &asked;
  LineBatch<float> batch(&Record, {[](std::size_t bytes) {
                                     *s_asked = bytes;
                                     return DefaultLineBufferAllocator().allocate(bytes);
                                   },
                                   DefaultLineBufferAllocator().release});
  EXPECT_FALSE(batch.Add(0, 0, 1, 1)) << "no buffer: the sink draws the line itself";
  ASSERT_TRUE(batch.Reserve(INT64_MAX));
  EXPECT_EQ(asked, static_cast<std::size_t>(LineBatch<float>::MaxReservedLines) * 4 * sizeof(float));
  EXPECT_TRUE(batch.Add(0, 0, 1, 1));
  ASSERT_TRUE(batch.Reserve(0));
  EXPECT_EQ(g_draws.size(), 1u);
  EXPECT_EQ(batch.Capacity(), 0);
}

}  // namespace
}  // namespace morv
