#include "options.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace morv {
namespace {

// "-name" and "--name" are the same option.
bool IsOption(const char* arg, const char* name) {
  if (arg[0] != '-') return false;
  const char* rest = arg[1] == '-' ? arg + 2 : arg + 1;
  return std::strcmp(rest, name) == 0;
}

}  // namespace

const char X11Usage[] =
    "usage: morvessantique [-root | -window-id ID] [-fast]\n"
    "\n"
    "Two recursive ferns grow one depth level at a time, in colours that walk\n"
    "around the saturated hues. An XScreenSaver display mode.\n"
    "\n"
    "  -root          draw into $XSCREENSAVER_WINDOW, or the root window when unset\n"
    "  -window-id ID  draw into window ID (decimal, or hexadecimal after 0x)\n"
    "  -fast          Fast Madness: one depth level every 10 ms instead of 50 ms\n"
    "  -help          this text\n"
    "  -version       the program's name and version\n"
    "\n"
    "Without -root or -window-id it opens a 1024x768 window of its own.\n"
    "Options may also start with --.\n";

bool ParseWindowId(const char* text, unsigned long* id) {
  int base = 10;
  const char* p = text;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  const char* end = p + std::strlen(p);
  std::uint32_t value = 0;  // out of range past 0xFFFFFFFF
  const std::from_chars_result read = std::from_chars(p, end, value, base);
  if (read.ec != std::errc() || read.ptr != end || value == 0) return false;
  *id = value;
  return true;
}

bool ParseX11Options(int argc, const char* const* argv, X11Options* options,
                     char (&error)[X11ErrorTextChars]) {
  *options = X11Options{X11Target::OwnWindow, 0, false, false, false};
  error[0] = '\0';
  bool root = false;
  bool windowId = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (IsOption(arg, "root")) {
      root = true;
    } else if (IsOption(arg, "window-id")) {
      if (i + 1 >= argc) {
        std::snprintf(error, sizeof error, "-window-id needs a window id");
        return false;
      }
      if (!ParseWindowId(argv[++i], &options->windowId)) {
        std::snprintf(error, sizeof error, "bad window id '%.60s'", argv[i]);
        return false;
      }
      windowId = true;
    } else if (IsOption(arg, "fast")) {
      options->fast = true;
    } else if (IsOption(arg, "help") || std::strcmp(arg, "-h") == 0) {
      options->help = true;
    } else if (IsOption(arg, "version")) {
      options->version = true;
    } else {
      std::snprintf(error, sizeof error, "unknown option '%.60s'", arg);
      return false;
    }
  }
  if (root && windowId) {
    std::snprintf(error, sizeof error, "give only one of -root and -window-id");
    return false;
  }
  if (root) options->target = X11Target::Root;
  if (windowId) options->target = X11Target::WindowId;
  return true;
}

}  // namespace morv
