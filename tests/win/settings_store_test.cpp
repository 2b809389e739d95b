// The "Fast Madness" setting against the real (Wine) registry.
#include "fast_madness.h"

#include <gtest/gtest.h>

#include "settings_win_test_support.h"

namespace {

using morv::ReadFastMadness;
using morv::WriteFastMadness;
using morv_test::CreateSettingKeyOnly;
using morv_test::ReadStoredValue;
using morv_test::SettingKeyExists;
using morv_test::StoredValue;
using morv_test::StoreValue;

class SettingsStore : public testing::Test {
 protected:
  morv_test::ScratchSetting scratch_;
};

void ExpectStored(DWORD type, std::vector<BYTE> data) {
  const StoredValue stored = ReadStoredValue();
  ASSERT_TRUE(stored.exists);
  EXPECT_EQ(stored.type, type);
  EXPECT_EQ(stored.data, data);
}

TEST_F(SettingsStore, ReadsOffWithoutKey) {
  ASSERT_FALSE(SettingKeyExists());
  EXPECT_EQ(ReadFastMadness(), 0);
}

TEST_F(SettingsStore, ReadsOffWhenKeyHasNoValue) {
  CreateSettingKeyOnly();
  EXPECT_EQ(ReadFastMadness(), 0);
}

TEST_F(SettingsStore, ReadsOneByteValuesByTheirByteWhateverTheType) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    int expected;
  };
  const Case cases[] = {
      {"binary 0x00", REG_BINARY, {0x00}, 0},
      {"binary 0x01", REG_BINARY, {0x01}, 1},
      {"binary 0xFF", REG_BINARY, {0xFF}, 1},
      {"binary 0x05", REG_BINARY, {0x05}, 1},
      {"REG_NONE 0x01", REG_NONE, {0x01}, 1},
  };
  for (const Case& c : cases) {
    StoreValue(c.type, c.data);
    EXPECT_EQ(ReadFastMadness(), c.expected) << c.what;
  }
}

TEST_F(SettingsStore, ReadsOffWhenValueIsLongerThanOneByte) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Case cases[] = {
      {"four-byte number 1", REG_DWORD, {0x01, 0x00, 0x00, 0x00}},
      {"two bytes 0x01 0x01", REG_BINARY, {0x01, 0x01}},
      {"string \"1\"", REG_SZ, {'1', 0x00}},
  };
  for (const Case& c : cases) {
    StoreValue(c.type, c.data);
    EXPECT_EQ(ReadFastMadness(), 0) << c.what;
  }
}

TEST_F(SettingsStore, ReadsOffWhenValueHoldsNoBytes) {
  StoreValue(REG_BINARY, {});
  ASSERT_TRUE(ReadStoredValue().exists);
  EXPECT_EQ(ReadFastMadness(), 0);
}

TEST_F(SettingsStore, WritingOnWithoutKeyCreatesOneBinaryByte) {
  EXPECT_EQ(WriteFastMadness(1), 0);
  ExpectStored(REG_BINARY, {0x01});
  EXPECT_EQ(ReadFastMadness(), 1);
}

TEST_F(SettingsStore, WritingOffWhileOnStoresAZeroByte) {
  StoreValue(REG_BINARY, {0x01});
  EXPECT_EQ(WriteFastMadness(0), 0);
  ExpectStored(REG_BINARY, {0x00});
  EXPECT_EQ(ReadFastMadness(), 0);
}

TEST_F(SettingsStore, WritingOffWithoutKeyCreatesNothing) {
  EXPECT_EQ(WriteFastMadness(0), 0);
  EXPECT_FALSE(SettingKeyExists());
}

TEST_F(SettingsStore, WritingWhatAlreadyReadsLeavesTheStoredBytesAlone) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    int request;
  };
  const Case cases[] = {
      {"on over 0x05", REG_BINARY, {0x05}, 1},
      {"on over REG_NONE 0x01", REG_NONE, {0x01}, 1},
      {"off over a four-byte number 1", REG_DWORD, {0x01, 0x00, 0x00, 0x00}, 0},
      {"off over 0x00", REG_BINARY, {0x00}, 0},
      {"off over an empty value", REG_BINARY, {}, 0},
  };
  for (const Case& c : cases) {
    StoreValue(c.type, c.data);
    EXPECT_EQ(WriteFastMadness(c.request), 0) << c.what;
    ExpectStored(c.type, c.data);
  }
}

TEST_F(SettingsStore, WritingOnOverALongerValueReplacesItWithOneByte) {
  StoreValue(REG_DWORD, {0x01, 0x00, 0x00, 0x00});
  EXPECT_EQ(WriteFastMadness(1), 0);
  ExpectStored(REG_BINARY, {0x01});
}

TEST_F(SettingsStore, OnlyTheLowByteOfTheRequestCounts) {
  // 0x100 has a zero low byte: it means off, and off already reads.
  EXPECT_EQ(WriteFastMadness(0x100), 0);
  EXPECT_FALSE(SettingKeyExists());
  // 0x201 stores the byte 0x01.
  EXPECT_EQ(WriteFastMadness(0x201), 0);
  ExpectStored(REG_BINARY, {0x01});
}

// A non-volatile key cannot be created under a volatile one: the platform refuses with
// ERROR_CHILD_MUST_BE_VOLATILE, whatever the caller's rights.
TEST_F(SettingsStore, WriteFailsWithMinusOneWhenTheKeyCannotBeCreated) {
  HKEY parent = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, morv_test::QuillaneKeyPath(), 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(parent);

  EXPECT_EQ(WriteFastMadness(1), -1);
  EXPECT_FALSE(SettingKeyExists());
  EXPECT_EQ(ReadFastMadness(), 0);
}

// An existing key that may be read but not written to: opening it with KEY_WRITE is
// denied, so the write fails at the open and the stored byte stays as it was.
TEST_F(SettingsStore, WriteFailsWithMinusOneWhenWritingToTheKeyIsDenied) {
  StoreValue(REG_BINARY, {0x00});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, morv_test::SettingKeyPath(), 0, WRITE_DAC, &key),
            ERROR_SUCCESS);
  // Everyone may read; nobody may set values or create subkeys.
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
  BYTE aclBuffer[256];
  PACL acl = reinterpret_cast<PACL>(aclBuffer);
  ASSERT_TRUE(InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
  ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | WRITE_DAC | DELETE, everyone));
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
  const LONG secured = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  RegCloseKey(key);
  FreeSid(everyone);
  ASSERT_EQ(secured, ERROR_SUCCESS);

  // The denial itself is in force (the platform checks key security).
  HKEY probe = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, morv_test::SettingKeyPath(), 0, KEY_WRITE, &probe),
            ERROR_ACCESS_DENIED);

  EXPECT_EQ(WriteFastMadness(1), -1);
  ExpectStored(REG_BINARY, {0x00});
  EXPECT_EQ(ReadFastMadness(), 0);
}

TEST_F(SettingsStore, EveryReadSeesTheLatestStoredValue) {
  EXPECT_EQ(ReadFastMadness(), 0);
  StoreValue(REG_BINARY, {0x01});
  EXPECT_EQ(ReadFastMadness(), 1);
  StoreValue(REG_BINARY, {0x00});
  EXPECT_EQ(ReadFastMadness(), 0);
}

}  // namespace
