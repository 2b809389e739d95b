// Starts a command and says how long after its start the first fern-coloured
// pixel shows in a rectangle of the X screen: a pixel whose brightest and
// darkest channels are at least half the range apart, which the saturated
// colour cycle is and black, greys, white and dialog text are not.
//   morv_first_pixel WxH+X+Y TIMEOUT_SECONDS -- COMMAND [ARGS...]
// Prints "first fern pixel after N ms" and exits 0, or exits 1 after the time;
// then "pid P", the command's process, which is left running for the caller to end.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

int Shift(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

bool HasFernPixel(XImage* image, int width, int height) {
  const unsigned long masks[] = {image->red_mask, image->green_mask, image->blue_mask};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      int low = 255;
      int high = 0;
      for (unsigned long mask : masks) {
        const unsigned long top = mask >> Shift(mask);
        const int channel = top == 0 ? 0 : static_cast<int>(((pixel & mask) >> Shift(mask)) * 255 / top);
        low = channel < low ? channel : low;
        high = channel > high ? channel : high;
      }
      if (high - low >= 128) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned width = 0;
  unsigned height = 0;
  int x = 0;
  int y = 0;
  double timeout = 0;
  if (argc < 5 || std::sscanf(argv[1], "%ux%u+%d+%d", &width, &height, &x, &y) != 4 ||
      std::sscanf(argv[2], "%lf", &timeout) != 1 || std::strcmp(argv[3], "--") != 0) {
    std::fprintf(stderr, "usage: %s WxH+X+Y TIMEOUT_SECONDS -- COMMAND [ARGS...]\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawnp(&child, argv[4], nullptr, nullptr, argv + 4, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[4]);
    return 2;
  }
  for (;;) {
    XImage* image = XGetImage(display, root, x, y, width, height, AllPlanes, ZPixmap);
    const bool found = image != nullptr && HasFernPixel(image, static_cast<int>(width),
                                                         static_cast<int>(height));
    if (image != nullptr) XDestroyImage(image);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (found || ms > timeout * 1000) {
      if (found) {
        std::printf("first fern pixel after %.0f ms\n", ms);
      } else {
        std::printf("no fern pixel within %.0f s\n", timeout);
      }
      std::printf("pid %ld\n", static_cast<long>(child));
      return found ? 0 : 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
