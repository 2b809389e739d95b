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

}  // namespace
}  // namespace morv
