#include "driver/line_markers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace vonx {
namespace {

struct Line {
  const char* text;
  LineOrigin origin;
};

WorkText work_text(const std::vector<Line>& lines) {
  WorkText text;
  for (const Line& line : lines) {
    text.text += line.text;
    text.text += '\n';
    text.origins.push_back(line.origin);
  }
  return text;
}

SectionSettings form(std::string mark, bool counts, std::string file = {}) {
  SectionSettings settings;
  settings.line_mark_text = std::move(mark);
  settings.line_mark_counts = counts;
  settings.line_file_text = std::move(file);
  return settings;
}

struct MarkerCase {
  const char* name;
  SectionSettings settings;
  std::vector<std::string> files;
  std::vector<Line> lines;
  std::string marked;
};

TEST(LineMarkers, WrittenWhereTheAssemblerWouldNotKnowTheLine) {
  const std::vector<MarkerCase> cases = {
      {"a held marker goes where the origin changes; lines from no file keep the last",
       form("@<line> <rawfile>", false, "F <fileno> <file>"),
       {"p.7pp", "inc/q.inc"},
       {{"a", {0, 2}},
        {"b", {0, 2}},
        {"c", {0, 3}},
        {"d", {1, 1}},
        {"e", {0, 0}},
        {"f", {1, 1}},
        {"g", {0, 3}}},
       "F 1 p.7pp\n@2 p.7pp\na\nb\n@3 p.7pp\nc\nF 2 inc/q.inc\n@1 inc/q.inc\nd\ne\nf\n"
       "@3 p.7pp\ng\n"},
      {"a counted marker goes where the origin is not the line counted on to",
       form("# <line> \"<file>\"", true),
       {"p.7pp", "q.inc"},
       {{"a", {0, 2}},
        {"b", {0, 3}},
        {"c", {0, 3}},
        {"d", {0, 5}},
        {"e", {0, 0}},
        {"f", {0, 7}},
        {"g", {1, 1}},
        {"h", {0, 8}}},
       "# 2 \"p.7pp\"\na\nb\n# 3 \"p.7pp\"\nc\n# 5 \"p.7pp\"\nd\ne\nf\n# 1 \"q.inc\"\ng\n"
       "# 8 \"p.7pp\"\nh\n"},
      {"names escaped for C strings, written raw, numbered; other <...> kept",
       form("<file>|<rawfile>|<fileno>|<lines>", false),
       {"C:\\dir\\p.7pp", "a\"b\nc.inc"},
       {{"x", {0, 1}}, {"y", {1, 1}}},
       "C:\\\\dir\\\\p.7pp|C:\\dir\\p.7pp|1|<lines>\nx\na\\\"b\\012c.inc|a\"b?c.inc|2|<lines>"
       "\ny\n"},
      {"no line from a file: no marker", form("@<line>", true), {"p.7pp"}, {{"x", {0, 0}}}, "x\n"},
  };
  for (const MarkerCase& c : cases) {
    const WorkText text = work_text(c.lines);
    const std::optional<WorkText> marked =
        with_line_markers(text, c.settings, c.files, c.marked.size());
    ASSERT_TRUE(marked) << c.name;
    EXPECT_EQ(marked->text, c.marked) << c.name;
    // Each marker takes the origin of the line it stands before.
    EXPECT_EQ(marked->origins.size(),
              static_cast<std::size_t>(std::count(marked->text.begin(), marked->text.end(), '\n')))
        << c.name;
    // One byte less than the marked text needs: no markers at all.
    EXPECT_FALSE(with_line_markers(text, c.settings, c.files, c.marked.size() - 1)) << c.name;
  }
}

TEST(LineMarkers, CStringNamesAsGnuAsReadsThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"prog.7pp", "prog.7pp"},
      {"C:\\src\\prog.7pp", "C:\\\\src\\\\prog.7pp"},
      {"say \"hi\".7pp", "say \\\"hi\\\".7pp"},
      {"tab\there\x7f", "tab\\011here\\177"},
      // A code page 932 character whose second byte is "\" keeps both bytes.
      {"\x95\x5c.7pp", "\x95\x5c\x5c.7pp"},
  };
  for (const auto& [name, written] : cases) EXPECT_EQ(c_string_name(name), written) << name;
}

}  // namespace
}  // namespace vonx
