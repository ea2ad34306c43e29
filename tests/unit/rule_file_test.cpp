#include "translation/rule_file.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "common/messages.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

// A rule file whose ".cpu x" section holds `area` as its macro area, between
// another target's section and the settings lines.
std::string rule_file_with(const std::string& area) {
  return ".other\n#q:q\n#\n.cpu x\n" + area + "#file=s\n#labelhead=L\n";
}

struct RuleFileRun {
  explicit RuleFileRun(const std::string& config) : test(dir) {
    test.session.config_text = config;
    test.session.cpu_directive = ".cpu x";
  }
  FileSession& session() { return test.session; }
  std::string console() const { return test.terminal.text(); }
  testing::ScratchDir dir;
  testing::TestSession test;
};

std::string line_of(Message message, const std::string& argument = {}) {
  return message_text(message, argument) + "\n";
}

std::string dots(long long sweeps) {
  return std::string(static_cast<std::size_t>(sweeps), '.') + "\n";
}

std::string describe(const std::vector<TokenLine>& lines) {
  std::string text;
  for (const TokenLine& line : lines) {
    if (!text.empty()) text += " / ";
    for (std::size_t i = 0; i < line.size(); ++i) text += (i ? "|" : "") + line[i];
  }
  return text;
}

// "pattern lines => replacement lines", tokens joined by "|", lines by " / ".
std::vector<std::string> describe(const RuleTable& table) {
  std::vector<std::string> rules;
  for (const Rule& rule : table.rules)
    rules.push_back(describe(rule.pattern_lines) + " => " + describe(rule.replacement_lines));
  return rules;
}

std::vector<std::size_t> definitions(const RuleTable& table) {
  std::vector<std::size_t> indices;
  for (const Rule& rule : table.rules) indices.push_back(rule.definition_index);
  return indices;
}

// N, R, P, T, L, slack, sweeps, rules, replacement-line capacity, token capacity,
// token-length capacity, pattern_height.
using Figures = std::vector<long long>;

Figures figures_of(const RuleCapacity& c) {
  return {c.rule_count,
          c.replacement_lines,
          c.pattern_lines,
          c.tokens_per_line,
          c.token_length,
          c.slack,
          c.sweeps,
          c.rules,
          c.replacement_line_capacity,
          c.token_capacity,
          c.token_length_capacity,
          c.pattern_height};
}

TEST(CountRules, CapacityArithmetic) {
  const std::pair<std::string, Figures> cases[] = {
      // One-line rules: a window of one row, replacement capacity R * slack / 2.
      {rule_file_with("#ld a:\tld b\n#ld c:\tld d\n#\n"),
       {2, 1, 1, 4, 2, 10, 12, 12, 5, 40, 10, 1}},
      // A two-line pattern: its second line counts one pattern line per token
      // (bne, b and the two tokens of its replacement), and the window is
      // R * slack - 1 rows high.
      {rule_file_with("#cmp a:\tc1\nbne b:\tc2\n:\tc3\n#\n"),
       {1, 3, 5, 2, 3, 10, 11, 11, 30, 20, 15, 29}},
      // 23 more tokens: P = 24 widens the slack to 12.
      {rule_file_with("#a:x\nt t t t t t t t t t t t t t t t t t t t t t t\n#\n"),
       {1, 1, 24, 23, 1, 12, 11, 13, 12, 276, 6, 11}},
      // The last rule is not closed by a "#" line: its three replacement lines do not count.
      {rule_file_with("#a:x\n#b:x:y:z\n"), {1, 1, 1, 1, 1, 10, 11, 11, 5, 10, 5, 1}},
      // Lines after a "#" line that has not opened its rule are no part of it.
      {rule_file_with("#\nld a:ld b\n:c\n#x:y\n#\n"), {2, 1, 1, 1, 1, 10, 12, 12, 5, 10, 5, 1}},
      // A quoted ":" and the escape "\:" open no replacement line.
      {rule_file_with("#a:'x:y' \\: z:w\n#\n"), {1, 2, 1, 5, 5, 10, 11, 11, 10, 50, 25, 1}},
      // A later line beginning with the directive reopens the section and the macro area.
      {".cpu x\n#a:b\n.other\n#z:z\n#z:z\n.cpu x\n#\n#file=s\n",
       {1, 1, 1, 1, 1, 10, 11, 11, 5, 10, 5, 1}},
  };
  for (const auto& [config, figures] : cases) {
    RuleFileRun run(config);
    std::optional<RuleCapacity> capacity = count_rules(run.session());
    ASSERT_TRUE(capacity) << config;
    EXPECT_EQ(figures_of(*capacity), figures) << config;
    EXPECT_EQ(run.console(), "");
    EXPECT_FALSE(run.session().failed);
  }
}

TEST(CountRules, NoRuleStopsTheRun) {
  const std::string areas[] = {
      "",
      "#\n",
      "   \n",
      "ld a:ld b\n",     // before the first "#" line
      "#\nld a:ld b\n",  // after a "#" line that never opened
  };
  for (const std::string& area : areas) {
    RuleFileRun run(rule_file_with(area));
    EXPECT_THROW(count_rules(run.session()), FatalStop) << area;
    EXPECT_EQ(run.console(), line_of(Message::no_macros)) << area;
  }
}

TEST(CountRules, NoClosedRuleCannotCreateTheTables) {
  const std::string areas[] = {
      "#ld a:ld b\n", "#ld a\n",
      "#a:x\n#file=t\n#b:y\n#\n",  // the macro area ends at the first settings line
  };
  for (const std::string& area : areas) {
    RuleFileRun run(rule_file_with(area));
    EXPECT_FALSE(count_rules(run.session())) << area;
    EXPECT_EQ(run.console(), line_of(Message::memory_failed) + line_of(Message::reduce_macros))
        << area;
    EXPECT_TRUE(run.session().failed);
    EXPECT_TRUE(run.session().wait_at_end);
  }
  // The same rule closed by a lone "#" line loads.
  RuleFileRun closed(rule_file_with("#ld a:ld b\n#\n"));
  ASSERT_TRUE(count_rules(closed.session()));
  EXPECT_FALSE(closed.session().failed);
}

struct LoadCase {
  std::string area;
  std::vector<std::string> table;
  std::vector<std::size_t> definitions;
  std::size_t pattern_height;
};

TEST(LoadRules, OrderAndLayoutOfTheRuleTable) {
  const LoadCase cases[] = {
      // One pattern line and one replacement line; the lone "#" loads an empty rule.
      {"#ld a:\tld b\n#\n", {"ld|a|!!! => \t|ld| |b|!!!", "!!! => "}, {0, 1}, 1},
      // Identical patterns: the rule defined earlier sits later, so it is tried first.
      {"#ld a:first\n#ld a:second\n#\n",
       {"ld|a|!!! => second|!!!", "ld|a|!!! => first|!!!", "!!! => "},
       {1, 0, 2},
       1},
      // "#" alone: the lines up to the next "#" line load nothing.
      {"#\nld a:ld b\n:more\n#ld c:d\n#\n",
       {"ld|c|!!! => d|!!!", "!!! => ", "!!! => "},
       {1, 2, 0},
       1},
      // Scores: more tokens score higher; then wildcard 9, user 5, immediate 4,
      // other placeholder 3, literal 2, digit by digit.
      {"#<...> <...>:w\n#ld <user>:a\n#ld <imm>:b\n#ld x:c\n#ld:d\n#ld <lbl>:e\n#a b c:f\n#\n",
       {"a|b|c|!!! => f|!!!", "<...>|<...>|!!! => w|!!!", "ld|<user>|!!! => a|!!!",
        "ld|<imm>|!!! => b|!!!", "ld|<lbl>|!!! => e|!!!", "ld|x|!!! => c|!!!", "ld|!!! => d|!!!",
        "!!! => "},
       {6, 0, 1, 2, 5, 3, 4, 7},
       1},
      // A two-line pattern with three replacement lines.
      {"#cmp a:\tc1\nbne b:\tc2\n:\tc3\n#\n",
       {"cmp|a|!!! / bne|b|!!! => \t|c1|!!! / \t|c2|!!! / \t|c3|!!!", "!!! => "},
       {0, 1},
       29},
      // A pattern line may follow the replacement lines; a blank line starts none.
      {"#a:x\n\nb c\n  \n#\n", {"a|!!! / b|c|!!! => x|!!!", "!!! => "}, {0, 1}, 9},
      // The score of a line stops at an escaped ":" token.
      {"#a \\: <...>:x\n#a b:y\n#\n",
       {"a|b|!!! => y|!!!", "a|:|<...>|!!! => x|!!!", "!!! => "},
       {1, 0, 2},
       1},
      // A word class and a range weigh like a literal, and come after one; among
      // themselves, and before a plain placeholder, in the order of the file.
      {"#ld <a>:p\n#ld <r>:c\n#ld a0:l\n#ld <imm:0..7>:n\n#\n#user r=a0\n",
       {"ld|<a>|!!! => p|!!!", "ld|<imm:0..7>|!!! => n|!!!", "ld|<r>|!!! => c|!!!",
        "ld|a0|!!! => l|!!!", "!!! => "},
       {0, 3, 1, 2, 4},
       1},
      // A ":" at the end of a line opens an empty replacement line.
      {"#nop:\n#\n", {"nop|!!! => !!!", "!!! => "}, {0, 1}, 1},
  };
  for (const LoadCase& c : cases) {
    RuleFileRun run(rule_file_with(c.area));
    run.session().settings = read_section_settings(run.session().config_text, ".cpu x", 300);
    std::optional<RuleCapacity> capacity = count_rules(run.session());
    ASSERT_TRUE(capacity) << c.area;
    RuleTable table;
    load_rules(run.session(), *capacity, table);
    EXPECT_EQ(describe(table), c.table) << c.area;
    EXPECT_EQ(definitions(table), c.definitions) << c.area;
    EXPECT_EQ(table.pattern_height, c.pattern_height) << c.area;
    // One dot per sweep and a line break, once for ordering and once for loading.
    EXPECT_EQ(run.console(), dots(capacity->rule_count + 10) + dots(capacity->rule_count + 10))
        << c.area;
  }
}

TEST(LoadRules, ScoresKeepExtendedPrecision) {
  if constexpr (std::numeric_limits<long double>::digits < 64) GTEST_SKIP();
  // 17 weights: 2...23 and 2...22 differ only in the last digit, which a double
  // loses; the higher score must take position 0 although it is defined first.
  std::string literals;
  for (int i = 0; i < 16; ++i) literals += "x ";
  RuleFileRun run(rule_file_with("#" + literals + "<a>:high\n#" + literals + "x:low\n#\n"));
  std::optional<RuleCapacity> capacity = count_rules(run.session());
  ASSERT_TRUE(capacity);
  RuleTable table;
  load_rules(run.session(), *capacity, table);
  EXPECT_EQ(definitions(table), (std::vector<std::size_t>{0, 1, 2}));
}

TEST(OperandWeight, Classes) {
  const std::pair<std::string, int> cases[] = {
      {"<...>", 9},   {"<...2>", 9}, {"<....>", 2}, {"<user>", 5}, {"<user3>", 5},
      {"<users>", 3}, {"<imm>", 4},  {"<imm1>", 4}, {"<immx>", 3}, {"<address>", 3},
      {"<1>", 2},     {"ld", 2},     {"<", 2},      {"", 1},
  };
  for (const auto& [token, weight] : cases) EXPECT_EQ(operand_weight(token), weight) << token;
}

}  // namespace
}  // namespace vonx
