// The Linux display mode's command line: options, window ids and their errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"

namespace morv {
namespace {

struct OptionsCase {
  std::vector<const char*> args;  // after the program name
  bool accepted;
  X11Target target;
  unsigned long windowId;
  bool fast;
  bool help;
  bool version;
  const char* error;  // a part of the reason, when refused
};

TEST(X11Options, TheGrammarTable) {
  const X11Target own = X11Target::OwnWindow;
  const X11Target root = X11Target::Root;
  const X11Target id = X11Target::WindowId;
  const OptionsCase cases[] = {
      {{}, true, own, 0, false, false, false, ""},
      {{"-root"}, true, root, 0, false, false, false, ""},
      {{"--root", "-fast"}, true, root, 0, true, false, false, ""},
      {{"-window-id", "0x1a00003"}, true, id, 0x1a00003, false, false, false, ""},
      {{"--window-id", "12", "--fast"}, true, id, 12, true, false, false, ""},
      {{"-window-id", "0XfFfFfFfF"}, true, id, 0xFFFFFFFFul, false, false, false, ""},
      {{"-window-id", "4294967295"}, true, id, 0xFFFFFFFFul, false, false, false, ""},
      // Given again: taken again, the last one winning.
      {{"-root", "-root"}, true, root, 0, false, false, false, ""},
      {{"-fast", "--fast"}, true, own, 0, true, false, false, ""},
      {{"-window-id", "5", "-window-id", "6"}, true, id, 6, false, false, false, ""},
      {{"-help"}, true, own, 0, false, true, false, ""},
      {{"-h", "-root"}, true, root, 0, false, true, false, ""},
      {{"--version"}, true, own, 0, false, false, true, ""},
      {{"-version"}, true, own, 0, false, false, true, ""},
      // Refused.
      {{"-root", "-window-id", "12"}, false, own, 0, false, false, false, "only one of"},
      {{"-window-id", "12", "--root"}, false, own, 0, false, false, false, "only one of"},
      {{"-window-id"}, false, own, 0, false, false, false, "needs a window id"},
      {{"-bogus"}, false, own, 0, false, false, false, "unknown option '-bogus'"},
      {{"root"}, false, own, 0, false, false, false, "unknown option"},
      {{"---root"}, false, own, 0, false, false, false, "unknown option"},
      {{"-Root"}, false, own, 0, false, false, false, "unknown option"},
      {{""}, false, own, 0, false, false, false, "unknown option"},
  };
  for (const OptionsCase& c : cases) {
    std::vector<const char*> argv{"morvessantique"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string line;
    for (const char* arg : c.args) line += std::string(" ") + arg;
    X11Options options;
    char error[X11ErrorTextChars];
    const bool accepted =
        ParseX11Options(static_cast<int>(argv.size()), argv.data(), &options, error);
    ASSERT_EQ(accepted, c.accepted) << line << ": " << error;
    if (!accepted) {
      EXPECT_NE(std::string(error).find(c.error), std::string::npos) << line << ": " << error;
      continue;
    }
    EXPECT_EQ(options.target, c.target) << line;
    if (c.target == X11Target::WindowId) {
      EXPECT_EQ(options.windowId, c.windowId) << line;
    }
    EXPECT_EQ(options.fast, c.fast) << line;
    EXPECT_EQ(options.help, c.help) << line;
    EXPECT_EQ(options.version, c.version) << line;
  }
}

TEST(X11Options, WindowIdsAreDecimalOrHexadecimalFromOneTo32Bits) {
  const struct {
    const char* text;
    bool accepted;
    unsigned long id;
  } cases[] = {
      {"1", true, 1},           {"007", true, 7},       {"0x1", true, 1},
      {"0xABCdef", true, 0xABCDEF},
      {"0", false, 0},          {"0x0", false, 0},      {"", false, 0},
      {"0x", false, 0},         {"4294967296", false, 0},
      {"0x100000000", false, 0},
      {"99999999999999999999999", false, 0},
      {"+5", false, 0},         {"-5", false, 0},       {" 5", false, 0},
      {"5 ", false, 0},         {"12abc", false, 0},    {"0x-1", false, 0},
      {"0x0x1", false, 0},      {"1f", false, 0},       {"0xg", false, 0},
  };
  for (const auto& c : cases) {
    unsigned long id = 0;
    EXPECT_EQ(ParseWindowId(c.text, &id), c.accepted) << "'" << c.text << "'";
    if (c.accepted) {
      EXPECT_EQ(id, c.id) << c.text;
    }
  }
}

}  // namespace
}  // namespace morv
