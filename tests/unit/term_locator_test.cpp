#include "lowering/term_locator.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.hpp"

namespace vonx {
namespace {

TEST(LocateTerms, TermsAsTheyStandInTheSource) {
  struct Case {
    std::string_view text;
    std::size_t line_width;
    std::vector<std::string_view> terms;
  };
  const Case cases[] = {
      {"a == 1 && b == 2) {\n", 300, {"a == 1 ", "b == 2"}},
      {"!(a != b) || !!c)\n", 300, {"a != b", "c"}},  // "!=" inside a term, "!" before one
      {"(a)&&(b)", 300, {"a", "b"}},
      {"a   || b)", 300, {"a   ", "b"}},  // trailing blanks belong to the term
      {"a && b", 300, {"a "}},            // the last term runs into the end
      {"a && b {", 300, {"a "}},          // or into a "{"
      {"a &&\nb)", 300, {"a "}},          // the line break ends the scan
      {"a &\nb)", 300, {"a "}},           // a lone "&" never steps over the break
      {"aaaa && b)", 5, {}},              // cut by the line width
      {"aaa && b)", 5, {"aaa "}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(locate_terms(c.text, c.line_width), c.terms) << c.text;
  }
  // A two-byte character ending in "|", "{" or any other sign stays in its term.
  for (const std::string& character : testing::kSignLikeCharacters) {
    const std::string text = testing::with_character("a == \x82\xa0 || \x82\xa0) {\n", character);
    const std::vector<std::string_view> terms = {std::string_view(text).substr(0, 8),
                                                 std::string_view(text).substr(11, 2)};
    EXPECT_EQ(locate_terms(text, 300), terms) << character;
  }
}

TEST(TermForDigit, TheKthTermWithThatDigit) {
  std::vector<std::string_view> terms;
  for (int i = 0; i < 12; ++i) terms.push_back("t");
  EXPECT_EQ(term_for_digit(terms, '0', 1), 0);
  EXPECT_EQ(term_for_digit(terms, '0', 2), 10);
  EXPECT_EQ(term_for_digit(terms, '1', 2), 11);
  EXPECT_EQ(term_for_digit(terms, '2', 2), -1);
  EXPECT_EQ(term_for_digit(terms, '\0', 1), -1);  // an empty operand stack gave no digit
}

}  // namespace
}  // namespace vonx
