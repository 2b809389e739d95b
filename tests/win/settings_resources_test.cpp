// The saver's resources as linked into a program: every template, image and string with
// the numbers, sizes, styles and language the saver and its dialogs rely on.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "settings_win_test_support.h"

namespace {

using morv_test::DialogItem;
using morv_test::DialogTemplate;

constexpr WORD Polish = MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT);

HMODULE Self() { return GetModuleHandleA(nullptr); }

// Predefined control classes may be stored by name or by their ordinal.
std::string ClassOf(const DialogItem& item) {
  if (item.className == "#128") return "BUTTON";
  if (item.className == "#130") return "STATIC";
  std::string upper = item.className;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

struct ExpectedItem {
  WORD id;
  const char* className;
  const char* text;
  DWORD style;
  short x, y, cx, cy;
};

void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
  ASSERT_EQ(dialog.items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const DialogItem& item = dialog.items[i];
    const ExpectedItem& want = expected[i];
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(item.id, want.id);
    EXPECT_EQ(ClassOf(item), want.className);
    EXPECT_EQ(item.text, want.text);
    EXPECT_EQ(item.style, want.style);
    EXPECT_EQ(item.exStyle, 0u);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);
  }
}

TEST(SaverResources, ProgressDialogTemplate) {
  const DialogTemplate dialog = morv_test::ReadDialogTemplate(Self(), MAKEINTRESOURCEA(IDD_PROGRESS));
  ASSERT_TRUE(dialog.found);
  EXPECT_EQ(dialog.language, Polish);
  EXPECT_EQ(dialog.style, DWORD{WS_POPUP | WS_BORDER | DS_CENTER | DS_SETFONT | DS_SYSMODAL});
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 184);
  EXPECT_EQ(dialog.cy, 71);
  EXPECT_EQ(dialog.caption, "");
  EXPECT_EQ(dialog.menu, "");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  const DWORD text = WS_CHILD | WS_VISIBLE | WS_GROUP;
  ExpectItems(dialog, {
      {0xFFFF, "STATIC", "Initializing... Please wait...", text | SS_CENTER, 7, 7, 173, 8},
      {IDC_VERTICAL_STATUS, "STATIC", "Computed depth 0 of <unknown> for vertical fern.", text | SS_LEFT, 7, 32,
       157, 8},
      {IDC_HORIZONTAL_STATUS, "STATIC", "Computed depth 0 of <unknown> for horizontal fern.", text | SS_LEFT, 7,
       49, 165, 8},
  });
}

TEST(SaverResources, ConfigurationDialogTemplate) {
  const DialogTemplate dialog = morv_test::ReadDialogTemplate(Self(), MAKEINTRESOURCEA(IDD_CONFIG));
  ASSERT_TRUE(dialog.found);
  EXPECT_EQ(dialog.language, Polish);
  EXPECT_EQ(dialog.style, DWORD{WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SYSMODAL | DS_SETFONT});
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, 51);
  EXPECT_EQ(dialog.y, 25);
  EXPECT_EQ(dialog.cx, 142);
  EXPECT_EQ(dialog.cy, 79);
  EXPECT_EQ(dialog.caption, "Morvessantique");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  const DWORD shown = WS_CHILD | WS_VISIBLE;
  ExpectItems(dialog, {
      {IDOK, "BUTTON", "OK", shown | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_BITMAP, 89, 57, 46, 15},
      {0xFFFF, "STATIC", "#100", shown | SS_ICON, 7, 7, 20, 20},
      {0xFFFF, "STATIC", "#108", shown | SS_BITMAP, 31, 7, 80, 17},
      {0xFFFF, "STATIC", "#109", shown | SS_BITMAP, 7, 26, 124, 12},
      {0xFFFF, "STATIC", "#111", shown | SS_BITMAP, 18, 40, 99, 11},
      {IDC_FAST_MADNESS, "BUTTON", "Fast Madness", shown | WS_TABSTOP | BS_AUTOCHECKBOX | BS_FLAT, 7, 62, 58, 10},
  });
}

TEST(SaverResources, BitmapsAreOneBitPerPixelAtTheirSizes) {
  struct Case {
    int id;
    LONG width, height;
  };
  const Case cases[] = {{IDB_OK_BUTTON, 61, 29}, {IDB_TITLE, 120, 27}, {IDB_COPYRIGHT, 186, 20},
                        {IDB_WEB_ADDRESS, 148, 18}};
  for (const Case& c : cases) {
    SCOPED_TRACE("bitmap " + std::to_string(c.id));
    HRSRC info = FindResourceA(Self(), MAKEINTRESOURCEA(c.id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(morv_test::OnlyLanguageOf(Self(), MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(c.id)), Polish);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Self(), info)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, c.width);
    EXPECT_EQ(header->biHeight, c.height);
    EXPECT_EQ(header->biBitCount, 1);
    EXPECT_EQ(header->biCompression, DWORD{BI_RGB});
    // Black on white: the two palette entries are black and white.
    const auto* palette = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    EXPECT_EQ(palette[0].rgbRed + palette[0].rgbGreen + palette[0].rgbBlue, 0);
    EXPECT_EQ(palette[1].rgbRed + palette[1].rgbGreen + palette[1].rgbBlue, 3 * 255);
    HBITMAP bitmap = LoadBitmapA(Self(), MAKEINTRESOURCEA(c.id));
    ASSERT_NE(bitmap, nullptr);
    BITMAP loaded = {};
    GetObjectA(bitmap, sizeof loaded, &loaded);
    EXPECT_EQ(loaded.bmWidth, c.width);
    EXPECT_EQ(loaded.bmHeight, c.height);
    DeleteObject(bitmap);
  }
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(SaverResources, IconHas32And16PixelImagesOf16Colours) {
  HRSRC info = FindResourceA(Self(), MAKEINTRESOURCEA(IDI_MORVESSANTIQUE), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(morv_test::OnlyLanguageOf(Self(), MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_MORVESSANTIQUE)),
            Polish);
  const auto* words = static_cast<const WORD*>(LockResource(LoadResource(Self(), info)));
  ASSERT_NE(words, nullptr);
  ASSERT_EQ(words[1], 1);  // icons
  ASSERT_EQ(words[2], 2);  // two images
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(words + 3);
  EXPECT_EQ(entries[0].width, 32);
  EXPECT_EQ(entries[0].height, 32);
  EXPECT_EQ(entries[1].width, 16);
  EXPECT_EQ(entries[1].height, 16);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(entries[i].colourCount, 16);
    EXPECT_EQ(entries[i].bitCount, 4);
    EXPECT_EQ(morv_test::OnlyLanguageOf(Self(), MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(entries[i].id)), Polish);
  }
  EXPECT_NE(LoadIconA(Self(), MAKEINTRESOURCEA(IDI_MORVESSANTIQUE)), nullptr);
}

TEST(SaverResources, StringOneIsTheSaversName) {
  char name[64] = {};
  ASSERT_EQ(LoadStringA(Self(), IDS_SAVER_NAME, name, sizeof name), 14);
  EXPECT_STREQ(name, "Morvessantique");
  // Strings live in blocks of 16: string 1 is in block 1.
  EXPECT_EQ(morv_test::OnlyLanguageOf(Self(), MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1)), Polish);
}

struct Inventory {
  std::vector<WORD> languages;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR lParam) {
  reinterpret_cast<Inventory*>(lParam)->languages.push_back(language);
  return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR lParam) {
  EnumResourceLanguagesA(module, type, name, &AddLanguage, lParam);
  return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR lParam) {
  EnumResourceNamesA(module, type, &AddName, lParam);
  return TRUE;
}

TEST(SaverResources, EveryResourceIsPolish) {
  Inventory inventory;
  EnumResourceTypesA(Self(), &AddType, reinterpret_cast<LONG_PTR>(&inventory));
  // 2 dialogs, 4 bitmaps, 1 icon group and its 2 icons, 1 string block.
  EXPECT_EQ(inventory.languages.size(), 10u);
  for (WORD language : inventory.languages) {
    EXPECT_EQ(language, Polish);
  }
}

}  // namespace
