#include "fern_saver_proc.h"

#include <windowsx.h>

#include <GL/gl.h>

#include "animation.h"
#include "close_policy.h"
#include "debug_note.h"
#include "displays.h"
#include "fast_madness.h"
#include "fern_start.h"
#include "gl_sink.h"
#include "gl_surface.h"
#include "monitor_ferns.h"
#include "progress_dialog.h"

namespace morv {
namespace {

GlSurfaceState g_surface{};
const GlSurfaceCalls PlatformGlCalls{&::ChoosePixelFormat, &::SetPixelFormat,
                                     &::DescribePixelFormat, &::wglCreateContext,
                                     &::wglMakeCurrent,      &::wglDeleteContext};
GlSurfaceCalls g_calls = PlatformGlCalls;

const char ErrorCaption[] = "Error";

// A run is under way on this thread; a WM_DESTROY answered inside it (a
// preview's host destroyed) leaves the ferns and the sink to the run's end.
bool g_runUnderWay = false;
bool g_releaseAfterRun = false;

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
  surface.bitsPerPixel = GetDeviceCaps(surface.deviceContext, BITSPIXEL) *
                         GetDeviceCaps(surface.deviceContext, PLANES);
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

// The window's client size, and where its pictures go on the monitors now:
// one per monitor. Windows 95 and NT 4.0 cannot list monitors, and a child
// window (the preview) has its parent's place, not monitors: the whole client
// area is then the one picture. So it is when the list fills every slot, as
// more monitors may follow unlisted and part of a list is no list.
MonitorLayout LayoutNow(HWND window) {
  RECT area{0, 0, 0, 0};
  if (!GetClientRect(window, &area)) area = RECT{0, 0, 0, 0};  // no area: nothing is drawn
  POINT origin{0, 0};
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 || !ClientToScreen(window, &origin)) {
    return PlaceMonitors(PixelRect{0, 0, area.right, area.bottom}, nullptr, 0);
  }
  PixelRect monitors[MaxListedMonitors];
  int count = DisplayPlatform().monitors(monitors, MaxListedMonitors);
  if (count >= MaxListedMonitors) count = 0;
  const PixelRect client{origin.x, origin.y, origin.x + area.right, origin.y + area.bottom};
  return PlaceMonitors(client, monitors, count);
}

// Always TRUE for the cracker: a failed set-up has already destroyed the window.
BOOL OnCreate(HWND window, LPCREATESTRUCTA) {
  const bool fastMadness = ReadFastMadness() != 0;
  const MonitorLayout layout = LayoutNow(window);
  GlSurfaceState& surface = GlSurface();
  if (!MakeGlSurface(window, surface)) return TRUE;
  // Nothing computed yet for this window: its first erase makes the run due.
  MonitorFerns& ferns = SaverMonitorFerns();
  SetUpMonitorFerns(ferns, layout, fastMadness);
  // Without a timer the window still shows its first erase; there is just no animation.
  surface.timerId = SetTimer(window, AnimationTimerId,
                             static_cast<UINT>(TickIntervalMs(fastMadness)), nullptr);
  return TRUE;
}

void OnSize(HWND, UINT, int, int) {
  // The size recorded with the layout is the one the drawing maps to.
  const PictureSize& client = SaverMonitorFerns().layout.client;
  glViewport(0, 0, client.width, client.height);
}

void OnDestroy(HWND window) {
  if (g_runUnderWay) {
    AbortComputation();
    g_releaseAfterRun = true;
  } else {
    FreeMonitorFerns(SaverMonitorFerns());
    SaverGlSink().Release();
  }
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

// Each picture in turn, inside its own rectangle; pictures of one size draw
// the same ferns from the same store.
void OnTimer(HWND, UINT) {
  GlSink& sink = SaverGlSink();
  MonitorFerns& ferns = SaverMonitorFerns();
  const MonitorLayout& layout = ferns.layout;
  for (int i = 0; i < layout.count; ++i) {
    const MonitorPlace& place = layout.places[i];
    sink.Region(place.x, place.y, place.width, place.height, layout.client.height);
    AnimationTick(ferns.animations[i], ferns.stores[place.size], sink);
  }
}

PrecomputeResult ComputeForWindow(void*, const ProgressPort& port) {
  return StartMonitorFerns(SaverMonitorFerns(), SaverGlSink(), port, Progress());
}

}  // namespace

GlSurfaceState& GlSurface() { return g_surface; }

void ResetGlSurface(GlSurfaceState& surface) { surface = GlSurfaceState{nullptr, nullptr, 0, 0}; }

GlSurfaceCalls& GlSurfacePlatform() { return g_calls; }

void ResetGlSurfacePlatform(GlSurfaceCalls& calls) { calls = PlatformGlCalls; }

bool FollowDisplays(HWND window, const DisplayChange& change) {
  MonitorFerns& ferns = SaverMonitorFerns();
  const MonitorLayout next = LayoutNow(window);
  if (!change.announced && SameLayout(next, ferns.layout)) return false;  // nothing new yet
  FollowLayout(ferns, next);
  OnSize(window, SIZE_RESTORED, 0, 0);
  // Everything starts from black: the erase clears the window.
  InvalidateRect(window, nullptr, TRUE);
  return true;
}

bool ComputeLackingFerns() {
  MonitorFerns& ferns = SaverMonitorFerns();
  if (!LacksFerns(ferns)) return false;  // the pictures have started on what they keep
  // A new run: an abort of an earlier one does not stop it.
  Progress().abortFlag.store(0, std::memory_order_release);
  // The window's middle is the dialog's on a window with one picture; over
  // several monitors the dialog is centred on one of them.
  const MonitorLayout& layout = ferns.layout;
  g_runUnderWay = true;
  RunWithProgressDialog(layout.client.width, layout.client.height,
                        DialogComputation{nullptr, &ComputeForWindow},
                        layout.count > 1 ? ProgressRecentre::DialogMiddle
                                         : ProgressRecentre::WindowMiddle);
  g_runUnderWay = false;
  if (g_releaseAfterRun) {
    g_releaseAfterRun = false;
    FreeMonitorFerns(SaverMonitorFerns());
    SaverGlSink().Release();
  }
  return Progress().abortFlag.load(std::memory_order_acquire) != 0;
}

void AbortComputation() { Progress().abortFlag.store(1, std::memory_order_release); }

int SurfaceBitsPerPixel() { return GlSurface().bitsPerPixel; }

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
    default:
      return ShellDefaultProc(window, message, wParam, lParam);
  }
}

}  // namespace morv
