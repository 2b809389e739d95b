#include "options.h"

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

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
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
  if (*p == '\0') return false;
  unsigned long long value = 0;
  for (; *p != '\0'; ++p) {
    const int digit = DigitValue(*p, base);
    if (digit < 0) return false;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return false;
  }
  if (value == 0) return false;
  *id = static_cast<unsigned long>(value);
  return true;
}

bool ParseX11Options(int argc, const char* const* argv, X11Options* options,
                     char (&error)[X11ErrorTextChars]) {
  *options = X11Options{X11Target::OwnWindow, 0, false, false};
  error[0] = '\0';
  bool targetGiven = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (IsOption(arg, "root") || IsOption(arg, "window-id")) {
      if (targetGiven) {
        std::snprintf(error, sizeof error, "give only one of -root and -window-id");
        return false;
      }
      targetGiven = true;
      if (IsOption(arg, "root")) {
        options->target = X11Target::Root;
        continue;
      }
      if (i + 1 >= argc) {
        std::snprintf(error, sizeof error, "-window-id needs a window id");
        return false;
      }
      if (!ParseWindowId(argv[++i], &options->windowId)) {
        std::snprintf(error, sizeof error, "bad window id '%.60s'", argv[i]);
        return false;
      }
      options->target = X11Target::WindowId;
    } else if (IsOption(arg, "fast") && !options->fast) {
      options->fast = true;
    } else if (IsOption(arg, "help") || std::strcmp(arg, "-h") == 0) {
      options->help = true;
    } else {
      std::snprintf(error, sizeof error, "unknown or repeated option '%.60s'", arg);
      return false;
    }
  }
  return true;
}

}  // namespace morv
