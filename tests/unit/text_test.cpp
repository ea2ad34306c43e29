#include "common/text.hpp"

#include <gtest/gtest.h>

#include "common/line_reader.hpp"
#include "common/utf8.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

TEST(PrefixCompare, BehavesAsAByteStrncmp) {
  struct Case {
    std::string_view text, keyword;
    std::size_t n;
    bool equal;
  };
  const Case cases[] = {
      {"if (a)", "if", 2, true}, {"If (a)", "if", 2, false},   {"i", "if", 2, false},
      {"if", "if", 5, true},     {"ifx", "if", 3, false},      {"", "", 3, true},
      {"abc", "xyz", 0, true},   {"#define", "#def", 4, true}, {"#def", "#define", 7, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(prefix_equal(c.text, c.keyword, c.n), c.equal) << c.text << " / " << c.keyword;
}

TEST(CaseInsensitiveSearch, FoldsOnlyAsciiCapitals) {
  EXPECT_EQ(find_nocase("dir/PROG.7PP", ".7pp"), 8u);
  EXPECT_EQ(find_nocase("prog.7pp", ".7PP"), 4u);
  EXPECT_EQ(find_nocase("prog.asm", ".7pp"), std::string_view::npos);
  EXPECT_EQ(find_nocase("anything", ""), std::string_view::npos);
  EXPECT_EQ(find_nocase("\x82\xa0", "\x82\xa0"), 0u);  // other bytes compare exactly
}

TEST(SkipWhite, StopsAtNewlineEndAndWidth) {
  EXPECT_EQ(skip_white(" \t x", 0, 100), 3u);
  EXPECT_EQ(skip_white("  \n  x", 0, 100), 2u);
  EXPECT_EQ(skip_white("     ", 0, 100), 5u);
  EXPECT_EQ(skip_white("     x", 0, 2), 2u);
  EXPECT_EQ(skip_white("\r\v\fx", 0, 100), 3u);
}

TEST(NumberToken, SignThenAngleThenDigit) {
  for (std::string_view yes : {"5", "-5", "+12", "<3", "-<3", "0x10"})
    EXPECT_TRUE(is_number_token(yes)) << yes;
  for (std::string_view no : {"", "a1", "--5", "++5", "<<3", "#5", "-", "<"})
    EXPECT_FALSE(is_number_token(no)) << no;
}

TEST(CharacterStart, SecondBytesOfTwoByteCharactersAreNoStart) {
  // a, katakana a, b, a kanji ending in "\", a first byte before a newline and
  // one at the end: without a second byte each is a character by itself.
  const std::string_view text =
      "a\x83\x41"
      "b\x95\x5c"
      "\x83\n\x83";
  const bool starts[] = {true, true, false, true, true, false, true, true, true, true};
  for (std::size_t pos = 0; pos <= text.size(); ++pos)
    EXPECT_EQ(at_character_start(text, pos), starts[pos]) << pos;
}

TEST(FindCharacter, NeverAtASecondByte) {
  struct Case {
    std::string_view text, what;
    std::size_t from, found;
  };
  constexpr std::size_t npos = std::string_view::npos;
  const Case cases[] = {
      {"a{b", "{", 0, 1},
      {"\x83\x7b{", "{", 0, 2},      // ボ ends in "{"
      {"\x83\x7c|", "||", 0, npos},  // ポ ends in "|"
      {"\x83\x7c||", "||", 0, 2},
      {"\x88\x81\x75\x81\x75", "\x81\x75", 0, 3},  // 「 after a character ending in 0x81
      {"{a{", "{", 1, 2},
      {"abc", "", 0, npos},
  };
  for (const Case& c : cases) EXPECT_EQ(find_character(c.text, c.what, c.from), c.found) << c.text;
}

TEST(ReadInteger, DecimalWithSignAndWhiteSpace) {
  EXPECT_EQ(read_integer(" -12abc"), -12);
  EXPECT_EQ(read_integer("+7"), 7);
  EXPECT_EQ(read_integer("0"), 0);
  EXPECT_FALSE(read_integer("x1").has_value());
  EXPECT_FALSE(read_integer("").has_value());
  EXPECT_FALSE(read_integer("-").has_value());
  // Long digit runs saturate rather than overflow.
  EXPECT_EQ(read_integer("99999999999999999999999999"), read_integer("999999999999999999"));
  EXPECT_GT(*read_integer("99999999999999999999999999"), 0);
}

TEST(LineReader, KeepsLineEndsAndAnUnendedLastLine) {
  LineReader reader("a\n\nlast");
  std::string_view line;
  std::vector<std::string> lines;
  while (reader.next(line)) lines.emplace_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a\n", "\n", "last"}));

  LineReader again("x\ny\n");
  ASSERT_TRUE(again.next(line));
  std::size_t mark = again.position();
  ASSERT_TRUE(again.next(line));
  EXPECT_EQ(line, "y\n");
  again.seek(mark);
  ASSERT_TRUE(again.next(line));
  EXPECT_EQ(line, "y\n");
  EXPECT_FALSE(again.next(line));
}

TEST(Utf8FromCp932, SourceTextIsShownReadably) {
  const testing::TextCase cases[] = {
      {"ASCII stays", "mov a,b", "mov a,b"},
      {"two-byte characters convert", "\x8c\x78\x8d\x90", "\xe8\xad\xa6\xe5\x91\x8a"},  // 警告
      {"half-width kana converts", "\xb1", "\xef\xbd\xb1"},
      {"a line end is dropped", "x\n", "x"},
      {"a byte that is no character becomes ? and the rest follows",
       "a\x80"
       "b\xa0"
       "c",
       "a?b?c"},
      {"a lead byte cut off at the end", "ab\x82", "ab?"},
  };
  for (const testing::TextCase& c : cases) EXPECT_EQ(utf8_from_cp932(c.in), c.out) << c.name;
  EXPECT_EQ(vonx::quoted("  if (a) {\n"), "\"if (a) {\"");
  // Long text is cut after 60 characters, never inside a two-byte one.
  EXPECT_EQ(vonx::quoted(std::string(60, 'x')), "\"" + std::string(60, 'x') + "\"");
  EXPECT_EQ(vonx::quoted(std::string(61, 'x')), "\"" + std::string(60, 'x') + "...\"");
  EXPECT_EQ(vonx::quoted(std::string(59, 'x') + "\x8c\x78\x8d\x90"),
            "\"" + std::string(59, 'x') + "\xe8\xad\xa6...\"");
}

}  // namespace
}  // namespace vonx
