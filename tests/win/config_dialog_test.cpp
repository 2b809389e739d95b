// The configuration dialog, made from the real template 2003 and driven through messages
// from another thread, with the confirmation box answered by a CBT hook. The same file
// is also built against resources without bitmap 104 (MORV_WITHOUT_OK_BITMAP).
#include "config_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "fast_madness.h"
#include "resource_ids.h"
#include "settings_win_test_support.h"

namespace {

using morv_test::ItemText;
using morv_test::ModalDialogThread;
using morv_test::PressKey;
using morv_test::ReadStoredValue;
using morv_test::SettingKeyExists;
using morv_test::StoredValue;
using morv_test::StoreValue;

const char ConfirmText[] =
    "Setting this option will force screen saver to display ferns at 100 fps!\n"
    "This may not work under Windows 9x systems. Set option anyway?";

// Answers the box with the Enter key: its default button decides.
constexpr int PressEnter = -1;

// What the confirmation box looked like, and how the hook answered it.
struct ConfirmationBox {
  int answer = IDNO;
  int shown = 0;
  std::string caption;
  std::string text;
  HWND owner = nullptr;
  HWND dialog = nullptr;
  bool hasYes = false, hasNo = false, hasCancel = false;
  bool questionIcon = false;
};

// The hook runs on the dialog's thread; the test thread reads the record only after the
// click that raised the box has been handled, so no lock is needed.
ConfirmationBox* g_box = nullptr;

BOOL CALLBACK FindQuestionIcon(HWND child, LPARAM lParam) {
  if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == LoadIconA(nullptr, IDI_QUESTION)) {
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
  }
  return TRUE;
}

LRESULT CALLBACK AnswerConfirmation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && g_box != nullptr) {
    HWND window = reinterpret_cast<HWND>(wParam);
    const std::string caption = morv_test::WindowText(window);
    if (window != g_box->dialog && caption != "Morvessantique") {
      ConfirmationBox& box = *g_box;
      ++box.shown;
      box.caption = caption;
      box.text = ItemText(window, 0xFFFF);
      box.owner = GetWindow(window, GW_OWNER);
      box.hasYes = GetDlgItem(window, IDYES) != nullptr;
      box.hasNo = GetDlgItem(window, IDNO) != nullptr;
      box.hasCancel = GetDlgItem(window, IDCANCEL) != nullptr;
      EnumChildWindows(window, &FindQuestionIcon, reinterpret_cast<LPARAM>(&box.questionIcon));
      if (box.answer == PressEnter) {
        PressKey(window, VK_RETURN);
      } else {
        PostMessageA(window, WM_COMMAND, box.answer, 0);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR ShowConfigDialog() {
  HHOOK hook = SetWindowsHookExA(WH_CBT, &AnswerConfirmation, nullptr, GetCurrentThreadId());
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG), nullptr,
                                         morv::ConfigDialogProc, 0);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return result;
}

class ConfigDialog : public testing::Test {
 protected:
  void SetUp() override {
    morv::ResetConfigDialogState();
    g_box = &box_;
  }
  void TearDown() override {
    runner_.reset();
    g_box = nullptr;
    morv::ResetConfigDialogState();
  }

  // Opens the dialog; the test stops when it does not appear.
  HWND Open() {
    runner_.reset(new ModalDialogThread(&ShowConfigDialog));
    box_.dialog = runner_->WaitForDialog("Morvessantique");
    return box_.dialog;
  }

  HWND checkBox() const { return GetDlgItem(box_.dialog, IDC_FAST_MADNESS); }
  bool IsChecked() const { return SendMessageA(checkBox(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

  // A click on the check box, handled to its end (the confirmation included).
  void ClickCheckBox() {
    DWORD_PTR ignored = 0;
    ASSERT_NE(SendMessageTimeoutA(checkBox(), BM_CLICK, 0, 0, SMTO_NORMAL, morv_test::DialogWaitMs, &ignored), 0)
        << "the click was not handled in time";
  }

  INT_PTR WaitForEnd() {
    INT_PTR result = -100;
    EXPECT_TRUE(runner_->WaitForEnd(&result)) << "the dialog did not end";
    return result;
  }

  morv_test::ScratchSetting scratch_;
  ConfirmationBox box_;
  std::unique_ptr<ModalDialogThread> runner_;
};

void ExpectStored(DWORD type, std::vector<BYTE> data) {
  const StoredValue stored = ReadStoredValue();
  ASSERT_TRUE(stored.exists);
  EXPECT_EQ(stored.type, type);
  EXPECT_EQ(stored.data, data);
}

#ifndef MORV_WITHOUT_OK_BITMAP

TEST_F(ConfigDialog, OpensWithTheBoxShowingTheStoredSetting) {
  struct Case {
    const char* what;
    bool store;
    DWORD type;
    std::vector<BYTE> data;
    bool checked;
  };
  const Case cases[] = {
      {"nothing stored", false, REG_BINARY, {}, false},
      {"0x00", true, REG_BINARY, {0x00}, false},
      {"0x01", true, REG_BINARY, {0x01}, true},
      {"0xFF", true, REG_BINARY, {0xFF}, true},
      {"four-byte number 1", true, REG_DWORD, {0x01, 0x00, 0x00, 0x00}, false},
  };
  for (const Case& c : cases) {
    morv_test::DeleteKeyTree(HKEY_CURRENT_USER, morv_test::QuillaneKeyPath());
    if (c.store) StoreValue(c.type, c.data);
    ASSERT_NE(Open(), nullptr) << c.what;
    EXPECT_EQ(IsChecked(), c.checked) << c.what;
    PressKey(box_.dialog, VK_ESCAPE);
    EXPECT_EQ(WaitForEnd(), 1) << c.what;
  }
}

TEST_F(ConfigDialog, ClearingTheBoxStoresOffAtOnceWithoutAQuestion) {
  StoreValue(REG_BINARY, {0x01});
  ASSERT_NE(Open(), nullptr);
  ASSERT_TRUE(IsChecked());
  ClickCheckBox();
  EXPECT_FALSE(IsChecked());
  EXPECT_EQ(box_.shown, 0);
  ExpectStored(REG_BINARY, {0x00});
  PressKey(box_.dialog, VK_RETURN);
  EXPECT_EQ(WaitForEnd(), 1);
}

TEST_F(ConfigDialog, CheckingTheBoxAsksFirst) {
  ASSERT_NE(Open(), nullptr);
  ClickCheckBox();
  ASSERT_EQ(box_.shown, 1);
  EXPECT_EQ(box_.caption, "Dialog");
  EXPECT_EQ(box_.text, ConfirmText);
  EXPECT_EQ(box_.owner, box_.dialog);
  EXPECT_TRUE(box_.hasYes);
  EXPECT_TRUE(box_.hasNo);
  EXPECT_FALSE(box_.hasCancel);
  EXPECT_TRUE(box_.questionIcon);
}

TEST_F(ConfigDialog, EnterInTheQuestionMeansYes) {
  box_.answer = PressEnter;
  ASSERT_NE(Open(), nullptr);
  ClickCheckBox();
  EXPECT_EQ(box_.shown, 1);
  EXPECT_TRUE(IsChecked());
  ExpectStored(REG_BINARY, {0x01});
}

TEST_F(ConfigDialog, AnsweringYesStoresOnAndKeepsTheBoxChecked) {
  box_.answer = IDYES;
  ASSERT_NE(Open(), nullptr);
  ClickCheckBox();
  EXPECT_EQ(box_.shown, 1);
  EXPECT_TRUE(IsChecked());
  ExpectStored(REG_BINARY, {0x01});
  EXPECT_EQ(morv::ReadFastMadness(), 1);
}

TEST_F(ConfigDialog, AnsweringNoClearsTheBoxAndStoresNothing) {
  box_.answer = IDNO;
  ASSERT_NE(Open(), nullptr);
  ClickCheckBox();
  EXPECT_EQ(box_.shown, 1);
  EXPECT_FALSE(IsChecked());
  EXPECT_FALSE(SettingKeyExists());
}

TEST_F(ConfigDialog, ChangesGoBackAndForthAndEachIsStored) {
  box_.answer = IDYES;
  ASSERT_NE(Open(), nullptr);
  ClickCheckBox();
  ExpectStored(REG_BINARY, {0x01});
  ClickCheckBox();
  ExpectStored(REG_BINARY, {0x00});
  ClickCheckBox();
  ExpectStored(REG_BINARY, {0x01});
  EXPECT_EQ(box_.shown, 2);
}

// Every way of closing ends the dialog with 1, also right after a change, which stays.
TEST_F(ConfigDialog, EveryWayOfClosingEndsWithOneAndKeepsTheChange) {
  struct Case {
    const char* what;
    void (*close)(HWND dialog);
  };
  const Case cases[] = {
      {"OK button", [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
      {"Enter", [](HWND d) { PressKey(d, VK_RETURN); }},
      {"Escape", [](HWND d) { PressKey(d, VK_ESCAPE); }},
      {"WM_CLOSE", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }},
      {"another command", [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(4242, 0), 0); }},
      {"the check box's id with another notification",
       [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_FAST_MADNESS, BN_DOUBLECLICKED), 0); }},
  };
  box_.answer = IDYES;
  for (const Case& c : cases) {
    morv_test::DeleteKeyTree(HKEY_CURRENT_USER, morv_test::QuillaneKeyPath());
    ASSERT_NE(Open(), nullptr) << c.what;
    ClickCheckBox();
    c.close(box_.dialog);
    EXPECT_EQ(WaitForEnd(), 1) << c.what;
    ExpectStored(REG_BINARY, {0x01});
  }
}

TEST_F(ConfigDialog, OpeningAndClosingStoreNothing) {
  struct Case {
    const char* what;
    bool store;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Case cases[] = {
      {"nothing stored", false, REG_BINARY, {}},
      {"0x05", true, REG_BINARY, {0x05}},
      {"0x00", true, REG_BINARY, {0x00}},
      {"four-byte number 1", true, REG_DWORD, {0x01, 0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    morv_test::DeleteKeyTree(HKEY_CURRENT_USER, morv_test::QuillaneKeyPath());
    if (c.store) StoreValue(c.type, c.data);
    ASSERT_NE(Open(), nullptr) << c.what;
    PressKey(box_.dialog, VK_RETURN);
    EXPECT_EQ(WaitForEnd(), 1) << c.what;
    if (c.store) {
      ExpectStored(c.type, c.data);
    } else {
      EXPECT_FALSE(SettingKeyExists()) << c.what;
    }
  }
}

TEST_F(ConfigDialog, OkButtonShowsBitmap104UntilTheDialogCloses) {
  ASSERT_NE(Open(), nullptr);
  HBITMAP shown = reinterpret_cast<HBITMAP>(SendDlgItemMessageA(box_.dialog, IDOK, BM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown, morv::GetConfigDialogState().okButtonBitmap);
  BITMAP info = {};
  ASSERT_NE(GetObjectA(shown, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 61);
  EXPECT_EQ(info.bmHeight, 29);

  PostMessageA(box_.dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForEnd(), 1);
  EXPECT_EQ(GetObjectType(shown), 0u) << "the OK bitmap was not deleted";
  EXPECT_EQ(morv::GetConfigDialogState().okButtonBitmap, nullptr);
}

TEST_F(ConfigDialog, ASecondCloseRequestDeletesNothingMore) {
  ASSERT_NE(Open(), nullptr);
  // Both requests are queued before the first is handled.
  PostMessageA(box_.dialog, WM_CLOSE, 0, 0);
  PostMessageA(box_.dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForEnd(), 1);
  EXPECT_EQ(morv::GetConfigDialogState().okButtonBitmap, nullptr);
}

// A refused write is not reported: the box keeps the user's choice, the stored value its
// old byte, and the next opening shows the stored value again.
TEST_F(ConfigDialog, AFailedWriteIsNotReportedAndTheNextOpeningShowsWhatIsStored) {
  StoreValue(REG_BINARY, {0x00});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, morv_test::SettingKeyPath(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
  BYTE aclBuffer[256];
  PACL acl = reinterpret_cast<PACL>(aclBuffer);
  ASSERT_TRUE(InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
  ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | DELETE, everyone));
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
  ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
  RegCloseKey(key);
  FreeSid(everyone);

  box_.answer = IDYES;
  ASSERT_NE(Open(), nullptr);
  ClickCheckBox();
  EXPECT_EQ(box_.shown, 1);
  EXPECT_TRUE(IsChecked());
  ExpectStored(REG_BINARY, {0x00});
  PressKey(box_.dialog, VK_RETURN);
  EXPECT_EQ(WaitForEnd(), 1);

  ASSERT_NE(Open(), nullptr);
  EXPECT_FALSE(IsChecked());
  PressKey(box_.dialog, VK_ESCAPE);
  EXPECT_EQ(WaitForEnd(), 1);
}

#else  // MORV_WITHOUT_OK_BITMAP

TEST_F(ConfigDialog, WithoutBitmap104TheDialogStillOpensAndClosesCleanly) {
  ASSERT_EQ(FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_OK_BUTTON), MAKEINTRESOURCEA(2)),
            nullptr)
      << "this build must not contain bitmap 104";
  StoreValue(REG_BINARY, {0x01});
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(SendDlgItemMessageA(box_.dialog, IDOK, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(morv::GetConfigDialogState().okButtonBitmap, nullptr);
  EXPECT_EQ(ItemText(box_.dialog, IDOK), "OK");
  EXPECT_TRUE(IsChecked());

  // The check box works as ever.
  ClickCheckBox();
  ExpectStored(REG_BINARY, {0x00});

  PressKey(box_.dialog, VK_RETURN);
  EXPECT_EQ(WaitForEnd(), 1);
  EXPECT_EQ(morv::GetConfigDialogState().okButtonBitmap, nullptr);
}

#endif  // MORV_WITHOUT_OK_BITMAP

}  // namespace
