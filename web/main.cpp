// The ferns in a web page: the same precomputation, animation tick and colour
// cycle as the Windows saver and the XScreenSaver mode, drawn through WebGL.
// The page's script (page.js) owns the loop, the canvas and the controls, as
// a window timer or the X11 loop does elsewhere; it calls the entry points
// below.
#include <emscripten/emscripten.h>

#include <atomic>

#include "animation.h"
#include "fern_start.h"
#include "precompute.h"
#include "segment_store.h"
#include "webgl_sink.h"

// Hands the main thread back to the page until its next turn (page.js,
// `page.yieldTurn`). The computation is suspended meanwhile with Asyncify and
// resumes where it stopped.
EM_ASYNC_JS(void, YieldToPage, (), { await Module.page.yieldTurn(); });
// UTF8ToString is emscripten's own; since 3.1.35 (Debian 13 has 3.1.69) it is linked in
// only when code asks for it, else the call throws. Older ones always have it and lack
// the macro.
#ifdef EM_JS_DEPS
EM_JS_DEPS(morv_progress_line, "$UTF8ToString");
#endif
EM_JS(void, ShowProgressLine, (int fern, const char* text), {
  Module.page.progress(fern, UTF8ToString(text));
});
EM_JS(void, FernsStarted, (int outcome), { Module.page.started(outcome); });

namespace morv {
namespace {

// The longest stretch of computing before the page gets a turn to paint and
// to handle input; one depth level at 3840x2160 takes a few milliseconds more.
constexpr double ComputeSliceMs = 25.0;

struct WebSaver {
  WebGlSink sink;
  double sliceStartMs;
  bool yieldNow;
};
WebSaver g_saver;

void BeforeLevel(void* context) {
  WebSaver& s = *static_cast<WebSaver*>(context);
  if (!s.yieldNow && emscripten_get_now() - s.sliceStartMs < ComputeSliceMs) return;
  s.yieldNow = false;
  YieldToPage();
  s.sliceStartMs = emscripten_get_now();
}

void SetProgressText(void*, int control, const char* text) {
  ShowProgressLine(control == VerticalStatusControl ? Vertical : Horizontal, text);
}

}  // namespace
}  // namespace morv

extern "C" {

// Computes both ferns for a width x height canvas and starts the animation
// afresh, at level 0 of the vertical fern. Returns at the first depth level,
// so that the page can paint before the work starts, and again whenever a
// slice of computing is used up; page.started(outcome) reports the end, with
// the PrecomputeOutcome. A stopped run (morv_stop, out of memory) is applied
// like a complete one: what it computed shows. No tick may run until then.
EMSCRIPTEN_KEEPALIVE void morv_start(int width, int height, int fast) {
  using namespace morv;
  WebSaver& s = g_saver;
  ResetProgress(Progress());
  s.yieldNow = true;
  const ProgressPort port{&s, &BeforeLevel, &SetProgressText};
  const PrecomputeResult result = StartFerns(
      Store(), Animation(), s.sink, FernStart{width, height, fast != 0}, port, Progress());
  FernsStarted(static_cast<int>(result.outcome));
}

// Stops a computation under way at its next depth level: a new size has come.
EMSCRIPTEN_KEEPALIVE void morv_stop() {
  morv::Progress().abortFlag.store(1, std::memory_order_release);
}

// One timer tick; returns the morv::TickKind it was.
EMSCRIPTEN_KEEPALIVE int morv_tick() {
  return static_cast<int>(morv::AnimationTick(morv::Animation(), morv::Store(), morv::g_saver.sink));
}

// The tick interval in milliseconds: 50, or 10 with Fast Madness.
EMSCRIPTEN_KEEPALIVE int morv_tick_interval() { return morv::Animation().tickIntervalMs; }

// Fast Madness switched in the settings panel: the next tick comes at the new
// interval, and the next pause between ferns is counted in the new ticks.
EMSCRIPTEN_KEEPALIVE void morv_set_fast(int fast) {
  morv::Animation().tickIntervalMs = fast != 0 ? morv::FastTickMs : morv::NormalTickMs;
}

}  // extern "C"
