// The command line of the Linux display mode, as XScreenSaver runs it:
// -root, -window-id ID, -fast (double-dash spellings too). No X here, so the
// grammar builds and is read everywhere.
#pragma once

namespace morv {

enum class X11Target {
  OwnWindow,   // no option: a 1024x768 window of our own, for trying it out
  Root,        // $XSCREENSAVER_WINDOW, or the root window when that is unset
  WindowId,    // the window given with -window-id
};

struct X11Options {
  X11Target target;
  unsigned long windowId;  // for WindowId
  bool fast;               // "Fast Madness": 10 ms ticks instead of 50 ms
  bool help;
  bool version;
};

constexpr int X11ErrorTextChars = 160;

// Reads argv[1..argc-1]. An option given again is taken again, the last one
// winning, as other display modes take them; -root with -window-id is an error.
// On a bad command line returns false with a one-line reason (no program name,
// no newline) in `error`.
bool ParseX11Options(int argc, const char* const* argv, X11Options* options,
                     char (&error)[X11ErrorTextChars]);

// An X window id: decimal, or hexadecimal after 0x / 0X; 1 to 0xFFFFFFFF, nothing
// else around it.
bool ParseWindowId(const char* text, unsigned long* id);

extern const char X11Usage[];

}  // namespace morv
