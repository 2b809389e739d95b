// The password hooks off the Windows 9x family: this program runs with Wine's
// ordinary (NT family) version beside the stand-in PASSWORD.CPL and MPR.DLL,
// with the user's password setting on, and none of it may be touched.
#include <gtest/gtest.h>

#include "fern_saver_double.h"
#include "password_hooks.h"
#include "password_support.h"
#include "saver_script.h"
#include "saver_window.h"
#include "shell_start.h"
#include "shell_state.h"

namespace morv {
namespace {

using test::Do;

class PasswordNtFamilyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(test::PlatformIsWin9x());
    test::PrepareShell(false);
    test::SetUsePassword(1);
    test::SetSaverRunningHere(0);
    test::ResetFakeMpr();
  }
  void TearDown() override {
    test::CleanUpAfterRun();
    test::RemoveUsePassword();
  }
};

TEST_F(PasswordNtFamilyTest, FullScreenLoadsNoHookAndClosesWithoutACheck) {
  EXPECT_EQ(test::RunScripted([] { return RunSaverWindow(nullptr); },
                              {Do([](HWND saver) {
                                EXPECT_EQ(Shell().passwordModule, nullptr);
                                EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
                                EXPECT_EQ(test::SaverRunningHere(), FALSE);
                                EXPECT_EQ(Shell().autoPlayMessage, 0u);
                                PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0);
                              })}),
            0);
  EXPECT_EQ(test::TimesReceived(VerifyRequestMessage), 0);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
}

TEST_F(PasswordNtFamilyTest, HookOperationsDoNothing) {
  LoadPasswordHook();
  EXPECT_EQ(Shell().passwordModule, nullptr);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
  SetSaverRunning(1);
  EXPECT_EQ(test::SaverRunningHere(), FALSE);
  // Even a module that somehow sits in the record is left alone.
  HMODULE module = LoadLibraryA("PASSWORD.CPL");
  ASSERT_NE(module, nullptr);
  Shell().passwordModule = module;
  UnloadPasswordHook();
  EXPECT_EQ(Shell().passwordModule, module);
  Shell().passwordModule = nullptr;
  FreeLibrary(module);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
}

TEST_F(PasswordNtFamilyTest, ChangePasswordSwitchEndsWithMinusOneAndCallsNothing) {
  HWND owner = test::CreateTestParent(80, 60);
  EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), ("/a " + test::WindowNumber(owner)).c_str()), -1);
  EXPECT_EQ(test::FakeMprCalls(), 0);
  EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);
  DestroyWindow(owner);
}

TEST_F(PasswordNtFamilyTest, RequestPasswordChangeItselfDoesNotAskThePlatform) {
  // Start-up calls it only on the Windows 9x family; the operation does not check.
  HWND owner = test::CreateTestParent(80, 60);
  RequestPasswordChange(owner);
  EXPECT_EQ(test::FakeMprCalls(), 1);
  EXPECT_EQ(test::FakeMprLastCall(), "SCRSAVE|" + test::WindowNumber(owner) + "|0|0");
  DestroyWindow(owner);
}

}  // namespace
}  // namespace morv
