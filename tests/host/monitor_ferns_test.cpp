// A window over several monitors: where each monitor's ferns go, and monitors
// of one size drawing one screen's picture from one shared computation.
#include <gtest/gtest.h>

#include <vector>

#include "fern_start.h"
#include "monitor_ferns.h"
#include "recording_sink.h"

namespace morv {
namespace {

TEST(MonitorFernsTest, EachMonitorGetsItsPartOfTheClientAreaAndASizeIndex) {
  const struct {
    const char* what;
    PixelRect client;  // screen coordinates: the clip box
    std::vector<PixelRect> monitors;
    std::vector<MonitorPlace> expected;
    int sizes;
  } cases[] = {
      {"one monitor equal to the clip box", {0, 0, 1024, 768}, {{0, 0, 1024, 768}},
       {{0, 0, 1024, 768, 0}}, 1},
      {"a platform that cannot list monitors", {0, 0, 800, 600}, {}, {{0, 0, 800, 600, 0}}, 1},
      {"two sizes side by side, a dead corner", {0, 0, 1440, 600},
       {{0, 0, 800, 600}, {800, 0, 1440, 480}}, {{0, 0, 800, 600, 0}, {800, 0, 640, 480, 1}}, 2},
      {"left of and above the primary", {-1280, -200, 1920, 1080},
       {{0, 0, 1920, 1080}, {-1280, -200, 0, 824}},
       {{1280, 200, 1920, 1080, 0}, {0, 0, 1280, 1024, 1}}, 2},
      {"three of one size", {-1920, 0, 3840, 1080},
       {{0, 0, 1920, 1080}, {-1920, 0, 0, 1080}, {1920, 0, 3840, 1080}},
       {{1920, 0, 1920, 1080, 0}, {0, 0, 1920, 1080, 0}, {3840, 0, 1920, 1080, 0}}, 1},
      {"a mirrored pair is one screen", {0, 0, 1280, 1024},
       {{0, 0, 1280, 1024}, {0, 0, 1280, 1024}}, {{0, 0, 1280, 1024, 0}}, 1},
      {"a monitor partly outside keeps its inside part; one wholly outside draws nothing",
       {0, 0, 1600, 600}, {{0, 0, 800, 600}, {800, 100, 1700, 700}, {2000, 0, 2800, 600}},
       {{0, 0, 800, 600, 0}, {800, 100, 800, 500, 1}}, 2},
  };
  for (const auto& c : cases) {
    const MonitorLayout layout =
        PlaceMonitors(c.client, c.monitors.data(), static_cast<int>(c.monitors.size()));
    ASSERT_EQ(layout.count, static_cast<int>(c.expected.size())) << c.what;
    for (int i = 0; i < layout.count; ++i) {
      const MonitorPlace& got = layout.places[i];
      const MonitorPlace& want = c.expected[i];
      EXPECT_TRUE(got.x == want.x && got.y == want.y && got.width == want.width &&
                  got.height == want.height && got.size == want.size)
          << c.what << ", monitor " << i << ": " << got.x << "," << got.y << " " << got.width
          << "x" << got.height << " size " << got.size;
      EXPECT_EQ(layout.sizes[got.size].width, got.width) << c.what;
      EXPECT_EQ(layout.sizes[got.size].height, got.height) << c.what;
    }
    EXPECT_EQ(layout.sizeCount, c.sizes) << c.what;
    EXPECT_EQ(IsSingleScreen(layout, c.client.right - c.client.left,
                             c.client.bottom - c.client.top),
              c.expected.size() == 1)
        << c.what;
  }
}

TEST(MonitorFernsTest, MonitorsOfOneSizeDrawThatScreensPictureFromOneComputation) {
  const PixelRect monitors[] = {{0, 0, 64, 48}, {64, 0, 144, 60}, {144, 0, 208, 48}};
  MonitorFerns& ferns = SaverMonitorFerns();
  SetUpMonitorFerns(ferns, PlaceMonitors({0, 0, 208, 60}, monitors, 3), false);
  RecordingSink reserving;
  ProgressState progress{};
  StartMonitorFerns(ferns, reserving, ProgressPort{nullptr, nullptr, nullptr}, progress);
  EXPECT_NE(ferns.stores[0].vertical[0], nullptr);
  EXPECT_NE(ferns.stores[1].vertical[0], nullptr);
  EXPECT_EQ(ferns.stores[2].vertical[0], nullptr) << "two sizes, two computations";

  // The picture of a lone 64x48 screen over both ferns and a pause.
  FernStore alone;
  ResetFernStore(alone);
  AnimationState aloneAnimation;
  RecordingSink aloneSink;
  StartFerns(alone, aloneAnimation, aloneSink, {64, 48, false, true},
             ProgressPort{nullptr, nullptr, nullptr}, progress);
  RecordingSink drawn[3];
  for (int tick = 0; tick < 300; ++tick) {
    AnimationTick(aloneAnimation, alone, aloneSink);
    for (int i = 0; i < 3; ++i) {
      AnimationTick(ferns.animations[i], ferns.stores[ferns.layout.places[i].size], drawn[i]);
    }
  }
  EXPECT_EQ(drawn[0].Text(), aloneSink.Text());
  EXPECT_EQ(drawn[2].Text(), aloneSink.Text());
  EXPECT_NE(drawn[1].Text(), aloneSink.Text()) << "the 80x60 monitor has ferns of its own size";
  FreeFerns(alone);
  FreeMonitorFerns(ferns);
  EXPECT_EQ(ferns.stores[0].vertical[0], nullptr);
  EXPECT_EQ(ferns.layout.count, 0);
}

}  // namespace
}  // namespace morv
