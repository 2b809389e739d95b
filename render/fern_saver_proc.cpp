#include "fern_saver_proc.h"

#include <windowsx.h>

#include <GL/gl.h>

#include "animation.h"
#include "close_policy.h"
#include "debug_note_win32.h"
#include "fast_madness.h"
#include "fern_start.h"
#include "gl_sink.h"
#include "gl_surface_win32.h"
#include "monitor_ferns.h"
#include "monitors_win32.h"
#include "progress_dialog_win32.h"
#include "segment_store.h"

namespace morv {
namespace {

GlSurfaceState g_surface{};
GlSurfaceCalls g_calls{&::ChoosePixelFormat, &::SetPixelFormat, &::DescribePixelFormat,
                       &::wglCreateContext,  &::wglMakeCurrent, &::wglDeleteContext};

const char ErrorCaption[] = "Error";

// A set-up step failed: one box, then the window goes. WM_DESTROY (delivered
// inside DestroyWindow) releases whatever had been acquired up to here.
void FailSetUp(HWND window, HWND boxOwner, const char* text) {
  DebugNote(text);
  if (MessageBoxA(boxOwner, text, ErrorCaption, MB_OK) == 0) {
    DebugNote("the Error box could not be shown");
  }
  DestroyWindow(window);
}

// Pixel format and rendering context on the window's device context.
// Returns false after reporting the failing step.
bool MakeGlSurface(HWND window, GlSurfaceState& surface) {
  const GlSurfaceCalls& gl = GlSurfacePlatform();
  PIXELFORMATDESCRIPTOR request = SaverPixelFormatRequest();
  surface.deviceContext = GetDC(window);
  const int format = gl.choosePixelFormat(surface.deviceContext, &request);
  if (format == 0) {
    FailSetUp(window, nullptr, "Cannot find suitable pixel format");
    return false;
  }
  if (!gl.setPixelFormat(surface.deviceContext, format, &request)) {
    FailSetUp(window, window, "Unable to set pixel format");
    return false;
  }
  if (gl.describePixelFormat(surface.deviceContext, format, sizeof request, &request) == 0) {
    FailSetUp(window, window, "Failed to describe pixel format");
    return false;
  }
  surface.renderingContext = gl.createContext(surface.deviceContext);
  if (surface.renderingContext == nullptr) {
    FailSetUp(window, window, "Unable to create OpenGL rendering context");
    return false;
  }
  if (!gl.makeCurrent(surface.deviceContext, surface.renderingContext)) {
    gl.deleteContext(surface.renderingContext);
    surface.renderingContext = nullptr;
    FailSetUp(window, window,
              "Unable to make specified OpenGL rendering context current rendering context");
    return false;
  }
  return true;
}

// Always TRUE for the cracker: a failed set-up has already destroyed the window.
BOOL OnCreate(HWND window, LPCREATESTRUCTA) {
  const bool fastMadness = ReadFastMadness() != 0;
  RECT client{0, 0, 0, 0};
  if (!GetClientRect(window, &client)) client = RECT{0, 0, 0, 0};  // no area: nothing is drawn
  GlSurfaceState& surface = GlSurface();
  if (!MakeGlSurface(window, surface)) return TRUE;
  AnimationState& animation = Animation();
  StartAnimation(animation, client.right, client.bottom, fastMadness);
  // A window over several monitors gives each its own ferns; on one screen
  // the saver's own animation and store are all there is.
  MonitorFerns& monitors = SaverMonitorFerns();
  const MonitorLayout layout = MonitorLayoutFor(window, client.right, client.bottom);
  if (IsSingleScreen(layout, client.right, client.bottom)) {
    FreeMonitorFerns(monitors);
  } else {
    SetUpMonitorFerns(monitors, layout, fastMadness);
  }
  // Nothing computed yet for this window: the next erase starts the run.
  FernStore& store = Store();
  store.vertical[0] = nullptr;
  store.computed = false;
  // Without a timer the window still shows its first erase; there is just no animation.
  surface.timerId = SetTimer(window, AnimationTimerId, static_cast<UINT>(animation.tickIntervalMs),
                             nullptr);
  return TRUE;
}

void OnSize(HWND, UINT, int, int) {
  // The size recorded at creation is the one the drawing maps to.
  const AnimationState& animation = Animation();
  glViewport(0, 0, animation.clientWidth, animation.clientHeight);
}

void OnDestroy(HWND window) {
  FernStore& store = Store();
  FreeSegmentList(store, store.vertical[0]);
  FreeSegmentList(store, store.horizontal[0]);
  // Freed chains must not stay reachable: a later window of this process
  // would free them again.
  ClearDepthIndexes(store);
  FreeMonitorFerns(SaverMonitorFerns());
  SaverGlSink().Release();
  GlSurfaceState& surface = GlSurface();
  const GlSurfaceCalls& gl = GlSurfacePlatform();
  if (surface.renderingContext != nullptr) {
    gl.makeCurrent(nullptr, nullptr);
    gl.deleteContext(surface.renderingContext);
    surface.renderingContext = nullptr;
  }
  if (surface.timerId != 0) {
    KillTimer(window, surface.timerId);
    surface.timerId = 0;
  }
  if (surface.deviceContext != nullptr) {
    ReleaseDC(window, surface.deviceContext);
    surface.deviceContext = nullptr;
  }
  PostQuitMessage(0);
}

// True while the window shows one picture per monitor.
bool OnSeveralMonitors() { return SaverMonitorFerns().layout.count > 0; }

void OnTimer(HWND, UINT) {
  GlSink& sink = SaverGlSink();
  if (!OnSeveralMonitors()) {
    AnimationTick(Animation(), Store(), sink);
    return;
  }
  // Each monitor in turn, inside its own rectangle; monitors of one size draw
  // the same picture from the same store.
  MonitorFerns& monitors = SaverMonitorFerns();
  const int clientHeight = Animation().clientHeight;
  for (int i = 0; i < monitors.layout.count; ++i) {
    const MonitorPlace& place = monitors.layout.places[i];
    sink.Region(place.x, place.y, place.width, place.height, clientHeight);
    AnimationTick(monitors.animations[i], monitors.stores[place.size], sink);
  }
}

// The ferns for the window, computed beside the progress dialog.
PrecomputeResult ComputeForWindow(void*, const ProgressPort& port) {
  if (OnSeveralMonitors()) {
    return StartMonitorFerns(SaverMonitorFerns(), SaverGlSink(), port, Progress());
  }
  AnimationState& animation = Animation();
  // The animation was started when the window was created; a pause that a
  // tick has begun since then is kept.
  const FernStart start{animation.clientWidth, animation.clientHeight,
                        animation.tickIntervalMs == FastTickMs, false};
  return StartFerns(Store(), animation, SaverGlSink(), start, port, Progress());
}

// The first erase of a window that has computed nothing yet runs the
// precomputation; every other erase gets the default handling.
LRESULT OnEraseBackground(HWND window, WPARAM wParam, LPARAM lParam) {
  FernStore& store = Store();
  const AnimationState& animation = Animation();
  if (store.computed || animation.currentDepth != 0) {
    return ShellDefaultProc(window, WM_ERASEBKGND, wParam, lParam);
  }
  // Claimed before anything can re-enter: an erase answered while the dialog
  // opens must not start a second run.
  store.computed = true;
  // The window's middle is the dialog's only on a single screen; over several
  // monitors the dialog is centred on one of them.
  RunWithProgressDialog(animation.clientWidth, animation.clientHeight,
                        DialogComputation{nullptr, &ComputeForWindow},
                        OnSeveralMonitors() ? ProgressRecentre::DialogMiddle
                                            : ProgressRecentre::WindowMiddle);
  if (Progress().abortFlag.load(std::memory_order_acquire) != 0) return 1;
  return ShellDefaultProc(window, WM_ERASEBKGND, wParam, lParam);
}

// The progress dialog runs on a thread of its own, so the platform deactivates
// this window's thread when the dialog opens. That is no reason to close the
// saver; any other loss of activation still is.
LRESULT OnActivateApp(HWND window, WPARAM wParam, LPARAM lParam) {
  if (wParam == FALSE && ProgressDialog().running) return 0;
  return ShellDefaultProc(window, WM_ACTIVATEAPP, wParam, lParam);
}

}  // namespace

GlSurfaceState& GlSurface() { return g_surface; }

void ResetGlSurface(GlSurfaceState& surface) { surface = GlSurfaceState{nullptr, nullptr, 0}; }

GlSurfaceCalls& GlSurfacePlatform() { return g_calls; }

void ResetGlSurfacePlatform(GlSurfaceCalls& calls) {
  calls = GlSurfaceCalls{&::ChoosePixelFormat, &::SetPixelFormat, &::DescribePixelFormat,
                         &::wglCreateContext,  &::wglMakeCurrent, &::wglDeleteContext};
}

PIXELFORMATDESCRIPTOR SaverPixelFormatRequest() {
  PIXELFORMATDESCRIPTOR request{};
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = 32;
  request.iLayerType = PFD_MAIN_PLANE;
  return request;
}

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    HANDLE_MSG(window, WM_CREATE, OnCreate);
    HANDLE_MSG(window, WM_DESTROY, OnDestroy);
    HANDLE_MSG(window, WM_SIZE, OnSize);
    HANDLE_MSG(window, WM_TIMER, OnTimer);
    case WM_ERASEBKGND:
      return OnEraseBackground(window, wParam, lParam);
    case WM_ACTIVATEAPP:
      return OnActivateApp(window, wParam, lParam);
    default:
      return ShellDefaultProc(window, message, wParam, lParam);
  }
}

}  // namespace morv
