#include "lowering/compound_condition.hpp"

#include <gtest/gtest.h>

#include <string>

#include "lowering/condition_tokens.hpp"
#include "preprocessor/constant_expression.hpp"

namespace vonx {
namespace {

constexpr std::size_t kLineWidth = 300;
const LabelStyle kPlain{"", ":\n", false, kLineWidth};

// Lowers the condition that starts at `text` (the rest of the header line) the
// way block lowering hands it over: tokens from the same text.
std::string lower(CompoundCounters& counters, ConditionOwner owner, long target,
                  std::string_view text, const LabelStyle& style = kPlain) {
  const ConditionTokens tokens = scan_condition(text, style.line_width);
  EXPECT_TRUE(tokens.compound) << text;
  std::string out;
  compile_compound_condition(counters, {owner, target, text, tokens.tokens}, style, out);
  return out;
}

struct Example {
  std::string_view name;
  ConditionOwner owner;
  long target;
  std::string_view text;
  std::string_view lines;
};

// Each with fresh counters, label head empty and label end ":".
const Example kExamples[] = {
    {"two terms joined by and", ConditionOwner::if_statement, 7, "a == 1 && b == 2) {\n",
     "  b == 2  [+++18,0,20,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand0:\n"
     "  a == 1   [+++18,1,20,1+++]\n"
     "ifnextelseandjmp1:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand1:\n"
     "     goto     localelse7\n"
     "ifnextelseandjmp2:\n"
     "iflocalelseorgoto0:\n"
     "     goto     nextelse7\n"},
    {"two terms joined by or", ConditionOwner::while_loop, 3, "x < 5 || y > 3) {\n",
     "  y > 3  [+++27,0,29,1+++]\n"
     "whilenextelseorjmp1:\n"
     "  x < 5   [+++27,0,29,2+++]\n"
     "whilenextelseorjmp2:\n"
     "     goto     whilelocalelseorgoto0\n"
     "whilelocalelseor0:\n"
     "     goto     localwhile3\n"
     "whilenextelseandjmp0:\n"
     "whilelocalelseorgoto0:\n"
     "     goto     exitwhile3\n"},
    {"negated and", ConditionOwner::if_statement, 7, "!(a == 1 && b == 2)) {\n",
     "  b == 2  [+++21,0,19,1+++]\n"
     "ifnextelseorjmp1:\n"
     "  a == 1   [+++21,0,19,2+++]\n"
     "ifnextelseorjmp2:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseor0:\n"
     "     goto     localelse7\n"
     "ifnextelseandjmp0:\n"
     "iflocalelseorgoto0:\n"
     "     goto     nextelse7\n"},
    {"and then or", ConditionOwner::if_statement, 7, "a && b || c) {\n",
     "  b   [+++18,0,20,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand0:\n"
     "  a   [+++18,1,20,1+++]\n"
     "ifnextelseandjmp1:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand1:\n"
     "     goto     iflocalelseorgoto1\n"
     "ifnextelseandjmp2:\n"
     "iflocalelseorgoto0:\n"
     "  c  [+++19,0,21,1+++]\n"
     "ifnextelseorjmp1:\n"
     "     goto     iflocalelseorgoto2\n"
     "iflocalelseor0:\n"
     "iflocalelseorgoto1:\n"
     "     goto     localelse7\n"
     "ifnextelseandjmp3:\n"
     "iflocalelseorgoto2:\n"
     "     goto     nextelse7\n"},
    {"two ands joined by or", ConditionOwner::if_statement, 7, "(a && b) || (c && d)) {\n",
     "  b  [+++18,0,20,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand0:\n"
     "  a   [+++18,1,20,1+++]\n"
     "ifnextelseandjmp1:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand1:\n"
     "     goto     iflocalelseorgotonot1\n"
     "ifnextelseandjmp2:\n"
     "iflocalelseorgoto0:\n"
     "  d  [+++18,2,20,3+++]\n"
     "ifnextelseandjmp3:\n"
     "     goto     iflocalelseorgoto1\n"
     "iflocalelseand2:\n"
     "  c   [+++18,3,20,4+++]\n"
     "ifnextelseandjmp4:\n"
     "     goto     iflocalelseorgoto1\n"
     "iflocalelseand3:\n"
     "iflocalelseorgotonot1:\n"
     "     goto     localelse7\n"
     "ifnextelseandjmp5:\n"
     "iflocalelseorgoto1:\n"
     "     goto     nextelse7\n"},
    {"two negated terms joined by and", ConditionOwner::if_statement, 7, "!a && !b) {\n",
     "  a   [+++20,0,18,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseandgotonot1\n"
     "iflocalelseand0:\n"
     "  b  [+++20,1,18,1+++]\n"
     "ifnextelseandjmp1:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand1:\n"
     "     goto     localelse7\n"
     "ifnextelseandjmp2:\n"
     "iflocalelseorgoto0:\n"
     "iflocalelseandgotonot1:\n"
     "     goto     nextelse7\n"},
    {"one negated term: codes traded", ConditionOwner::if_statement, 2, "!a) {\n",
     "  a  [+++20,0,18,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand0:\n"
     "     goto     localelse2\n"
     "ifnextelseandjmp1:\n"
     "iflocalelseorgoto0:\n"
     "     goto     nextelse2\n"},
    {"double negation: codes in order", ConditionOwner::if_statement, 2, "!!a) {\n",
     "  a  [+++18,0,20,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseorgoto0\n"
     "iflocalelseand0:\n"
     "     goto     localelse2\n"
     "ifnextelseandjmp1:\n"
     "iflocalelseorgoto0:\n"
     "     goto     nextelse2\n"},
    {"a != b is one term, trailing blanks kept", ConditionOwner::do_while, 4,
     "a != b   && c)\n",
     "  c  [+++30,0,32,0+++]\n"
     "dowhilenextelseandjmp0:\n"
     "     goto     dowhilelocalelseorgoto0\n"
     "dowhilelocalelseand0:\n"
     "  a != b     [+++30,1,32,1+++]\n"
     "dowhilenextelseandjmp1:\n"
     "     goto     dowhilelocalelseorgoto0\n"
     "dowhilelocalelseand1:\n"
     "     goto     localdowhile4\n"
     "dowhilenextelseandjmp2:\n"
     "dowhilelocalelseorgoto0:\n"
     "     goto     exitdowhile4\n"},
    {"a chain of and is tested from its last term", ConditionOwner::for_loop, 1,
     "a && b && c)",
     "  c  [+++22,0,24,0+++]\n"
     "fornextelseandjmp0:\n"
     "     goto     forlocalelseorgoto0\n"
     "forlocalelseand0:\n"
     "  b   [+++22,1,24,1+++]\n"
     "fornextelseandjmp1:\n"
     "     goto     forlocalelseorgoto0\n"
     "forlocalelseand1:\n"
     "  a   [+++22,2,24,2+++]\n"
     "fornextelseandjmp2:\n"
     "     goto     forlocalelseorgoto0\n"
     "forlocalelseand2:\n"
     "     goto     localfor1\n"
     "fornextelseandjmp3:\n"
     "forlocalelseorgoto0:\n"
     "     goto     exitfor1\n"},
};

TEST(CompileCompoundCondition, LinkedLoweringKeptWhereItIsRight) {
  for (const Example& example : kExamples) {
    CompoundCounters counters;
    EXPECT_EQ(lower(counters, example.owner, example.target, example.text), example.lines)
        << example.name;
  }
}

}  // namespace
}  // namespace vonx
