#include "lowering/statement_recognition.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vonx
