// A fixture for scripted runs of RunSaverWindow: full screen, or a preview
// inside a test parent. Each run ends by destroying the saver window.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <windows.h>

#include "saver_script.h"
#include "saver_window.h"

namespace morv::test {

class SaverRunTest : public ::testing::Test {
 protected:
  SaverRunTest(POINT cursorStart, SIZE previewParent)
      : cursorStart_(cursorStart), previewParent_(previewParent) {}

  void SetUp() override {
    SetCursorPos(cursorStart_.x, cursorStart_.y);
    PrepareShell(false);
  }
  void TearDown() override {
    CleanUpAfterRun();
    if (parent_ != nullptr) DestroyWindow(parent_);
  }

  int RunFullScreen(std::vector<ScriptStep> steps) {
    steps.push_back(Do([](HWND saver) { DestroyWindow(saver); }));
    return RunScripted([] { return RunSaverWindow(nullptr); }, std::move(steps), &report_);
  }
  int RunPreview(std::vector<ScriptStep> steps) {
    parent_ = CreateTestParent(previewParent_.cx, previewParent_.cy);
    steps.push_back(Do([](HWND saver) { DestroyWindow(saver); }));
    HWND parent = parent_;
    return RunScripted([parent] { return RunSaverWindow(parent); }, std::move(steps), &report_);
  }

  ScriptReport report_;
  HWND parent_ = nullptr;

 private:
  POINT cursorStart_;
  SIZE previewParent_;
};

}  // namespace morv::test
