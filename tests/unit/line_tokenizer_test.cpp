#include "translation/line_tokenizer.hpp"

#include <gtest/gtest.h>

#include "common/jump_marker.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

using Tokens = std::vector<std::string>;

SectionSettings test_settings() {
  SectionSettings settings;
  settings.immediate_prefixes = {"#"};
  settings.space_words = {"+"};
  settings.sized_names = {{'w', "ax"}, {'b', "al"}};
  return settings;
}

struct RowCase {
  const char* name;
  std::string line;
  RowOffer offer;
  Tokens tokens;        // with "!!!"; empty: the row offers nothing
  std::string leading;  // raw text before the first token
  std::string after;    // raw text after the last token taken
};

TEST(TokenizeLine, RowsAndTokens) {
  const RowCase cases[] = {
      {"plain statement", "  ld r1, #5\n", {false, 0}, {"ld", "r1", ",", "#5", "!!!"}, "  ", "\n"},
      {"term line stops at its marker",
       "  x == 0  [+++18,3,20,5+++]\n",
       {false, 0},
       {"x", "==", "0", "!!!"},
       "  ",
       "  [+++18,3,20,5+++]\n"},
      {"bracketed term",
       "  <x == 0>  [+++18,3,20,5+++]\n",
       {false, 0},
       {"<x == 0>", "!!!"},
       "  ",
       "  [+++18,3,20,5+++]\n"},
      {"bracketed greater-than",
       "  <x > 5>  [+++2,1,6,1+++]\n",
       {false, 0},
       {"<x > 5>", "!!!"},
       "  ",
       "  [+++2,1,6,1+++]\n"},
      {"bracketed greater-or-equal",
       "  <x >= 5>  [+++2,1,6,1+++]\n",
       {false, 0},
       {"<x >= 5>", "!!!"},
       "  ",
       "  [+++2,1,6,1+++]\n"},
      {"bracketed less-than",
       "  <x < 5>  [+++2,1,6,1+++]\n",
       {false, 0},
       {"<x < 5>", "!!!"},
       "  ",
       "  [+++2,1,6,1+++]\n"},
      // A "<" with no ">" after it is an ordinary character.
      {"many \"<\" with no \">\"",
       "  mov <a <b <c\n",
       {false, 0},
       {"mov", "<a", "<b", "<c", "!!!"},
       "  ",
       "\n"},
      {"a \">\" before a later \"<\" closes nothing for it",
       "  mov <a> q <b q\n",
       {false, 0},
       {"mov", "<a>", "q", "<b", "q", "!!!"},
       "  ",
       "\n"},
      {"less-or-equal unbracketed",
       "  rbx <= 5  [+++2,1,6,1+++]\n",
       {false, 0},
       {"rbx", "<=", "5", "!!!"},
       "  ",
       "  [+++2,1,6,1+++]\n"},
      {"less-than glued",
       "  a<b  [+++2,1,6,1+++]\n",
       {false, 0},
       {"a<b", "!!!"},
       "  ",
       "  [+++2,1,6,1+++]\n"},
      {"bracketed operands",
       "  mov <a>, <b c>\n",
       {false, 0},
       {"mov", "<a>", ",", "<b c>", "!!!"},
       "  ",
       "\n"},
      {"quotes keep separators",
       "  db \"a, b\",'x y'\n",
       {false, 0},
       {"db", "\"a, b\"", ",", "'x y'", "!!!"},
       "  ",
       "\n"},
      {"unclosed quote is ordinary",
       "  ld a,'x  [+++4,1,8,1+++]\n",
       {false, 0},
       {"ld", "a", ",", "'x", "!!!"},
       "  ",
       "  [+++4,1,8,1+++]\n"},
      {"space word separates", "  ld a+b\n", {false, 0}, {"ld", "a", "+", "b", "!!!"}, "  ", "\n"},
      {"single whole statement", "  ret\n", {false, 0}, {"ret", "!!!"}, "  ", "\n"},
      {"break line",
       "  break  [+++10,1+++]\n",
       {false, 0},
       {"break", "!!!"},
       "  ",
       "  [+++10,1+++]\n"},
      {"single token before a malformed marker", "  ret  [+++5+++]\n", {false, 0}, {}, "", ""},
      {"no final line break", "  nop", {false, 0}, {"nop", "!!!"}, "  ", ""},

      // The first phase offers the text after the pass-th "(" or "," up to the next
      // "," or ")"; an operand of one token is not offered.
      {"operand of three tokens",
       "  ld r1, #5 + 1\n",
       {true, 1},
       {"#5", "+", "1", "!!!"},
       "  ld r1, ",
       "\n"},
      {"operand inside a list", "  f(a b, c)\n", {true, 1}, {"a", "b", "!!!"}, "  f(", ", c)\n"},
      {"operand of one token", "  ld r1, #5\n", {true, 1}, {}, "", ""},
      {"pass beyond the separators", "  f(a b, c d)\n", {true, 3}, {}, "", ""},
      {"operand ends before the marker",
       "  t a, b c  [+++4,1,8,1+++]\n",
       {true, 1},
       {"b", "c", "!!!"},
       "  t a, ",
       "  [+++4,1,8,1+++]\n"},
      // The commas of a jump marker are not separators of the statement.
      {"marker commas not counted", "  t a, b c  [+++4,1,8,1+++]\n", {true, 2}, {}, "", ""},
      {"conditional row left to the second phase", "  mov a, b ? c d : e\n", {true, 1}, {}, "", ""},

      // The second phase starts pass p at the name before the p-th "(".
      {"call row",
       "  x = foo(a b)\n",
       {false, 1},
       {"foo", "(", "a", "b", ")", "!!!"},
       "  x = ",
       "\n"},
      {"call row counts again from the start",
       "  x = foo(a b)\n",
       {false, 2},
       {"foo", "(", "a", "b", ")", "!!!"},
       "  x = ",
       "\n"},
      {"inner call starts at the character before its name",
       "  f(g(x))\n",
       {false, 2},
       {"(", "g", "(", "x", ")", ")", "!!!"},
       "  f",
       "\n"},
      {"name opening the line", "f(x)\n", {false, 1}, {"f", "(", "x", ")", "!!!"}, "", "\n"},
      {"no name before the parenthesis",
       "  ((x) y)\n",
       {false, 2},
       {"(", "x", ")", "y", ")", "!!!"},
       "  (",
       "\n"},

      // Conditional rows: blanks stay inside a token unless it begins with a sized name.
      {"conditional expression",
       "  x ? y z : w\n",
       {false, 0},
       {"x", "?", "y z", ":", "w", "!!!"},
       "  ",
       "\n"},
      {"conditional expression after a sized name",
       "  ax == 1 ? y : w\n",
       {false, 0},
       {"ax", "== 1", "?", "y", ":", "w", "!!!"},
       "  ",
       "\n"},
      {"conditional call",
       "  r = IIf(a == b, f(c d), e)\n",
       {false, 0},
       {"r = IIf", "(", "a == b", ",", "f(c d)", ",", "e", ")", "!!!"},
       "  ",
       "\n"},
      {"conditional row with marker",
       "  a b ? c : d  [+++4,1,8,1+++]\n",
       {false, 0},
       {"a b", "?", "c", ":", "d", "!!!"},
       "  ",
       "  [+++4,1,8,1+++]\n"},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.name);
    JumpFields running;
    SectionSettings settings = test_settings();
    TokenRow row = tokenize_line(c.line, c.offer, settings, running);
    EXPECT_EQ(Tokens(row.tokens.begin(), row.tokens.end()), c.tokens);
    if (c.tokens.empty()) continue;
    EXPECT_EQ(row.raw.substr(0, row.start(0)), c.leading);
    EXPECT_EQ(row.raw.substr(row.end(row.token_count() - 1)), c.after);
  }
}

// A two-byte character is neither part of a name before "(" nor the start of a
// separator word, whatever its second byte looks like.
TEST(TokenizeLine, TwoByteCharactersAreWholeCharacters) {
  const RowCase cases[] = {
      {"no name before the parenthesis",
       "  x = \x82\xa0(a b)\n",
       {false, 1},
       {"(", "a", "b", ")", "!!!"},
       "  x = \x82\xa0",
       "\n"},
      {"inside a token",
       "  db a\x82\xa0"
       "b, c\n",
       {false, 0},
       {"db",
        "a\x82\xa0"
        "b",
        ",", "c", "!!!"},
       "  ",
       "\n"},
  };
  for (const std::string& character : testing::kSignLikeCharacters) {
    for (const RowCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " " + character);
      JumpFields running;
      SectionSettings settings = test_settings();
      settings.space_words.push_back(character.substr(1));  // a word equal to the second byte
      std::string line = testing::with_character(c.line, character);
      TokenRow row = tokenize_line(line, c.offer, settings, running);
      Tokens tokens;
      for (const std::string& token : c.tokens)
        tokens.push_back(testing::with_character(token, character));
      EXPECT_EQ(Tokens(row.tokens.begin(), row.tokens.end()), tokens);
      if (tokens.empty()) continue;
      EXPECT_EQ(row.raw.substr(0, row.start(0)), testing::with_character(c.leading, character));
      EXPECT_EQ(row.raw.substr(row.end(row.token_count() - 1)), c.after);
    }
  }
}

TEST(TokenizeLine, BracketedFlagMarksAngleBracketedTerms) {
  JumpFields running;
  TokenRow row = tokenize_line("  cmp <x y>, z\n", {false, 0}, test_settings(), running);
  ASSERT_EQ(row.bracketed.size(), 4u);
  EXPECT_TRUE(row.bracketed[1]);
  EXPECT_FALSE(row.bracketed[0]);
  EXPECT_FALSE(row.bracketed[3]);
}

TEST(TokenizeLine, JumpFieldsFollowTheMarkersRead) {
  JumpFields running;
  SectionSettings settings = test_settings();
  TokenRow term = tokenize_line("  x  [+++18,3,20,5+++]\n", {false, 0}, settings, running);
  EXPECT_EQ(term.marker, MarkerState::well_formed);
  EXPECT_EQ(term.jump.first_code, 18);
  EXPECT_EQ(term.jump.second_number, 5);
  // A two-field marker keeps the second code and number of the marker before it.
  TokenRow jump = tokenize_line("  break  [+++10,1+++]\n", {false, 0}, settings, running);
  EXPECT_EQ(jump.jump.first_code, 10);
  EXPECT_EQ(jump.jump.first_number, 1);
  EXPECT_EQ(jump.jump.second_code, 20);
  EXPECT_EQ(jump.jump.second_number, 5);
  // A malformed marker changes nothing and gives the row no jump.
  TokenRow bad = tokenize_line("  a b  [+++7,7,7+++]\n", {false, 0}, settings, running);
  EXPECT_EQ(bad.marker, MarkerState::malformed);
  EXPECT_EQ(Tokens(bad.tokens.begin(), bad.tokens.end()), (Tokens{"a", "b", "!!!"}));
  EXPECT_EQ(running.first_code, 10);
  // The first phase never reads a marker.
  TokenRow operand = tokenize_line("  t a, b c  [+++4,1,8,1+++]\n", {true, 1}, settings, running);
  EXPECT_EQ(operand.marker, MarkerState::none);
  EXPECT_EQ(running.first_code, 10);
}

TEST(JumpMarker, Forms) {
  struct Case {
    std::string text;
    bool well_formed;
    int fields;
  } cases[] = {
      {"[+++18,3,20,5+++]", true, 4}, {"[+++10,1+++]", true, 2},
      {"[+++0,0+++]", true, 2},       {"[+++5+++]", false, 0},
      {"[+++1,2,3+++]", false, 0},    {"[+++1,2,3,4,5+++]", false, 0},
      {"[+++a,1+++]", false, 0},      {"[+++1,,2,3+++]", false, 0},
      {"[+++1,2", false, 0},          {"[+++1,2\n+++]", false, 0},
      {"[+++1,2,3,4,3+++]", true, 5}, {"[+++1,2,3,4,0,0+++]", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MarkerReading reading = read_jump_marker(c.text);
    EXPECT_EQ(reading.well_formed, c.well_formed);
    EXPECT_EQ(reading.field_count, c.fields);
  }
  EXPECT_TRUE(holds_well_formed_marker("  x  [+++4,1,8,1+++]\n"));
  EXPECT_TRUE(holds_well_formed_marker("  continue  [+++0,0+++]\n"));
  EXPECT_FALSE(holds_well_formed_marker("  x  [+++5+++]\n"));
  EXPECT_FALSE(holds_well_formed_marker("  jz L_nextelse1\n"));
}

TEST(ClassStack, PushedByClassPoppedByTheKeywordEnd) {
  SectionSettings settings = test_settings();
  BlockStacks stacks;
  JumpFields running;
  update_class_stack(tokenize_line("Public Class Foo\n", {false, 0}, settings, running), stacks);
  ASSERT_EQ(stacks.class_stack, (Tokens{"Foo"}));
  // Without the keyword end on top of the keyword stack, "End Class" pops nothing.
  update_class_stack(tokenize_line("End Class\n", {false, 0}, settings, running), stacks);
  EXPECT_EQ(stacks.class_stack, (Tokens{"Foo"}));
  stacks.keyword_stack.push_back({"Class", "End"});
  update_class_stack(tokenize_line("End Class\n", {false, 0}, settings, running), stacks);
  EXPECT_TRUE(stacks.class_stack.empty());
  update_class_stack(tokenize_line("End Class\n", {false, 0}, settings, running), stacks);
  EXPECT_TRUE(stacks.class_stack.empty());
}

}  // namespace
}  // namespace vonx
