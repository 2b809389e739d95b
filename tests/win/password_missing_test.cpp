// Password components that are not all there, on the Windows 9x family: this
// program runs with Wine's Windows 98 version beside a PASSWORD.CPL that has
// no VerifyScreenSavePwd, and no MPR.DLL of its own.
#include <gtest/gtest.h>

#include <string>

#include "password_hooks.h"
#include "password_support.h"
#include "saver_script.h"
#include "saver_window.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;

class PasswordMissingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::PlatformIsWin9x())
        << "this program must run with Wine's Windows 98 version (ctest sets it up)";
    test::PrepareShell(true);
    test::SetUsePassword(1);
  }
  void TearDown() override {
    test::CleanUpAfterRun();
    test::RemoveUsePassword();
    test::SetSaverRunningHere(0);
  }
};

TEST_F(PasswordMissingTest, ModuleWithoutTheCheckIsFreedAtOnceAndTheRunningStateLeftAlone) {
  for (UINT before : {0u, 1u}) {
    test::SetSaverRunningHere(before);
    LoadPasswordHook();
    EXPECT_EQ(Shell().passwordModule, nullptr);
    EXPECT_EQ(Shell().verifyPassword, nullptr);
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_EQ(test::SaverRunningHere(), static_cast<BOOL>(before));
    UnloadPasswordHook();
    EXPECT_EQ(test::SaverRunningHere(), static_cast<BOOL>(before));
  }
}

TEST_F(PasswordMissingTest, ModuleThatCannotBeLoadedMeansNoHook) {
  const std::string here = test::BesideTestProgram("PASSWORD.CPL");
  const std::string away = here + ".away";
  ASSERT_TRUE(MoveFileA(here.c_str(), away.c_str()));
  LoadPasswordHook();
  EXPECT_EQ(Shell().passwordModule, nullptr);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);
  EXPECT_TRUE(MoveFileA(away.c_str(), here.c_str()));
}

TEST_F(PasswordMissingTest, SaverWithoutAHookClosesOnInputWithoutACheck) {
  EXPECT_EQ(test::RunScripted([] { return RunSaverWindow(nullptr); },
                              {Do([](HWND saver) {
                                EXPECT_EQ(Shell().passwordModule, nullptr);
                                PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                              })}),
            0);
  EXPECT_EQ(Shell().closeApproved, 1);
}

}  // namespace
}  // namespace morv
