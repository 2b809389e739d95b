// morvessantique: the ferns as an XScreenSaver display mode. The same
// precomputation, animation tick and OpenGL sink as the Windows saver, driven
// by a loop that waits on the X connection with a timeout instead of a window
// timer.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "animation.h"
#include "fern_start.h"
#include "gl_sink.h"
#include "glx_surface.h"
#include "options.h"
#include "precompute.h"
#include "segment_store.h"
#include "version.h"

namespace morv {
namespace {

constexpr int ExitDisplay = 1;
constexpr int ExitUsage = 2;
constexpr int OwnWindowWidth = 1024;
constexpr int OwnWindowHeight = 768;
constexpr std::int64_t ProgressAfterNs = 500 * 1000000LL;
constexpr char ProgramName[] = "morvessantique";

// SIGTERM and SIGINT end the run cleanly where the program looks for them:
// before each depth level of the precomputation, and on each turn of the loop,
// whose wait watches a pipe the handler writes to, so that a signal arriving
// just before the wait begins still wakes it at once. Where the program cannot
// look (an X call to a server that never answers, a driver's wait), the signal
// takes its default course StopGraceSeconds later; a second one at once. Once
// the run is over, whatever ended it, the program's own clean-up (freeing the
// ferns) takes as long as it needs, also when the signal comes during it; after a
// signal, the GLX and X teardown after it waits on the server, and gets
// StopGraceSeconds again. A bounded end is the signal's default course: the
// program is killed by it (exit status 143 for SIGTERM, 130 for SIGINT).
constexpr unsigned StopGraceSeconds = 2;
// The signal's number, once one came. Any thread may take the signal (the
// OpenGL driver starts some) and others read it.
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
// True during the program's own clean-up, which a first signal does not bound.
std::atomic<bool> g_ownCleanUp{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");
int g_wakePipe[2] = {-1, -1};

void EndByDefault(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  raise(signal);  // taken as soon as the handler returns
}

void OnStopSignal(int signal) {
  if (g_stopSignal.load() != 0) {
    EndByDefault(signal);
    return;
  }
  // Armed before the flag is seen, so that the program's alarm(0) comes after it.
  if (!g_ownCleanUp.load()) alarm(StopGraceSeconds);
  g_stopSignal.store(signal);
  const int savedErrno = errno;
  const char byte = 0;
  if (write(g_wakePipe[1], &byte, 1) < 0) {
    // nothing to do: the signal ends the program all the same
  }
  errno = savedErrno;
}

void OnStopOverdue(int) { EndByDefault(g_stopSignal.load()); }

// True once a stop signal came; the program has then noticed it, and the
// grace period's alarm is cancelled.
bool StopRequested() {
  if (g_stopSignal.load() == 0) return false;
  alarm(0);
  return true;
}

std::int64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return std::int64_t{t.tv_sec} * 1000000000LL + t.tv_nsec;
}

// The whole state of a run.
struct X11Saver {
  Display* display;
  Window window;
  bool ownWindow;
  Atom deleteWindow;
  bool fast;
  GlxSurface surface;
  GlSink* sink;
  // A new window size waits for the resizing to settle before the ferns are
  // computed again; no tick runs meanwhile.
  bool resizePending;
  int pendingWidth;
  int pendingHeight;
  std::int64_t resizeDueNs;
  bool windowGone;       // DestroyNotify seen
  bool closeRequested;   // our own window's close box
  bool xErrorSeen;       // an X error arrived since the last look
  XErrorEvent firstError;
  bool exiting;          // errors from tearing down a dead window are expected
};
X11Saver g_saver{};

int OnXError(Display*, XErrorEvent* error) {
  X11Saver& s = g_saver;
  if (s.exiting) return 0;
  if (!s.xErrorSeen) s.firstError = *error;
  s.xErrorSeen = true;
  return 0;
}

// One line on stderr, then the exit code to end with.
__attribute__((format(printf, 2, 3))) int Fail(int code, const char* format, ...) {
  std::fprintf(stderr, "%s: ", ProgramName);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  return code;
}

bool WindowExists(Display* display, Window window, XWindowAttributes* attributes) {
  return XGetWindowAttributes(display, window, attributes) != 0;
}

// --- the precomputation, with a progress line on a terminal --------------------------

struct ProgressLine {
  bool terminal;
  bool shown;
  std::int64_t startNs;
};

void BeforeLevel(void*) {
  // SIGTERM or SIGINT during a long run: stop computing, the program ends.
  if (StopRequested()) Progress().abortFlag.store(1, std::memory_order_release);
}

void ShowProgress(void* context, int, const char* text) {
  ProgressLine& line = *static_cast<ProgressLine*>(context);
  if (!line.terminal || NowNs() - line.startNs < ProgressAfterNs) return;
  std::fprintf(stderr, "\r%s: %-46s", ProgramName, text);
  line.shown = true;
}

// Computes both ferns for w x h and starts the animation afresh. False when a
// signal cut it short.
bool ComputeFerns(X11Saver& s, int width, int height) {
  ProgressLine line{isatty(STDERR_FILENO) != 0, false, NowNs()};
  const ProgressPort port{&line, &BeforeLevel, &ShowProgress};
  const PrecomputeResult result =
      StartFerns(Store(), Animation(), *s.sink, FernStart{width, height, s.fast}, port,
                 Progress());
  if (line.shown) std::fputc('\n', stderr);
  // Out of memory: like the Windows saver, draw the levels that were computed.
  return result.outcome != PrecomputeOutcome::Aborted;
}

// --- windows ---------------------------------------------------------------------------

Window CreateOwnWindow(X11Saver& s, XVisualInfo* visual) {
  Display* d = s.display;
  const Window root = RootWindow(d, visual->screen);
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(d, root, visual->visual, AllocNone);
  attributes.background_pixel = BlackPixel(d, visual->screen);
  attributes.border_pixel = 0;
  attributes.event_mask = StructureNotifyMask | ExposureMask;
  const Window window = XCreateWindow(
      d, root, 0, 0, OwnWindowWidth, OwnWindowHeight, 0, visual->depth, InputOutput,
      visual->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
  XStoreName(d, window, "Morvessantique");
  XClassHint hint{const_cast<char*>(ProgramName), const_cast<char*>("Morvessantique")};
  XSetClassHint(d, window, &hint);
  s.deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, window, &s.deleteWindow, 1);
  XMapWindow(d, window);
  return window;
}

// The window -root or -window-id names; 0 after reporting a bad one.
Window TargetWindow(Display* display, const X11Options& options, int* exitCode) {
  if (options.target == X11Target::WindowId) return options.windowId;
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (named == nullptr || named[0] == '\0') return DefaultRootWindow(display);
  unsigned long id = 0;
  if (!ParseWindowId(named, &id)) {
    *exitCode = Fail(ExitUsage, "XSCREENSAVER_WINDOW is not a window id: '%.60s'", named);
    return 0;
  }
  return id;
}

// --- the loop ----------------------------------------------------------------------------

void OnConfigure(X11Saver& s, const XConfigureEvent& e) {
  const bool settled = !s.resizePending;
  const int width = settled ? s.surface.width : s.pendingWidth;
  const int height = settled ? s.surface.height : s.pendingHeight;
  if (e.width == width && e.height == height) return;
  s.resizePending = true;
  s.pendingWidth = e.width;
  s.pendingHeight = e.height;
  s.resizeDueNs = NowNs() + std::int64_t{Animation().tickIntervalMs} * 1000000;
}

void HandleEvent(X11Saver& s, const XEvent& e) {
  switch (e.type) {
    case DestroyNotify:
      if (e.xdestroywindow.window == s.window) s.windowGone = true;
      break;
    case ConfigureNotify:
      if (e.xconfigure.window == s.window) OnConfigure(s, e.xconfigure);
      break;
    case Expose:
      // What is drawn of the current fern is shown again.
      if (e.xexpose.count == 0 && !s.resizePending) PresentGlxSurface(s.surface);
      break;
    case ClientMessage:
      if (s.ownWindow && static_cast<Atom>(e.xclient.data.l[0]) == s.deleteWindow) {
        s.closeRequested = true;
      }
      break;
    default:
      break;
  }
}

void DrainEvents(X11Saver& s) {
  while (XPending(s.display) > 0) {
    XEvent event;
    XNextEvent(s.display, &event);
    HandleEvent(s, event);
  }
}

// Waits for X input, a signal or the deadline, whichever comes first.
void WaitUntil(X11Saver& s, std::int64_t deadlineNs) {
  if (XPending(s.display) > 0) return;  // also sends what GL queued
  const std::int64_t waitNs = deadlineNs - NowNs();
  if (waitNs <= 0) return;
  pollfd fds[2] = {{ConnectionNumber(s.display), POLLIN, 0}, {g_wakePipe[0], POLLIN, 0}};
  const timespec timeout{static_cast<time_t>(waitNs / 1000000000LL),
                         static_cast<long>(waitNs % 1000000000LL)};
  ppoll(fds, 2, &timeout, nullptr);  // EINTR from a stop signal is an answer too
}

// 0 when the run ended as it should; 1 after an X error on a live window.
int RunLoop(X11Saver& s) {
  const std::int64_t intervalNs = std::int64_t{Animation().tickIntervalMs} * 1000000;
  std::int64_t nextTickNs = NowNs() + intervalNs;
  for (;;) {
    DrainEvents(s);
    if (StopRequested() || s.windowGone || s.closeRequested) return 0;
    if (s.xErrorSeen) {
      // Drawing into a window that is being destroyed fails before its
      // DestroyNotify is read; any other error is ours to report.
      XWindowAttributes attributes;
      s.exiting = true;
      const bool alive = WindowExists(s.display, s.window, &attributes);
      s.exiting = false;
      if (!alive) return 0;
      char text[96];
      XGetErrorText(s.display, s.firstError.error_code, text, sizeof text);
      return Fail(ExitDisplay, "X error on request %lu: %s",
                  static_cast<unsigned long>(s.firstError.request_code), text);
    }
    const std::int64_t now = NowNs();
    if (s.resizePending) {
      if (now >= s.resizeDueNs) {
        s.resizePending = false;
        ResizeGlxSurface(s.surface, s.pendingWidth, s.pendingHeight);
        if (!ComputeFerns(s, s.pendingWidth, s.pendingHeight)) return 0;
        PresentGlxSurface(s.surface);
        nextTickNs = NowNs() + intervalNs;
      }
      WaitUntil(s, s.resizePending ? s.resizeDueNs : nextTickNs);
      continue;
    }
    if (now >= nextTickNs) {
      if (AnimationTick(Animation(), Store(), *s.sink) == TickKind::Drawing) {
        PresentGlxSurface(s.surface);
      }
      // Like a window timer: a late tick is not made up for.
      nextTickNs += intervalNs;
      if (nextTickNs <= now) nextTickNs = now + intervalNs;
    }
    WaitUntil(s, nextTickNs);
  }
}

// Whichever thread takes the signal (the OpenGL driver starts some), the pipe
// wakes the wait of this one.
void InstallSignals() {
  if (pipe2(g_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the default then: they end it
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  // The pipe wakes the loop's wait; other threads' calls (the driver's) go on.
  action.sa_flags = SA_RESTART;
  action.sa_handler = &OnStopOverdue;
  sigaction(SIGALRM, &action, nullptr);
  action.sa_handler = &OnStopSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

int Run(const X11Options& options) {
  X11Saver& s = g_saver;
  s.fast = options.fast;
  s.display = XOpenDisplay(nullptr);
  if (s.display == nullptr) {
    const char* name = std::getenv("DISPLAY");
    return Fail(ExitDisplay, "cannot open display '%.60s'", name != nullptr ? name : "");
  }
  XSetErrorHandler(&OnXError);
  int errorBase = 0;
  int eventBase = 0;
  if (!glXQueryExtension(s.display, &errorBase, &eventBase)) {
    return Fail(ExitDisplay, "the display has no OpenGL (GLX)");
  }
  char error[GlxErrorTextChars] = "";
  XVisualInfo* visual = nullptr;
  int width = OwnWindowWidth;
  int height = OwnWindowHeight;
  if (options.target == X11Target::OwnWindow) {
    visual = ChooseGlxVisual(s.display, DefaultScreen(s.display));
    if (visual == nullptr) return Fail(ExitDisplay, "the display has no OpenGL RGB visual");
    s.ownWindow = true;
    s.window = CreateOwnWindow(s, visual);
  } else {
    int exitCode = 0;
    s.window = TargetWindow(s.display, options, &exitCode);
    if (s.window == 0) return exitCode;
    XWindowAttributes attributes;
    if (!WindowExists(s.display, s.window, &attributes)) {
      return Fail(ExitUsage, "no window 0x%lx", s.window);
    }
    s.xErrorSeen = false;
    width = attributes.width;
    height = attributes.height;
    visual = WindowGlxVisual(s.display, s.window, attributes.visual, error);
    if (visual == nullptr) return Fail(ExitDisplay, "%s", error);
    // Only our own client's interest: others' selections on the window stay.
    XSelectInput(s.display, s.window, StructureNotifyMask | ExposureMask);
  }
  const bool surfaceMade = CreateGlxSurface(s.surface, s.display, s.window, visual, width, height,
                                            error);
  XFree(visual);
  if (!surfaceMade) return Fail(ExitDisplay, "%s", error);

  GlSink sink(GlSink::Batched);
  s.sink = &sink;
  int result = 0;
  if (ComputeFerns(s, width, height)) {
    PresentGlxSurface(s.surface);
    result = RunLoop(s);
  }
  // The run may have ended for another reason (window gone, X error) after a signal
  // armed the alarm: cancelled here, whatever the loop saw.
  g_ownCleanUp.store(true);
  StopRequested();
#ifdef MORV_TEST_SLOW_END
  // Only in a test's build: a clean end as slow as a large store's on a busy machine,
  // which a signal does not cut short either.
  timespec slow{3, 0};
  while (nanosleep(&slow, &slow) != 0 && errno == EINTR) {
  }
#endif
  s.exiting = true;
  sink.Release();
  FreeFerns(Store());
  g_ownCleanUp.store(false);
  // After a stop signal the server may be the reason for the stop and never answer.
  // Without a signal there is none for the alarm to raise: the window was destroyed.
  if (g_stopSignal.load() != 0) alarm(StopGraceSeconds);
  DestroyGlxSurface(s.surface);
  if (s.ownWindow && !s.windowGone) XDestroyWindow(s.display, s.window);
  XCloseDisplay(s.display);
  return result;
}

}  // namespace
}  // namespace morv

int main(int argc, char** argv) {
  morv::X11Options options;
  char error[morv::X11ErrorTextChars];
  if (!morv::ParseX11Options(argc, argv, &options, error)) {
    std::fprintf(stderr, "%s: %s (try -help)\n", morv::ProgramName, error);
    return morv::ExitUsage;
  }
  if (options.help) {
    std::fputs(morv::X11Usage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("%s %s\n", morv::ProgramName, MORV_VERSION_TEXT);
    return 0;
  }
  morv::InstallSignals();
  return morv::Run(options);
}
