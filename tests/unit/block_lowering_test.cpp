#include "lowering/block_lowering.hpp"

#include <gtest/gtest.h>

#include "lowering/header_text.hpp"

namespace vonx {
namespace {

TEST(RecogniseStatement, FirstMatchingRuleDecides) {
  using K = StatementKind;
  struct Case {
    std::string_view line;
    K kind;
  };
  const Case cases[] = {
      {"  if (a == b) {\n", K::if_statement},
      {"if(a)\n", K::if_statement},
      {"if (a\n", K::none},  // no ")" later
      {"iffy (a)\n", K::none},
      {"else if (c) {\n", K::else_if},
      {"else if c {\n", K::else_statement},  // not an else-if header: the plain else rule takes it
      {"else{\n", K::else_statement},
      {"else", K::none},  // nothing follows the word
      {"elsewhere\n", K::none},
      {"for (i = 0; i < 3; i++) {\n", K::for_loop},
      {"for (;;) {\n", K::for_loop},
      {"for (i = 0; i < 3) {\n", K::none},
      {"while (x) {\n", K::while_loop},
      {"do {\n", K::do_loop},
      {"do\n", K::do_loop},
      {"done\n", K::none},
      {"} while (x)\n", K::end_of_do},
      {"}while(x)\n", K::end_of_do},
      {"} else if (c) {\n", K::else_if},
      {"} else {\n", K::else_statement},
      {"}\n", K::closing_brace},
      {"\t} // end\n", K::closing_brace},
      {"} while x\n", K::none},  // a brace before a malformed while or else is copied
      {"} elsewhere\n", K::none},
      {"switch (r) {\n", K::switch_statement},
      {"case 1:\n", K::case_label},
      {"case :\n", K::case_label},  // reaches the case error: the value is empty
      {"case 1\n", K::none},
      {"case\n", K::none},
      {"break\n", K::break_statement},
      {"break", K::none},
      {"break;\n", K::none},
      {"continue \n", K::continue_statement},
      {"default:\n", K::default_label},
      {"default: nop\n", K::default_label},
      {"default:nop\n", K::none},
      {"\t[case]\n", K::caseor_label},
      {"goto\tout\n", K::goto_statement},
      {"goto\n", K::none},
      {"gotox\n", K::none},
      {"nop\n", K::none},
  };
  for (const Case& c : cases) EXPECT_EQ(recognise_statement(c.line, 300).kind, c.kind) << c.line;
}

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
