#include "lowering/header_text.hpp"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace vonx {
namespace {

TEST(HeaderText, ConditionEndAndPieces) {
  // header_text_end(line, open, start) for a header opened at position 2.
  struct End {
    std::string_view line;
    std::size_t start;
    std::size_t end;
  };
  const End ends[] = {
      {"w (a) {", 3, 4},      {"w ((a) == b) {", 3, 11}, {"w (a == ')') {", 3, 11},
      {"w ((a) {", 3, 5},  // nothing balances: the first ")" after the start
      {"w (a; b; c)", 8, 10},
  };
  for (const End& e : ends) EXPECT_EQ(header_text_end(e.line, 2, e.start), e.end) << e.line;

  using Pieces = std::vector<std::string_view>;
  EXPECT_EQ(header_pieces(""), Pieces{""});
  EXPECT_EQ(header_pieces("i = 0, j = 0"), (Pieces{"i = 0", " j = 0"}));
  EXPECT_EQ(header_pieces("f(a, b), c"), (Pieces{"f(a, b)", " c"}));
  EXPECT_EQ(header_pieces("c = ',', d"), (Pieces{"c = ','", " d"}));
  EXPECT_EQ(header_pieces("a),b"), (Pieces{"a)", "b"}));
}

}  // namespace
}  // namespace vonx
