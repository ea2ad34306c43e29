#include "lowering/compound_condition.hpp"

#include <gtest/gtest.h>

#include <string>

#include "common/constant_expression.hpp"
#include "lowering/condition_tokens.hpp"

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
    {"a != b is one term, trailing blanks kept", ConditionOwner::do_while, 4, "a != b   && c)\n",
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
    {"a chain of and is tested from its last term", ConditionOwner::for_loop, 1, "a && b && c)",
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

TEST(CompileCompoundCondition, BlockModeBracketsOnlyTermsWithWhiteSpace) {
  CompoundCounters counters;
  const LabelStyle block{"L", ":\n", true, kLineWidth};
  EXPECT_EQ(lower(counters, ConditionOwner::while_loop, 2, "x == 1 || y) {\n", block),
            "  y  [+++27,0,29,1+++]\n"
            "Lwhilenextelseorjmp1:\n"
            "  <x == 1 >  [+++27,0,29,2+++]\n"
            "Lwhilenextelseorjmp2:\n"
            "     goto     Lwhilelocalelseorgoto0\n"
            "Lwhilelocalelseor0:\n"
            "     goto     Llocalwhile2\n"
            "Lwhilenextelseandjmp0:\n"
            "Lwhilelocalelseorgoto0:\n"
            "     goto     Lexitwhile2\n");
}

TEST(CompileCompoundCondition, CountersRunOnAcrossConditionsOfAFile) {
  CompoundCounters counters;
  lower(counters, ConditionOwner::if_statement, 7, "a == 1 && b == 2) {\n");
  EXPECT_EQ(lower(counters, ConditionOwner::if_statement, 8, "a == 1 && b == 2) {\n"),
            "  b == 2  [+++18,2,20,3+++]\n"
            "ifnextelseandjmp3:\n"
            "     goto     iflocalelseorgoto1\n"
            "iflocalelseand2:\n"
            "  a == 1   [+++18,3,20,4+++]\n"
            "ifnextelseandjmp4:\n"
            "     goto     iflocalelseorgoto1\n"
            "iflocalelseand3:\n"
            "     goto     localelse8\n"
            "ifnextelseandjmp5:\n"
            "iflocalelseorgoto1:\n"
            "     goto     nextelse8\n");
  // Each construct word has counters of its own.
  EXPECT_EQ(lower(counters, ConditionOwner::while_loop, 1, "!a) {\n"),
            "  a  [+++28,0,26,0+++]\n"
            "whilenextelseandjmp0:\n"
            "     goto     whilelocalelseorgoto0\n"
            "whilelocalelseand0:\n"
            "     goto     localwhile1\n"
            "whilenextelseandjmp1:\n"
            "whilelocalelseorgoto0:\n"
            "     goto     exitwhile1\n");
}

// Conditions the linked lowering sends the wrong way are written term by term in
// source order, each negation pushed down to its term (codes traded).
const Example kShortCircuit[] = {
    {"negation over an and with a negated term", ConditionOwner::if_statement, 7, "!(a && !b)) {\n",
     "  a   [+++20,0,18,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseor0\n"
     "iflocalelseand0:\n"
     "     goto     localelse7\n"
     "iflocalelseor0:\n"
     "  b  [+++18,1,20,1+++]\n"
     "ifnextelseandjmp1:\n"
     "     goto     nextelse7\n"
     "iflocalelseand1:\n"
     "     goto     localelse7\n"},
    {"negation over a chain of and", ConditionOwner::while_loop, 5, "!(a && b && c)) {\n",
     "  a   [+++28,0,26,0+++]\n"
     "whilenextelseandjmp0:\n"
     "     goto     whilelocalelseor0\n"
     "whilelocalelseand0:\n"
     "     goto     localwhile5\n"
     "whilelocalelseor0:\n"
     "  b   [+++28,1,26,1+++]\n"
     "whilenextelseandjmp1:\n"
     "     goto     whilelocalelseor1\n"
     "whilelocalelseand1:\n"
     "     goto     localwhile5\n"
     "whilelocalelseor1:\n"
     "  c  [+++28,2,26,2+++]\n"
     "whilenextelseandjmp2:\n"
     "     goto     exitwhile5\n"
     "whilelocalelseand2:\n"
     "     goto     localwhile5\n"},
    {"failure targets of the if form", ConditionOwner::if_statement, 1, "!a || !b && !c) {\n",
     "  a   [+++20,0,18,0+++]\n"
     "ifnextelseandjmp0:\n"
     "     goto     iflocalelseor0\n"
     "iflocalelseand0:\n"
     "     goto     localelse1\n"
     "iflocalelseor0:\n"
     "  b   [+++20,1,18,1+++]\n"
     "ifnextelseandjmp1:\n"
     "     goto     nextelse1\n"
     "iflocalelseand1:\n"  // holds: runs on to the next term, no label between
     "  c  [+++20,2,18,2+++]\n"
     "ifnextelseandjmp2:\n"
     "     goto     nextelse1\n"
     "iflocalelseand2:\n"
     "     goto     localelse1\n"},
};

TEST(CompileCompoundCondition, ShortCircuitWhereTheLinkedLoweringIsWrong) {
  for (const Example& example : kShortCircuit) {
    CompoundCounters counters;
    EXPECT_EQ(lower(counters, example.owner, example.target, example.text), example.lines)
        << example.name;
  }
}

TEST(CompileCompoundCondition, DiscardedLoweringLeavesNoTraceInTheCounters) {
  CompoundCounters counters;
  lower(counters, ConditionOwner::if_statement, 7, "!(a && !b)) {\n");
  // Two terms and one or label written; the linked lowering's false exits, or
  // numbers and links were never spent.
  EXPECT_EQ(counters.words[0].local_and, 2);
  EXPECT_EQ(counters.words[0].next_and, 2);
  EXPECT_EQ(counters.words[0].local_or, 1);
  EXPECT_EQ(counters.words[0].next_or, 0);
  EXPECT_EQ(counters.words[0].false_exit, 0);
  EXPECT_EQ(counters.and_link, 0);
  EXPECT_EQ(counters.or_link, 0);
  EXPECT_EQ(lower(counters, ConditionOwner::if_statement, 8, "a && b) {\n"),
            "  b  [+++18,2,20,2+++]\n"
            "ifnextelseandjmp2:\n"
            "     goto     iflocalelseorgoto0\n"
            "iflocalelseand2:\n"
            "  a   [+++18,3,20,3+++]\n"
            "ifnextelseandjmp3:\n"
            "     goto     iflocalelseorgoto0\n"
            "iflocalelseand3:\n"
            "     goto     localelse8\n"
            "ifnextelseandjmp4:\n"
            "iflocalelseorgoto0:\n"
            "     goto     nextelse8\n");
}

TEST(CompileCompoundCondition, ElevenTermsAreTestedInSourceOrderWithTheirOwnTexts) {
  CompoundCounters counters;
  const std::string out = lower(counters, ConditionOwner::while_loop, 1,
                                "a || b && c && d && e && f && g && h && i && j && k) {\n");
  std::string terms;  // the first letter of every term line, in order
  for (std::size_t line = 0; line < out.size();) {
    const std::size_t end = out.find('\n', line);
    if (out.compare(line, 2, "  ") == 0 && out[line + 2] != ' ') terms += out[line + 2];
    line = end + 1;
  }
  EXPECT_EQ(terms, "abcdefghijk");
  EXPECT_EQ(out.find("localelseorgoto"), std::string::npos);
}

TEST(CompileCompoundCondition, MalformedConditionIsWrittenAsItStands) {
  // "!" with nothing to negate: the operand is written as an empty term.
  CompoundCounters counters;
  EXPECT_EQ(lower(counters, ConditionOwner::if_statement, 1, "!) {\n"),
            "    [+++20,0,18,0+++]\n"
            "ifnextelseandjmp0:\n"
            "     goto     iflocalelseorgoto0\n"
            "iflocalelseand0:\n"
            "     goto     localelse1\n"
            "ifnextelseandjmp1:\n"
            "iflocalelseorgoto0:\n"
            "     goto     nextelse1\n");
}

TEST(CompileCompoundCondition, ConversionErrorsLeaveOutputAndCountersAlone) {
  struct Case {
    std::string_view tokens;
    std::size_t line_width;
    Message reason;
  };
  const Case cases[] = {
      {"0)&1", kLineWidth, Message::missing_open_paren},
      {"((((0&1))))", 4, Message::stack_full},
  };
  for (const Case& c : cases) {
    CompoundCounters counters;
    counters.words[0].local_and = 5;
    std::string out = "before\n";
    const LabelStyle style{"", ":\n", false, c.line_width};
    try {
      compile_compound_condition(
          counters, {ConditionOwner::if_statement, 1, "a) && b) {\n", c.tokens}, style, out);
      ADD_FAILURE() << c.tokens << ": no error";
    } catch (const ExpressionError& error) {
      EXPECT_EQ(error.reason, c.reason) << c.tokens;
    }
    EXPECT_EQ(out, "before\n") << c.tokens;
    EXPECT_EQ(counters.words[0].local_and, 5) << c.tokens;
  }
}

}  // namespace
}  // namespace vonx
