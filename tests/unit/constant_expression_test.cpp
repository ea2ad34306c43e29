#include "common/constant_expression.hpp"

#include <gtest/gtest.h>

namespace vonx {
namespace {

TEST(ToPostfix, PrecedenceAndRightGrouping) {
  struct Case {
    std::string_view infix, postfix;
  };
  const Case cases[] = {
      {"1|0&!1", "101!&|"}, {"(1|0)&0", "10|0&"}, {"0&1&2", "012&&"}, {"0|1|2", "012||"},
      {"!0&1", "0!1&"},     {"!(0&1)", "01&!"},   {"(0", "0("},       {"", ""},
      {"!!0", "0!!"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_postfix(c.infix, 100), c.postfix) << c.infix;
}

TEST(EvaluateCondition, ValuesOfReducedExpressions) {
  struct Case {
    std::string_view reduced;
    int value;
  };
  const Case cases[] = {
      {"1|0&!1", 1}, {"(1|0)&0", 0}, {"1&1&0", 0}, {"0|0|1", 1}, {"!1|1", 1}, {"1", 1}, {"0", 0},
      {"", 0},       {"!0", 1},      {"1&!0", 1},  {"(1", 1},    {"&1", 0},   {"!", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(evaluate_condition(c.reduced, 100), c.value) << c.reduced;
}

TEST(ToPostfix, ClosingParenthesisWithoutOpeningOne) {
  try {
    to_postfix("1)", 100);
    FAIL() << "no error";
  } catch (const ExpressionError& error) {
    EXPECT_EQ(error.reason, Message::missing_open_paren);
  }
}

TEST(ToPostfix, OperatorStackHoldsLineWidthEntries) {
  EXPECT_EQ(to_postfix("(((1", 3), "1(((");
  try {
    to_postfix("((((1", 3);
    FAIL() << "no error";
  } catch (const ExpressionError& error) {
    EXPECT_EQ(error.reason, Message::stack_full);
  }
}

}  // namespace
}  // namespace vonx
