// A window over several monitors: where each monitor's ferns go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_ferns.h"

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
  };
  for (const auto& c : cases) {
    const MonitorLayout layout =
        PlaceMonitors(c.client, c.monitors.data(), static_cast<int>(c.monitors.size()));
    EXPECT_EQ(Describe(layout), c.expected);
    EXPECT_EQ(IsSingleScreen(layout, c.client.right - c.client.left, c.client.bottom - c.client.top),
              layout.count == 1)
        << c.expected;
  }
}

}  // namespace
}  // namespace morv
