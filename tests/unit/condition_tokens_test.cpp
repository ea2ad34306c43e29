#include "lowering/condition_tokens.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace vonx {
namespace {

TEST(ScanCondition, TokensAndTheSimpleOrCompoundDecision) {
  struct Case {
    std::string_view text;
    bool compound;
    std::string_view tokens;
  };
  const Case cases[] = {
      {"a == b) {\n", false, ""},
      {"a != b) {\n", false, "0)"},  // one operand, no negation: simple after all
      {"a && b) {\n", true, "0&1"},
      {"!a || (b && c)) {\n", true, "!0|(1&2)"},
      {"a || b; i++) {\n", true, "0|1"},
      {"!a)\n", true, "!0"},
      {"!!a)\n", true, "!!0"},
      {"a && b", true, "0&"},  // an operand cut by the end of the line is not recorded
      {"(a) && (b)) {\n", true, "(0)&(1)"},
      {"a && ) {\n", true, "0&"},  // an operand missing: not simple
  };
  for (const Case& c : cases) {
    ConditionTokens t = scan_condition(c.text, 300);
    EXPECT_EQ(t.compound, c.compound) << c.text;
    if (c.compound || !c.tokens.empty()) {
      EXPECT_EQ(t.tokens, c.tokens) << c.text;
    }
  }
}

TEST(ScanCondition, TwoByteCharactersStayInTheirOperand) {
  struct Case {
    std::string_view text;
    bool compound;
    std::string_view tokens;
  };
  const Case cases[] = {
      {"a == \x82\xa0 || b) {\n", true, "0|1"},
      {"\x82\xa0\x82\xa0 && !b) {\n", true, "0&!1"},
      {"a != \x82\xa0) {\n", false, "0)"},
  };
  for (const std::string& character : testing::kSignLikeCharacters) {
    for (const Case& c : cases) {
      ConditionTokens t = scan_condition(testing::with_character(c.text, character), 300);
      EXPECT_EQ(t.compound, c.compound) << c.text << " " << character;
      EXPECT_EQ(t.tokens, c.tokens) << c.text << " " << character;
    }
  }
}

TEST(ScanCondition, DigitsWrapAfterTenOperands) {
  ConditionTokens t = scan_condition("a||b||c||d||e||f||g||h||i||j||k) {\n", 300);
  EXPECT_EQ(t.tokens, "0|1|2|3|4|5|6|7|8|9|0");
  EXPECT_EQ(t.operand_count, 11);
}

}  // namespace
}  // namespace vonx
