// A window over several monitors: where each monitor's ferns go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_ferns.h"
#include "recording_sink.h"

namespace morv {
namespace {

// "x,y WxH #size; ..." for each picture in client coordinates; monitors of one
// size share its number, and with it one computation.
std::string Describe(const MonitorLayout& layout) {
  std::string out;
  for (int i = 0; i < layout.count; ++i) {
    const MonitorPlace& p = layout.places[i];
    const PictureSize& size = layout.sizes[p.size];
    out += (i > 0 ? "; " : "") + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
           std::to_string(size.width) + "x" + std::to_string(size.height) + " #" +
           std::to_string(p.size);
  }
  return out;
}

TEST(MonitorFernsTest, EachMonitorGetsItsPartOfTheClientAreaAndItsSize) {
  const struct {
    PixelRect client;  // screen coordinates: the clip box
    std::vector<PixelRect> monitors;
    const char* expected;
  } cases[] = {
      {{0, 0, 1024, 768}, {{0, 0, 1024, 768}}, "0,0 1024x768 #0"},
      {{0, 0, 1440, 600}, {{0, 0, 800, 600}, {800, 0, 1440, 480}},
       "0,0 800x600 #0; 800,0 640x480 #1"},
      {{-1280, -200, 1920, 1080}, {{0, 0, 1920, 1080}, {-1280, -200, 0, 824}},
       "1280,200 1920x1080 #0; 0,0 1280x1024 #1"},
      {{-1920, 0, 3840, 1080}, {{0, 0, 1920, 1080}, {-1920, 0, 0, 1080}, {1920, 0, 3840, 1080}},
       "1920,0 1920x1080 #0; 0,0 1920x1080 #0; 3840,0 1920x1080 #0"},
      // A mirrored pair and a monitor off the window leave one screen.
      {{0, 0, 800, 600}, {{0, 0, 800, 600}, {0, 0, 800, 600}, {900, 0, 1700, 600}},
       "0,0 800x600 #0"},
      {{0, 0, 1600, 600}, {{0, 0, 800, 600}, {800, 100, 1700, 700}},
       "0,0 800x600 #0; 800,100 800x500 #1"},
      // Overlapping monitors are one picture over the rectangle bounding them,
      // also when a third joins two that did not touch; a smaller mirror of a
      // monitor shows part of that monitor's picture.
      {{0, 0, 2600, 800}, {{0, 0, 1000, 800}, {800, 0, 1800, 800}, {1800, 0, 2600, 600}},
       "0,0 1800x800 #0; 1800,0 800x600 #1"},
      {{0, 0, 400, 100},
       {{0, 0, 100, 100}, {200, 0, 300, 100}, {50, 0, 250, 100}, {300, 0, 400, 100}},
       "0,0 300x100 #0; 300,0 100x100 #1"},
      {{0, 0, 3200, 1080}, {{0, 0, 1280, 1024}, {0, 0, 1920, 1080}, {1920, 0, 3200, 1024}},
       "0,0 1920x1080 #0; 1920,0 1280x1024 #1"},
      // A monitor of no area is no monitor; no list is one picture.
      {{0, 0, 1600, 600}, {{0, 0, 800, 600}, {800, 0, 800, 600}, {800, 0, 1600, 600}},
       "0,0 800x600 #0; 800,0 800x600 #0"},
      {{0, 0, 1600, 600}, {}, "0,0 1600x600 #0"},
  };
  for (const auto& c : cases) {
    const MonitorLayout layout =
        PlaceMonitors(c.client, c.monitors.data(), static_cast<int>(c.monitors.size()));
    EXPECT_EQ(Describe(layout), c.expected);
  }
}

TEST(MonitorFernsTest, TheCapCountsPicturesNotListedMonitors) {
  std::vector<PixelRect> monitors(20, PixelRect{0, 0, 100, 100});  // mirrored twenty times
  for (int k = 1; k <= MaxPictures; ++k) monitors.push_back(PixelRect{100 * k, 0, 100 * k + 100, 100});
  const MonitorLayout layout = PlaceMonitors(PixelRect{0, 0, 1700, 100}, monitors.data(),
                                             static_cast<int>(monitors.size()));
  ASSERT_EQ(layout.count, MaxPictures);
  EXPECT_EQ(layout.places[MaxPictures - 1].x, 100 * (MaxPictures - 1));
}

// Two monitors, then the displays change: the size the new layout still shows
// keeps its ferns, the other is freed (the leak checkers see it), a new size is
// computed, and every picture starts again from its first level.
TEST(MonitorFernsTest, ADisplayChangeKeepsTheSizesStillShownAndComputesTheNewOnes) {
  RecordingSink sink;
  ProgressState progress{};
  const ProgressPort quiet{nullptr, nullptr, nullptr};
  const PixelRect before[] = {{0, 0, 200, 150}, {200, 0, 360, 120}};
  MonitorFerns ferns{};
  SetUpMonitorFerns(ferns, PlaceMonitors(PixelRect{0, 0, 360, 150}, before, 2), false);
  StartMonitorFerns(ferns, sink, quiet, progress);
  ASSERT_TRUE(ferns.stores[1].runStarted);
  const Segment* const kept = ferns.stores[1].vertical[0];
  for (int tick = 0; tick < 9; ++tick) AnimationTick(ferns.animations[1], ferns.stores[1], sink);

  const PixelRect after[] = {{0, 0, 160, 120}, {160, 0, 260, 80}};
  const MonitorLayout next = PlaceMonitors(PixelRect{0, 0, 260, 120}, after, 2);
  EXPECT_FALSE(SameLayout(next, ferns.layout));
  EXPECT_TRUE(FollowLayout(ferns, next));
  EXPECT_EQ(ferns.stores[0].vertical[0], kept);
  EXPECT_FALSE(ferns.stores[1].runStarted);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ferns.animations[i].currentDepth, 0);
    EXPECT_EQ(ferns.animations[i].clientWidth, next.places[i].width);
  }
  EXPECT_EQ(ferns.animations[0].verticalLevels, LevelCount(120 / 5));
  StartMonitorFerns(ferns, sink, quiet, progress);
  EXPECT_EQ(ferns.stores[0].vertical[0], kept);
  EXPECT_EQ(ferns.animations[1].verticalLevels, LevelCount(80 / 5));
  EXPECT_EQ(ferns.animations[1].horizontalLevels, LevelCount(100 / 5));

  // Only the sizes changed places: nothing is left to compute.
  const PixelRect swapped[] = {{0, 0, 100, 80}, {100, 0, 260, 120}};
  EXPECT_FALSE(FollowLayout(ferns, PlaceMonitors(PixelRect{0, 0, 260, 120}, swapped, 2)));
  FreeMonitorFerns(ferns);
}

Segment* NoMemory() { return nullptr; }
void ReleaseNothing(Segment*) {}

// A stopped size holds part of its ferns. An abort (on Windows 9x the saver
// goes on when the password refuses the close) computes it anew for the next
// layout. Running out of memory would only fail again while the same sizes
// share the memory, so a layout of the same sizes (a new refresh rate) keeps
// it, and one of other sizes computes it again.
TEST(MonitorFernsTest, AStoppedSizeIsComputedAgainOnlyWhenItCouldEndOtherwise) {
  RecordingSink sink;
  const ProgressPort quiet{nullptr, nullptr, nullptr};
  const MonitorLayout layout = PlaceMonitors(PixelRect{0, 0, 200, 150}, nullptr, 0);
  const PixelRect two[] = {{0, 0, 200, 150}, {200, 0, 300, 100}};
  const MonitorLayout wider = PlaceMonitors(PixelRect{0, 0, 300, 150}, two, 2);
  for (const bool aborted : {true, false}) {
    ProgressState progress{};
    progress.abortFlag.store(aborted ? 1 : 0);
    MonitorFerns ferns{};
    SetUpMonitorFerns(ferns, layout, false);
    if (!aborted) ferns.stores[0].allocator = SegmentAllocator{NoMemory, ReleaseNothing};
    ASSERT_EQ(StartMonitorFerns(ferns, sink, quiet, progress).outcome,
              aborted ? PrecomputeOutcome::Aborted : PrecomputeOutcome::OutOfMemory);
    EXPECT_EQ(FollowLayout(ferns, layout), aborted) << "aborted " << aborted;
    EXPECT_EQ(ferns.stores[0].runStarted, !aborted);
    EXPECT_TRUE(FollowLayout(ferns, wider)) << "aborted " << aborted;
    EXPECT_FALSE(ferns.stores[0].runStarted);
    FreeMonitorFerns(ferns);
  }
}

}  // namespace
}  // namespace morv
