// The Linux display mode's command line: options, window ids and their errors.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "options.h"

namespace morv {
namespace {

// Parses the words of `line` and tells what came of them: "own", "root" or
// "id N", then " fast", " help", " version"; or "error: " and the reason.
std::string Outcome(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word == "''" ? "" : word);
  std::vector<const char*> argv{"morvessantique"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  X11Options o;
  char error[X11ErrorTextChars];
  if (!ParseX11Options(static_cast<int>(argv.size()), argv.data(), &o, error)) {
    return std::string("error: ") + error;
  }
  std::string out = o.target == X11Target::Root       ? "root"
                    : o.target == X11Target::WindowId ? "id " + std::to_string(o.windowId)
                                                      : "own";
  return out + (o.fast ? " fast" : "") + (o.help ? " help" : "") + (o.version ? " version" : "");
}

TEST(X11Options, TheGrammarTable) {
  const struct {
    const char* line;
    const char* outcome;
  } cases[] = {
      {"", "own"},
      {"-root --fast", "root fast"},
      {"--window-id 12 -fast", "id 12 fast"},
      {"-window-id 0x1a00003", "id 27262979"},
      {"-window-id 0XfFfFfFfF", "id 4294967295"},
      {"-window-id 007", "id 7"},
      // Given again: taken again, the last one winning.
      {"-root -root", "root"},
      {"-fast --fast", "own fast"},
      {"-window-id 5 -window-id 6", "id 6"},
      {"-h -root", "root help"},
      {"--version", "own version"},
      {"-root -window-id 12", "error: give only one of -root and -window-id"},
      {"-window-id 12 --root", "error: give only one of -root and -window-id"},
      {"-window-id", "error: -window-id needs a window id"},
      {"-bogus", "error: unknown option '-bogus'"},
      {"root", "error: unknown option 'root'"},
      {"---root", "error: unknown option '---root'"},
      {"''", "error: unknown option ''"},
  };
  for (const auto& c : cases) EXPECT_EQ(Outcome(c.line), c.outcome) << c.line;
  // Window ids: decimal, or hexadecimal after 0x; 1 to 2^32 - 1, nothing around them.
  for (const char* bad : {"0", "0x0", "0x", "''", "4294967296", "0x100000000",
                          "99999999999999999999999", "+5", "-5", "12abc", "0x-1", "0x0x1",
                          "1f", "0xg"}) {
    EXPECT_EQ(Outcome(std::string("-window-id ") + bad),
              std::string("error: bad window id '") + (std::string(bad) == "''" ? "" : bad) + "'")
        << bad;
  }
}

}  // namespace
}  // namespace morv
