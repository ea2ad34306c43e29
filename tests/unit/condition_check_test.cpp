#include "lowering/condition_check.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vonx {
namespace {

ConditionLine term(int index, long local, long next) {
  ConditionLine line;
  line.kind = ConditionLineKind::term;
  line.term_index = index;
  line.true_code = LabelCode::if_local_and;  // iflocalelseand + first number
  line.first_number = local;
  line.false_code = LabelCode::if_next_and;  // ifnextelseandjmp + second number
  line.second_number = next;
  return line;
}

// a && b, each term failing to the false target.
std::vector<ConditionLine> and_of_two() {
  return {term(0, 0, 0),          label_line("ifnextelseandjmp0"),
          goto_line("nextelse1"), label_line("iflocalelseand0"),
          term(1, 1, 1),          label_line("ifnextelseandjmp1"),
          goto_line("nextelse1"), label_line("iflocalelseand1"),
          goto_line("localelse1")};
}

TEST(LoweringMatchesCondition, RejectsEveryWayLinesCanGoWrong) {
  struct Case {
    std::string_view name;
    std::function<void(std::vector<ConditionLine>&)> change;
    bool matches;
  };
  const Case cases[] = {
      {"as written", [](auto&) {}, true},
      {"wrong target", [](auto& l) { l.back() = goto_line("nextelse1"); }, false},
      {"codes traded", [](auto& l) { std::swap(l[0].true_code, l[0].false_code); }, false},
      {"label defined twice", [](auto& l) { l.push_back(label_line("iflocalelseand0")); }, false},
      {"undefined label, even unreachable",
       [](auto& l) { l.push_back(goto_line("iflocalelseor5")); }, false},
      {"loop", [](auto& l) { l[2] = goto_line("ifnextelseandjmp0"); }, false},
      {"runs off the end", [](auto& l) { l.pop_back(); }, false},
      {"term outside the condition", [](auto& l) { l[4].term_index = 2; }, false},
      {"term not found", [](auto& l) { l[4].term_index = -1; }, false},
      {"another statement's target", [](auto& l) { l.back() = goto_line("localelse2"); }, false},
  };
  const ConditionWords words = condition_words(ConditionOwner::if_statement, 1);
  const std::optional<ConditionTree> tree = build_condition_tree("0 1 & ");
  ASSERT_TRUE(tree);
  for (const Case& c : cases) {
    std::vector<ConditionLine> lines = and_of_two();
    c.change(lines);
    EXPECT_EQ(lowering_matches_condition(lines, words, *tree), c.matches) << c.name;
  }
}

TEST(BuildConditionTree, OnlyWhenTheOperatorsJoinEveryOperand) {
  struct Case {
    std::string_view postfix;
    bool built;
  };
  const Case cases[] = {
      {"0 1 & 2 | ", true}, {"0 ! ! ", true}, {"0 1 & ( ", true},  // a leftover "(" is ignored
      {"! ", false},        {"0 & ", false},  {"0 1 ", false},    {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(build_condition_tree(c.postfix).has_value(), c.built) << c.postfix;
  }
}

}  // namespace
}  // namespace vonx
