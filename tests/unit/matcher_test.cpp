#include "translation/matcher.hpp"

#include <gtest/gtest.h>

#include <random>

#include "macro_test_support.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

using testing::make_rule;
using testing::table_in_trial_order;
using Texts = std::vector<std::string>;

TokenWindow window_of(std::vector<std::string_view> lines, const SectionSettings& settings) {
  TokenWindow window;
  JumpFields running;
  for (std::string_view line : lines)
    window.push_back(tokenize_line(line, {false, 0}, settings, running));
  return window;
}

// The source text bound to each pattern token of line 0 (runs joined by blanks).
Texts bound_texts(const Match& match, const TokenWindow& window) {
  Texts texts;
  for (TokenSpan span : match.bound[0]) {
    std::string text;
    for (std::size_t i = span.first; i < span.last; ++i) {
      if (i > span.first) text += ' ';
      text += window[0].tokens[i];
    }
    texts.push_back(text);
  }
  return texts;
}

std::optional<Match> match(const RuleTable& table, const SectionSettings& settings,
                           std::vector<std::string_view> lines, const BlockStacks& stacks = {}) {
  TokenWindow window = window_of(lines, settings);
  return match_window(window, {table, settings, stacks, nullptr});
}

// Two one-line rules over the prefix "#" and two user classes holding "r": R1
// (ld <user> <imm>) scores lower than R2 (ld <user> <user1>) and is tried first.
TEST(MatchWindow, ImmediateAndUserClassesInTrialOrder) {
  SectionSettings settings;
  settings.immediate_prefixes = {"#"};
  settings.user_classes = {{"r"}, {"r"}};
  RuleTable table = table_in_trial_order(
      {make_rule({"ld <user> <imm>"}, {" R1"}), make_rule({"ld <user> <user1>"}, {" R2"})});
  const std::size_t r1 = 1;
  struct Case {
    std::string_view line;
    std::optional<std::size_t> rule;
    Texts bound;
  } cases[] = {
      {"  ld r1 #5\n", r1, {"ld", "r1", "#5"}},
      {"  ld r1 r2\n", r1, {"ld", "r1", "r2"}},  // "<imm>" takes a plain name too
      {"  ld r1 r1\n", std::nullopt, {}},        // both rules fail the repeat check
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TokenWindow window = window_of({c.line}, settings);
    std::optional<Match> found = match_window(window, {table, settings, {}, nullptr});
    ASSERT_EQ(found.has_value(), c.rule.has_value());
    if (!found) continue;
    EXPECT_EQ(found->rule, *c.rule);
    EXPECT_EQ(found->consumed, 1u);
    EXPECT_EQ(bound_texts(*found, window), c.bound);
  }
}

TEST(MatchWindow, TokenAcceptance) {
  SectionSettings settings;
  settings.immediate_prefixes = {"#", "d"};
  settings.user_classes = {{"r"}, {"a", "b"}};
  settings.sized_names = {{'l', "d0"}};
  settings.word_classes = {{"reg", {"a0", "a1", "zero"}}};
  struct Case {
    const char* pattern;
    std::string_view line;
    bool matches;
  } cases[] = {
      {"push <imm>", "push #5\n", true},
      {"push <imm>", "push 5\n", true},
      {"push <imm>", "push -5\n", true},
      {"push <imm>", "push #'A'\n", true},
      {"push <imm>", "push label\n", true},
      {"push <imm>", "push d1\n", true},
      {"push <imm>", "push d0\n", false},  // a sized name is never an immediate
      {"push <imm2>", "push #7\n", true},
      {"ld 5", "ld 5\n", true},
      {"ld 5", "ld 6\n", false},
      {"ld 5", "ld #5\n", false},
      {"ld <user>", "ld r15\n", true},
      {"ld <user>", "ld rx\n", true},
      {"ld <user>", "ld sp\n", false},
      {"ld <user1>", "ld b2\n", true},
      {"ld <user1>", "ld r2\n", false},
      {"ld <user2>", "ld r2\n", false},  // no class 2
      {"jp <label>", "jp loop\n", true},
      {"jp <label>", "jp #5\n", false},
      {"nop", "nop x\n", false},    // the pattern ends before the line
      {"ld a b", "ld a\n", false},  // the line ends before the pattern
      {"db <...>", "db 1 , 2 , 3\n", true},
      {"db <...>", "db\n", false},  // a wildcard takes at least one token
      {"<=", "<=\n", true},         // "<" not followed by a letter is a literal
      // After a wildcard a token is held to its kind all the same; only a plain
      // placeholder takes whatever the alignment gives it.
      {"<...> < 0", "x1 < 0\n", true},
      {"<...> < 0", "x1 < x0\n", false},
      {"<...> < 0", "x1 < 00\n", false},
      {"<...> , <user>", "a b , r1\n", true},
      {"<...> , <user>", "a b , sp\n", false},
      {"<...> , <user1>", "a , r1\n", false},
      {"<...> , <a>", "a , #5\n", true},
      {"<...> , <imm>", "a , d0\n", true},
      // Word classes take whole words only; ranges take numbers within their
      // bounds. Both are held to that after a wildcard, and may meet the text of
      // another placeholder, while one of them twice still meets the same text.
      {"li <reg>", "li a1\n", true},
      {"li <reg2>", "li zero\n", true},
      {"li <reg>", "li a10\n", false},  // whole words, not prefixes
      {"li <reg>", "li a\n", false},
      {"li <regs>", "li a10\n", true},  // no class "regs": a plain placeholder
      {"<...> , <reg>", "x y , a0\n", true},
      {"<...> , <reg>", "x y , t0\n", false},
      {"add <reg> <reg1>", "add a0 a0\n", true},
      {"add <reg> <reg>", "add a0 a1\n", false},
      {"add <reg> <a>", "add a0 a0\n", true},
      {"addi <imm:-2048..2047>", "addi 2047\n", true},
      {"addi <imm:-2048..2047>", "addi -2048\n", true},
      {"addi <imm:-2048..2047>", "addi 2048\n", false},
      {"addi <imm:-2048..2047>", "addi -2049\n", false},
      {"addi <imm:-2048..2047>", "addi 0x7ff\n", true},
      {"addi <imm:-2048..2047>", "addi 0x800\n", false},
      {"addi <imm:-2048..2047>", "addi +5\n", true},
      {"addi <imm:-2048..2047>", "addi #5\n", false},   // a prefix may change the base
      {"addi <imm:-2048..2047>", "addi 010\n", false},  // octal to some assemblers
      {"addi <imm:-2048..2047>", "addi 5x\n", false},
      {"addi <imm:-2048..2047>", "addi lbl\n", false},
      {"li <imm:..>", "li -9223372036854775808\n", true},
      {"li <imm:..>", "li 0xffffffffffffffff\n", true},
      {"li <imm:..>", "li 0x10000000000000000\n", false},  // beyond 64 bits
      {"li <imm:0..>", "li -1\n", false},
      {"li <imm:..0>", "li -0\n", true},
      {"li <imm2:1..1>", "li 1\n", true},
      {"li <imm:1..x>", "li 1\n", false},  // not well formed: accepts nothing
      {"<...> , <imm:0..7>", "x , 8\n", false},
      {"<...> , <imm:0..7>", "x , 7\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + std::string(c.line));
    RuleTable table = table_in_trial_order({make_rule({c.pattern}, {" x"})});
    EXPECT_EQ(match(table, settings, {c.line}).has_value(), c.matches);
  }
}

TEST(MatchWindow, WildcardAbsorption) {
  SectionSettings settings;
  struct Case {
    const char* pattern;
    std::string_view line;
    Texts bound;
  } cases[] = {
      {"call ( <...> )", "call(a (b) c)\n", {"call", "(", "a ( b ) c", ")"}},
      {"call ( <...> ) x", "call(a (b)) x\n", {"call", "(", "a ( b )", ")", "x"}},
      {"db <...>", "db 1, 2, 3\n", {"db", "1 , 2 , 3"}},
      {"mov <...> , <...1>", "mov a b, c\n", {"mov", "a b", ",", "c"}},
      // Only the pair around the wildcard is counted.
      {"\x81\x75 <...> \x81\x76",
       "\x81\x75 a ( \x81\x75 b \x81\x76 ) \x81\x76\n",
       {"\x81\x75", "a ( \x81\x75 b \x81\x76 )", "\x81\x76"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    RuleTable table = table_in_trial_order({make_rule({c.pattern}, {" x"})});
    TokenWindow window = window_of({c.line}, settings);
    std::optional<Match> found = match_window(window, {table, settings, {}, nullptr});
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(bound_texts(*found, window), c.bound);
  }
  // A two-byte character whose second byte is a bracket is no bracket.
  for (const std::string& character : testing::kSignLikeCharacters) {
    SCOPED_TRACE(character);
    RuleTable table = table_in_trial_order({make_rule({"[ <...> ]"}, {" x"})});
    std::string line = testing::with_character("[ a\x82\xa0 ]\n", character);
    TokenWindow window = window_of({line}, settings);
    std::optional<Match> found = match_window(window, {table, settings, {}, nullptr});
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(bound_texts(*found, window), (Texts{"[", "a" + character, "]"}));
  }
  // A literal after a wildcard is still compared: the tail must match.
  RuleTable table = table_in_trial_order({make_rule({"call ( <...> ) x"}, {" x"})});
  EXPECT_FALSE(match(table, settings, {"call(a) y\n"}).has_value());
}

// A rule that fails after its wildcard leaves the line to the next rule: the
// comparison with 0 must not take "x1 < x0" (it would test x1's sign).
TEST(MatchWindow, TokenAfterWildcardFailsTheRuleOnly) {
  SectionSettings settings;
  RuleTable table = table_in_trial_order(
      {make_rule({"<...> < 0"}, {" tbnz <...>, 63"}), make_rule({"<...1> < <...2>"}, {" cmp"})});
  std::optional<Match> zero = match(table, settings, {"x1 < 0\n"});
  ASSERT_TRUE(zero.has_value());
  EXPECT_EQ(zero->rule, 1u);
  std::optional<Match> other = match(table, settings, {"x1 < x0\n"});
  ASSERT_TRUE(other.has_value());
  EXPECT_EQ(other->rule, 0u);
}

TEST(MatchWindow, RepeatCheck) {
  SectionSettings settings;
  settings.user_classes = {{"r"}, {"r"}};
  struct Case {
    const char* pattern;
    std::string_view line;
    bool matches;
  } cases[] = {
      {"add <user> <user>", "add r1 r1\n", true},  {"add <user> <user>", "add r1 r2\n", false},
      {"add <user> <user1>", "add r1 r2\n", true}, {"add <user> <user1>", "add r1 r1\n", false},
      {"add <a> r1", "add r1 r1\n", false},  // a placeholder and a literal meet the same text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + std::string(c.line));
    RuleTable table = table_in_trial_order({make_rule({c.pattern}, {" x"})});
    EXPECT_EQ(match(table, settings, {c.line}).has_value(), c.matches);
  }
}

TEST(MatchWindow, LastPositionFirstAndEmptyRulesPassedOver) {
  SectionSettings settings;
  Rule empty = make_rule({"nop"}, {});
  RuleTable table = table_in_trial_order(
      {empty, make_rule({"nop"}, {" first"}), make_rule({"nop"}, {" second"})});
  std::optional<Match> found = match(table, settings, {"nop\n"});
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->rule, 1u);
}

TEST(MatchWindow, MultiLineRulesConsumeTheirRows) {
  SectionSettings settings;
  RuleTable table = table_in_trial_order({make_rule({"cmp <a> <b>", "jz <l>"}, {" x"})}, 2);
  std::optional<Match> found = match(table, settings, {"  cmp x y\n", "  jz there\n"});
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->consumed, 2u);
  EXPECT_FALSE(match(table, settings, {"  cmp x y\n"}).has_value());
  EXPECT_FALSE(match(table, settings, {"  cmp x y\n", "  jnz there\n"}).has_value());
}

// A one-branch rule is tried only for a test whose other label the marker
// names as the next line; everywhere else the two-way rule behind it answers.
TEST(MatchWindow, OneBranchRulesOnlyWhereTheOtherLabelIsNext) {
  SectionSettings classes;
  RuleTable table = table_in_trial_order({make_rule({"<a> == <b>"}, {" jne <falseonly>"}),
                                          make_rule({"<a> == <b>"}, {" je <trueonly>"}),
                                          make_rule({"<a> == <b>"}, {" je <trueaddress>"})});
  const struct {
    const char* line;
    std::size_t rule;  // position: 2 the first rule given, 0 the last
  } cases[] = {
      {"  x == 1  [+++4,1,8,1,1+++]\n", 2},  // the true label is next
      {"  x == 1  [+++4,1,8,1,2+++]\n", 1},  // the false label is next
      {"  x == 1  [+++4,1,8,1,3+++]\n", 2},  // both: the first rule that suits
      {"  x == 1  [+++4,1,8,1,0+++]\n", 0},
      {"  x == 1  [+++4,1,8,1+++]\n", 0},  // four fields never say it
      {"  x == 1\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::optional<Match> found = match(table, classes, {c.line});
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->rule, c.rule);
  }
}

TEST(MatchWindow, ClassAndKeywordPlaceholdersReadTheStackTops) {
  SectionSettings settings;
  RuleTable table = table_in_trial_order(
      {make_rule({"end <class>"}, {" x"}), make_rule({"begin <keyword>"}, {" y"})});
  BlockStacks stacks;
  EXPECT_FALSE(match(table, settings, {"end Foo\n"}, stacks).has_value());
  stacks.class_stack = {"Bar", "Foo"};
  stacks.keyword_stack = {{"Sub", "End"}};
  EXPECT_TRUE(match(table, settings, {"end Foo\n"}, stacks).has_value());
  EXPECT_FALSE(match(table, settings, {"end Bar\n"}, stacks).has_value());
  EXPECT_TRUE(match(table, settings, {"begin Sub\n"}, stacks).has_value());
}

TEST(KeywordPairs, NarrowAndWideScans) {
  SectionSettings settings;
  settings.keyword_list = {"If", "Sub"};
  settings.keyword_end_list = {"End", "End"};
  struct Case {
    Texts tokens;
    bool wide;
    std::optional<std::string> pushed;
  } cases[] = {
      {{"End", "Sub", "!!!"}, false, "Sub"},
      {{"Sub", "Main", "!!!"}, false, std::nullopt},
      {{"Sub", "Main", "!!!"}, true, "Sub"},
      {{"Private", "Sub", "Main", "!!!"}, true, "Sub"},
      {{"x", "=", "1", "!!!"}, true, std::nullopt},
      {{"}", "If", "!!!"}, true, std::nullopt},  // "}" with more tokens: not scanned
      {{"###", "If", "!!!"}, true, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tokens[0] + " " + c.tokens[1]);
    BlockStacks stacks;
    const std::vector<std::string_view> tokens(c.tokens.begin(), c.tokens.end());
    EXPECT_EQ(scan_keyword_pairs(tokens, settings, stacks, c.wide), c.pushed.has_value());
    if (c.pushed) {
      ASSERT_EQ(stacks.keyword_stack.size(), 1u);
      EXPECT_EQ(stacks.keyword_stack[0].keyword, *c.pushed);
    }
  }
}

// The index must choose exactly what a plain trial of every position chooses.
TEST(RuleIndex, SameResultsAsAPlainTrial) {
  SectionSettings settings;
  settings.immediate_prefixes = {"#"};
  settings.user_classes = {{"r"}, {"a"}};
  settings.sized_names = {{'b', "al"}};
  const std::vector<std::string> pattern_words = {
      "ld",     "st",      "add", "5",   "#5",    "(",      ")",  ",",  "<imm>", "<imm1>",
      "<user>", "<user1>", "<x>", "<y>", "<...>", "<...1>", "al", "<=", "r1"};
  const std::vector<std::string> source_words = {"ld", "st", "add", "5",  "#5", "(", ")",  ",",
                                                 "r1", "r2", "a1",  "al", "x",  "y", "<=", "#9"};
  std::mt19937 random(20240611);
  auto pick = [&random](const std::vector<std::string>& words) {
    return words[std::uniform_int_distribution<std::size_t>(0, words.size() - 1)(random)];
  };
  auto length = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };

  int matched = 0;
  for (int round = 0; round < 40; ++round) {
    std::vector<Rule> rules;
    int rule_count = length(1, 30);
    for (int r = 0; r < rule_count; ++r) {
      Rule rule;
      int lines = length(1, 2);
      for (int l = 0; l < lines; ++l) {
        TokenLine line;
        for (int k = length(1, 4); k > 0; --k) line.push_back(pick(pattern_words));
        line.push_back("!!!");
        rule.pattern_lines.push_back(line);
      }
      rule.replacement_lines.push_back({" ", "x", "!!!"});
      rules.push_back(rule);
    }
    RuleTable table = table_in_trial_order(rules, 2);
    RuleIndex index(table);
    for (int w = 0; w < 200; ++w) {
      std::vector<std::string> lines;
      for (int l = 0; l < 2; ++l) {
        std::string line = " ";
        for (int k = length(1, 4); k > 0; --k) line += " " + pick(source_words);
        lines.push_back(line + "\n");
      }
      TokenWindow window = window_of({lines[0], lines[1]}, settings);
      BlockStacks stacks;
      auto plain = match_window(window, {table, settings, stacks, nullptr});
      auto indexed = match_window(window, {table, settings, stacks, &index});
      ASSERT_EQ(plain.has_value(), indexed.has_value()) << lines[0] << lines[1];
      if (!plain) continue;
      ++matched;
      EXPECT_EQ(plain->rule, indexed->rule);
      EXPECT_EQ(plain->consumed, indexed->consumed);
      EXPECT_EQ(plain->covered, indexed->covered);
    }
  }
  EXPECT_GT(matched, 400);  // the random windows do reach the rules
}

}  // namespace
}  // namespace vonx
