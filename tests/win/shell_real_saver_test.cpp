// The shell with the saver's real window procedure (OpenGL surface, the
// precomputation beside its progress dialog, animation ticks) under Wine:
// start-up switches to a running saver, and real input ending it.
#include <gtest/gtest.h>

#include <string>

#include "saver_script.h"
#include "saver_window.h"
#include "shell_start.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;
using test::RunScripted;
using test::WaitUntil;

std::string Number(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

// Waits this long, counted in ticks of the script.
test::ScriptStep Pause(DWORD ms) {
  auto start = std::make_shared<DWORD>(0);
  return WaitUntil([start, ms](HWND) {
    if (*start == 0) *start = GetTickCount() | 1;
    return GetTickCount() - *start >= ms;
  });
}

class RealSaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(512, 384);
    test::PrepareShell(false);
  }
  void TearDown() override {
    test::CleanUpAfterRun();
    if (parent_ != nullptr && IsWindow(parent_)) DestroyWindow(parent_);
  }
  int Dispatch(const std::string& tail, std::vector<test::ScriptStep> steps) {
    return RunScripted([&tail] { return DispatchMode(GetModuleHandleA(nullptr), tail.c_str()); },
                       std::move(steps), &report_, 20, 60000);
  }
  test::ScriptReport report_;
  HWND parent_ = nullptr;
};

TEST_F(RealSaverTest, PreviewDrawsInsideItsParentAndSurvivesInput) {
  parent_ = test::CreateTestParent(152, 112);
  HWND parent = parent_;
  EXPECT_EQ(Dispatch("/p " + Number(parent),
                     {Do([parent](HWND saver) {
                        EXPECT_EQ(FindWindowExA(parent, nullptr, SaverClassName, PreviewTitle), saver);
                      }),
                      Pause(1500),
                      Do([](HWND saver) {
                        PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                        PostMessageA(saver, WM_LBUTTONDOWN, 0, 0);
                        PostMessageA(saver, WM_ACTIVATEAPP, 0, 0);
                        SetCursorPos(100, 100);
                      }),
                      Pause(500),
                      Do([parent](HWND saver) {
                        EXPECT_TRUE(IsWindow(saver));
                        DestroyWindow(parent);  // the platform ends a preview with its dialog
                      })}),
            0);
  EXPECT_EQ(report_.stepsRun, 5);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(RealSaverTest, FullScreenEndsOnAKeyPress) {
  EXPECT_EQ(Dispatch("/s", {Pause(2500), Do([](HWND saver) {
                              EXPECT_TRUE(IsWindow(saver));
                              PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
  EXPECT_FALSE(report_.watchdogFired);
}

TEST_F(RealSaverTest, FullScreenEndsWhenTheMouseReallyMoves) {
  EXPECT_EQ(Dispatch("/s", {Pause(2500), Do([](HWND saver) {
                              EXPECT_TRUE(IsWindow(saver));
                              POINT at;
                              GetCursorPos(&at);
                              SetCursorPos(at.x + 10, at.y);  // the display reports the move
                            })}),
            0);
  EXPECT_EQ(report_.stepsRun, 2);
  EXPECT_FALSE(report_.watchdogFired);
}

}  // namespace
}  // namespace morv
