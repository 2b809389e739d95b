// The saver's command line: the tail after the program name and the switch grammar.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "command_line.h"

namespace morv {
namespace {

// A stand-in for a multi-byte code page: a byte of 0x80 or above leads a
// two-byte character (never stepping past the end of the text).
const char* StepLeadBytePairs(const char* p) {
  if (*p == '\0') return p;
  if (static_cast<unsigned char>(*p) >= 0x80 && p[1] != '\0') return p + 2;
  return p + 1;
}

struct TailCase {
  const char* commandLine;
  const char* tail;
};

TEST(CommandTail, ProgramNameAndBlanksAreCutOff) {
  const TailCase cases[] = {
      {"Morvessantique.scr /s", "/s"},
      {"Morvessantique.scr", ""},
      {"Morvessantique.scr    ", ""},
      {"Morvessantique.scr \t /c:5", "/c:5"},
      {"\"C:\\Program Files\\Saver\\Morvessantique.scr\" /p 12", "/p 12"},
      {"\"C:\\My Savers\\M.scr\"/s", "/s"},
      {"\"\" /s", "/s"},
      {"   /s", "/s"},
      {"", ""},
      {"M\xe9lange.scr -s", "-s"},
      {"M.scr /s  trailing text", "/s  trailing text"},
  };
  for (const TailCase& c : cases) {
    EXPECT_STREQ(ExtractCommandTail(c.commandLine, StepOneByte), c.tail) << c.commandLine;
  }
}

TEST(CommandTail, UnclosedQuoteLeavesAnEmptyTail) {
  EXPECT_STREQ(ExtractCommandTail("\"C:\\Savers\\M.scr /s", StepOneByte), "");
  EXPECT_STREQ(ExtractCommandTail("\"", StepOneByte), "");
}

TEST(CommandTail, ProgramNameIsSteppedWithTheGivenStep) {
  // The second byte of the pair is a quote: a multi-byte step walks over it,
  // a one-byte step takes it for the closing quote.
  const char* line = "\"\x81\"name.scr\" /s";
  EXPECT_STREQ(ExtractCommandTail(line, StepLeadBytePairs), "/s");
  EXPECT_STREQ(ExtractCommandTail(line, StepOneByte), "name.scr\" /s");
  // Unquoted: the pair's second byte is a space, which ends a one-byte name.
  const char* unquoted = "M\x81 .scr /p 7";
  EXPECT_STREQ(ExtractCommandTail(unquoted, StepLeadBytePairs), "/p 7");
  EXPECT_STREQ(ExtractCommandTail(unquoted, StepOneByte), ".scr /p 7");
}

struct HandleCase {
  const char* text;
  std::uint32_t value;
};

TEST(ParseWindowHandle, ReadsDigitsUntilTheFirstOtherByte) {
  const HandleCase cases[] = {
      {"", 0},           {"0", 0},
      {"123", 123},      {"007", 7},
      {"123abc", 123},   {"12 34", 12},
      {" 12", 0},        {"+5", 0},
      {"-5", 0},         {":5", 0},
      {"abc", 0},        {"12\xb3" "4", 12},
      {"4294967295", 0xFFFFFFFFu},
      {"4294967296", 0}, {"4294967297", 1},
      {"99999999999", 1215752191u},  // 99999999999 mod 2^32
  };
  for (const HandleCase& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.value) << c.text;
}

struct ModeCase {
  const char* tail;
  bool onWin9x;
  bool runs;
  SaverMode mode;
  std::uint32_t handle;  // Preview, ChangePassword: parsed handle text; Configure: owner
  bool ownerFallsBack;
};

std::string Describe(const ModeCase& c) {
  return std::string("tail \"") + c.tail + "\"" + (c.onWin9x ? " on 9x" : " on NT");
}

void ExpectDecision(const ModeCase& c) {
  const ModeDecision d = DecideMode(c.tail, c.onWin9x);
  ASSERT_EQ(d.runs, c.runs) << Describe(c);
  if (!c.runs) return;
  ASSERT_EQ(d.mode, c.mode) << Describe(c);
  switch (c.mode) {
    case SaverMode::Preview:
    case SaverMode::ChangePassword:
      ASSERT_NE(d.handleText, nullptr) << Describe(c);
      EXPECT_EQ(ParseWindowHandle(d.handleText), c.handle) << Describe(c);
      break;
    case SaverMode::Configure:
      EXPECT_EQ(d.owner, c.handle) << Describe(c);
      EXPECT_EQ(d.ownerFallsBack, c.ownerFallsBack) << Describe(c);
      break;
    case SaverMode::FullScreen:
      break;
  }
}

constexpr bool NT = false;
constexpr bool Win9x = true;
constexpr SaverMode Cfg = SaverMode::Configure;
constexpr SaverMode Prev = SaverMode::Preview;
constexpr SaverMode Full = SaverMode::FullScreen;
constexpr SaverMode Pwd = SaverMode::ChangePassword;

TEST(DecideMode, NoSwitchConfiguresWithoutOwner) {
  const ModeCase cases[] = {
      {"", NT, true, Cfg, 0, false},
      {"    ", NT, true, Cfg, 0, false},
      {"/", NT, true, Cfg, 0, false},
      {"- /", NT, true, Cfg, 0, false},
      {"--//  -", Win9x, true, Cfg, 0, false},
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, SRunsFullScreenAndIgnoresTheRest) {
  const ModeCase cases[] = {
      {"/s", NT, true, Full, 0, false},   {"-S", NT, true, Full, 0, false},
      {"s", NT, true, Full, 0, false},    {"/s 4711", NT, true, Full, 0, false},
      {"/s /p 12", NT, true, Full, 0, false}, {"- / -/s", Win9x, true, Full, 0, false},
      {"/sabc", NT, true, Full, 0, false},
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, PAndLPreviewWithTheHandleAfterSpaces) {
  const ModeCase cases[] = {
      {"/p 4711", NT, true, Prev, 4711, false},
      {"/p4711", NT, true, Prev, 4711, false},
      {"/P      4711", NT, true, Prev, 4711, false},
      {"/l 4711", NT, true, Prev, 4711, false},
      {"-L4711", Win9x, true, Prev, 4711, false},
      {"p 4711 junk", NT, true, Prev, 4711, false},
      {"/p 99999999999", NT, true, Prev, 1215752191u, false},  // wraps modulo 2^32
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, PreviewWithoutUsableDigitsGivesHandleZero) {
  // Handle 0 makes the preview runner answer -1 without showing anything.
  const ModeCase cases[] = {
      {"/p", NT, true, Prev, 0, false},
      {"/p 0", NT, true, Prev, 0, false},
      {"/p:4711", NT, true, Prev, 0, false},  // ':' stops the number at once
      {"/p abc", NT, true, Prev, 0, false},
      {"/p\t4711", NT, true, Prev, 0, false},  // only spaces are skipped
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, CConfiguresWithOwnerOnlyRightAfterAColon) {
  const ModeCase cases[] = {
      {"/c:4711", NT, true, Cfg, 4711, true},
      {"/C:4711 more", NT, true, Cfg, 4711, true},
      {"/c 4711", NT, true, Cfg, 0, true},
      {"/c: 4711", NT, true, Cfg, 0, true},
      {"/c", NT, true, Cfg, 0, true},
      {"c:", Win9x, true, Cfg, 0, true},
      {"/c:abc", NT, true, Cfg, 0, true},
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, AChangesThePasswordOnlyOnWin9x) {
  const ModeCase cases[] = {
      {"/a 4711", Win9x, true, Pwd, 4711, false},
      {"/A4711", Win9x, true, Pwd, 4711, false},
      {"/a", Win9x, true, Pwd, 0, false},
      {"/a 4711", NT, false, Cfg, 0, false},
      {"/a", NT, false, Cfg, 0, false},
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, AnyOtherFirstByteIsUnusable) {
  const ModeCase cases[] = {
      {"/x", NT, false, Cfg, 0, false},
      {"/\ts", NT, false, Cfg, 0, false},   // a tab is not a separator
      {"\ts", Win9x, false, Cfg, 0, false},
      {"\x80", NT, false, Cfg, 0, false},
      {"/\xd3", Win9x, false, Cfg, 0, false},
      {"/1", NT, false, Cfg, 0, false},
      {"/:s", NT, false, Cfg, 0, false},
      {"/\x01", NT, false, Cfg, 0, false},
  };
  for (const ModeCase& c : cases) ExpectDecision(c);
}

TEST(DecideMode, HandleTextStartsAtTheDigits) {
  const char tail[] = "/p   12";
  const ModeDecision d = DecideMode(tail, false);
  EXPECT_EQ(d.handleText, tail + 5);
}

}  // namespace
}  // namespace morv
