#include "translation/emitter.hpp"

#include <gtest/gtest.h>

#include "macro_test_support.hpp"

namespace vonx {
namespace {

using testing::make_rule;
using testing::table_in_trial_order;

struct EmitCase {
  const char* name;
  std::vector<std::string_view> patterns;
  std::vector<std::string_view> replacements;
  std::vector<std::string_view> lines;  // the window, row 0 first
  EmitOutcome outcome;
  std::string text;
  RowOffer offer = {false, 0};
};

// Matches the lines against the one rule and emits it.
Emission run_case(const EmitCase& c, const SectionSettings& settings, BlockStacks& stacks,
                  bool keyword_pass = false, std::string_view label_head = "L_") {
  RuleTable table = table_in_trial_order({make_rule(c.patterns, c.replacements)}, c.lines.size());
  TokenWindow window;
  JumpFields running;
  for (std::string_view line : c.lines)
    window.push_back(tokenize_line(line, c.offer, settings, running));
  std::optional<Match> match = match_window(window, {table, settings, stacks, nullptr});
  if (!match) {
    ADD_FAILURE() << "no match";
    return {};
  }
  EmitContext context{table, settings, stacks, label_head, keyword_pass};
  return emit_match(*match, window, context);
}

TEST(EmitMatch, Replacements) {
  SectionSettings settings;
  settings.space_words = {","};
  settings.sized_names = {{'w', "ax"}, {'b', "al"}};
  const EmitCase cases[] = {
      {"condition with its false address",
       {"<cond>"},
       {"test <cond>", "jz <falseaddress>"},
       {"  <x == 0>  [+++18,3,20,5+++]\n"},
       EmitOutcome::written,
       "  test x == 0\n  jz L_ifnextelseandjmp5\n"},
      {"true address",
       {"<cond>"},
       {"jnz <trueaddress>"},
       {"  <x == 0>  [+++18,3,20,5+++]\n"},
       EmitOutcome::written,
       "  jnz L_iflocalelseand3\n"},
      {"address twice: local then next label",
       {"<a> == <b>"},
       {"cmp <a>, <b>", "jz <address>", "jmp <address>"},
       {"  r == 1  [+++4,1,8,1+++]\n"},
       EmitOutcome::written,
       "  cmp r, 1\n  jz L_localelse1\n  jmp L_nextelse1\n"},
      {"case numbers",
       {"<a> == <b>"},
       {"jnz <falseaddress>"},
       {"  r == 2  [+++16,2,17,2+++]\n"},
       EmitOutcome::written,
       "  jnz L_nextcase2\n"},
      {"break",
       {"break"},
       {"jmp <address>"},
       {"  break  [+++10,2+++]\n"},
       EmitOutcome::written,
       "  jmp L_exitwhile2\n"},
      {"no marker", {"<a> <b>"}, {"jz <falseaddress>"}, {"  x y\n"}, EmitOutcome::abandoned, ""},
      {"code without a label word",
       {"continue"},
       {"jmp <address>"},
       {"  continue  [+++0,0+++]\n"},
       EmitOutcome::abandoned,
       ""},
      {"code above the table",
       {"<a> <b>"},
       {"jz <trueaddress>"},
       {"  x y  [+++38,1,8,1+++]\n"},
       EmitOutcome::abandoned,
       ""},
      {"address use without a code of its kind",
       {"<a> <b>"},
       {"jz <address>"},
       {"  x y  [+++18,1,20,1+++]\n"},
       EmitOutcome::abandoned,
       ""},
      // Tightened lines: each number goes with the code before it.
      {"five fields",
       {"<a> <b>"},
       {"jz <trueaddress>", "jmp <falseaddress>"},
       {"  x y  [+++20,3,38,5,0+++]\n"},
       EmitOutcome::written,
       "  jz L_ifnextelseandjmp3\n  jmp L_exitif5\n"},
      {"five fields: address uses in order",
       {"<a> <b>"},
       {"jz <address>", "jmp <address>"},
       {"  x y  [+++18,3,20,5,0+++]\n"},
       EmitOutcome::written,
       "  jz L_iflocalelseand3\n  jmp L_ifnextelseandjmp5\n"},
      {"one branch",
       {"<a> <b>"},
       {"jnz <falseonly>"},
       {"  x y  [+++4,1,8,2,1+++]\n"},
       EmitOutcome::written,
       "  jnz L_nextelse2\n"},
      {"bound bracketed term loses its brackets",
       {"cmp <a> <b>"},
       {"cmp <a>,<b>"},
       {"  cmp <x y> z\n"},
       EmitOutcome::written,
       "  cmp x y,z\n"},
      {"size: narrowest and widest",
       {"mov <a> <b>"},
       {"mov.<size> <a>", "mov.<size2> <b>"},
       {"  mov al ax\n"},
       EmitOutcome::written,
       "  mov.b al\n  mov.w ax\n"},
      {"size of unsized operands",
       {"mov <a> <b>"},
       {"mov<size> <a>,<b>"},
       {"  mov x y\n"},
       EmitOutcome::written,
       "  mov x,y\n"},
      // Separator words take no blank on either side; other tokens keep one.
      {"wildcard run",
       {"push <...>"},
       {"push <...>"},
       {"  push dword ptr [x] , eax\n"},
       EmitOutcome::written,
       "  push dword ptr [x],eax\n"},
      {"placeholder the pattern does not bind",
       {"nop <a>"},
       {"nop <b>"},
       {"  nop x\n"},
       EmitOutcome::rule_error,
       ""},
      {"two rows, three lines: the last row leads the extra line",
       {"cmp <a> <b>", "jz <l>"},
       {"c <a>", "j <l>", "k <b>"},
       {"  cmp x y\n", "        jz there\n"},
       EmitOutcome::written,
       "  c x\n        j there\n        k y\n"},
      // A jump comes from the rows the match consumes, never from a row below.
      {"marker of an unconsumed row",
       {"cmp <a> <b>"},
       {"jz <trueaddress>"},
       {"  cmp x y\n", "  z  [+++4,1,8,1+++]\n"},
       EmitOutcome::abandoned,
       ""},
      {"marker of a consumed second row",
       {"cmp <a> <b>", "<c>"},
       {"cmp <a>", "jz <trueaddress>"},
       {"  cmp x y\n", "  z  [+++4,7,8,7+++]\n"},
       EmitOutcome::written,
       "  cmp x\n  jz L_localelse7\n"},
      // Text around the translated part survives, once.
      {"operand in the first phase",
       {"<a> + <b>"},
       {"<a>+<b>"},
       {"  ld r1, #5 + 1\n"},
       EmitOutcome::written,
       "  ld r1, #5+1\n",
       {true, 1}},
      {"operand inside a list",
       {"a b"},
       {"ab"},
       {"  f(a b, c)  [+++4,1,8,1+++]\n"},
       EmitOutcome::written,
       "  f(ab, c)  [+++4,1,8,1+++]\n",
       {true, 1}},
      {"operand of two lines",
       {"a b"},
       {"x", "y"},
       {"  f(a b, c)\n"},
       EmitOutcome::written,
       "  f(x\n  f(y, c)\n",
       {true, 1}},
      {"call in the second phase",
       {"foo ( <...> )"},
       {"call_foo <...>"},
       {"  x = foo(a b) + 1\n"},
       EmitOutcome::written,
       "  x = call_foo a b + 1\n",
       {false, 1}},
  };
  for (const EmitCase& c : cases) {
    SCOPED_TRACE(c.name);
    BlockStacks stacks;
    Emission emission = run_case(c, settings, stacks);
    EXPECT_EQ(emission.outcome, c.outcome);
    EXPECT_EQ(emission.text, c.text);
    if (c.outcome == EmitOutcome::rule_error) {
      EXPECT_EQ(emission.missing_placeholder, "<b>");
    }
  }
}

TEST(EmitMatch, KeywordPlaceholdersOnlyInTheKeywordPass) {
  SectionSettings settings;
  EmitCase c{"", {"end"}, {"<keywordend> <keyword>"}, {"  end\n"}, EmitOutcome::written, ""};
  BlockStacks stacks;
  stacks.keyword_stack = {{"If", "EndIf"}, {"Sub", "End"}};
  Emission other_pass = run_case(c, settings, stacks, false);
  EXPECT_EQ(other_pass.text, "   \n");
  EXPECT_FALSE(other_pass.wrote_keyword);
  EXPECT_EQ(stacks.keyword_stack.size(), 2u);

  Emission keyword_pass = run_case(c, settings, stacks, true);
  EXPECT_EQ(keyword_pass.text, "  End Sub\n");
  EXPECT_TRUE(keyword_pass.wrote_keyword);
  ASSERT_EQ(stacks.keyword_stack.size(), 1u);  // the pair is closed
  EXPECT_EQ(stacks.keyword_stack[0].keyword, "If");

  // "<keyword>" alone opens nothing and closes nothing.
  EmitCase open{"", {"begin"}, {"<keyword>"}, {"  begin\n"}, EmitOutcome::written, ""};
  EXPECT_EQ(run_case(open, settings, stacks, true).text, "  If\n");
  EXPECT_EQ(stacks.keyword_stack.size(), 1u);
}

TEST(EmitMatch, ClassPlaceholderWritesTheTopOfTheClassStack) {
  SectionSettings settings;
  EmitCase c{"", {"me"}, {"<class>.x"}, {"  me\n"}, EmitOutcome::written, ""};
  BlockStacks stacks;
  stacks.class_stack = {"Outer", "Inner"};
  EXPECT_EQ(run_case(c, settings, stacks).text, "  Inner.x\n");
}

}  // namespace
}  // namespace vonx
