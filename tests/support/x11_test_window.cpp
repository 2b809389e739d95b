// x11_test_window WIDTH HEIGHT X Y: a plain dark-grey window that another
// program can be told to draw into. Prints its id in decimal, then waits to be
// killed; the X server destroys the window with the connection.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: x11_test_window WIDTH HEIGHT X Y\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_test_window: no display\n");
    return 1;
  }
  const Window window = XCreateSimpleWindow(
      display, DefaultRootWindow(display), std::atoi(argv[3]), std::atoi(argv[4]),
      static_cast<unsigned>(std::atoi(argv[1])), static_cast<unsigned>(std::atoi(argv[2])), 0, 0,
      0x202020);
  XStoreName(display, window, "morv test window");
  XMapWindow(display, window);
  XSync(display, False);
  std::printf("%lu\n", static_cast<unsigned long>(window));
  std::fflush(stdout);
  for (;;) pause();
}
