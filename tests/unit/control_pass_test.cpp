#include "lowering/control_pass.hpp"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "common/messages.hpp"
#include "common/rule_section.hpp"
#include "lowering/label_ledger.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

using testing::ScratchDir;
using testing::TestSession;

const std::string kConfig = ".cpu x\n#labelhead=L\n#labelend=:\n#file=asm\n";

struct Lowered {
  std::string text;
  std::string console;
  bool wait_at_end = false;
  bool failed = false;
};

Lowered lower(std::string_view input, const std::string& config = kConfig,
              bool block_mode = false) {
  ScratchDir dir;
  TestSession t(dir);
  t.session.settings = read_section_settings(config, ".cpu x", t.session.line_width);
  t.session.block_mode = block_mode;
  Lowered result;
  result.text = control_pass(t.session, numbered_text(input)).text;
  result.console = t.terminal.text();
  result.wait_at_end = t.session.wait_at_end;
  result.failed = t.session.failed;
  return result;
}

struct Example {
  std::string_view name;
  std::string_view input;
  std::string_view output;
};

void expect_examples(std::initializer_list<Example> examples, bool block_mode = false) {
  for (const Example& e : examples) {
    Lowered got = lower(e.input, kConfig, block_mode);
    EXPECT_EQ(got.text, e.output) << e.name;
    EXPECT_EQ(got.console, "") << e.name;
  }
}

TEST(ControlPass, WorkedExamples) {
  expect_examples({
      {"if, else if, else", "if (a == b) {\nbody\n} else if (c) {\nbody\n} else {\nbody\n}\n",
       R"(  a == b  [+++4,1,8,1+++]
Llocalelse1:
body
     goto     Lexitif1
Lnextelse1:
  c  [+++4,2,8,2+++]
Llocalelse2:
body
     goto     Lexitif1
Lnextelse2:
body
Lexitif1:
)"},
      {"if and else if without else", "if (a == b) {\nbody\n} else if (c) {\nbody\n}\n",
       R"(  a == b  [+++4,1,8,1+++]
Llocalelse1:
body
     goto     Lexitif1
Lnextelse1:
  c  [+++4,2,8,2+++]
Llocalelse2:
body
Lnextelse2:
Lexitif1:
)"},
      {"for with two init pieces", "for (i = 0, j = 0; i < 10; i++) {\nbody\n}\n",
       R"(     i = 0
      j = 0
     goto     Lloopstartfor1
Lzoubuntijmp1:
      i++
Lloopstartfor1:
  i < 10  [+++1,1,5,1+++]
Llocalfor1:
body
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"infinite for", "for (;;) {\nbody\n}\n",
       R"(Lzoubuntijmp1:
Lloopstartfor1:
body
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"infinite for with blanks, whatever follows the parenthesis",
       "for ( ; ; ) { // forever\n}\n",
       "Lzoubuntijmp1:\nLloopstartfor1:\n     goto     Lzoubuntijmp1\nLexitfor1:\n"},
      {"while with break and continue", "while (x != 0) {\nbreak\ncontinue\n}\n",
       R"(Lloopstartwhile1:
  x != 0  [+++2,1,6,1+++]
Llocalwhile1:
  break  [+++10,1+++]
  continue  [+++13,1+++]
     goto     Lloopstartwhile1
Lexitwhile1:
)"},
      {"do while", "do {\nbody\n} while (x)\n",
       R"(Lloopstartdowhile1:
body
Lloopenddowhile1:
  x  [+++3,1,7,1+++]
Llocaldowhile1:
     goto     Lloopstartdowhile1
Lexitdowhile1:
)"},
      {"switch with default",
       "switch (r) {\ncase 1:\n\t[case]\nbody A\nbreak\ncase 2:\ncase 3:\n\t[case]\nbody B\n"
       "default:\nbody C\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
body A
  break  [+++15,1+++]
Lnextcase1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
     goto     Lcaseor2
Lnextcase2:
  r == 3  [+++16,3,17,3+++]
Llocalcase3:
Lcaseor2:
body B
  break  [+++15,1+++]
Lnextcase3:
body C
Lexitswitch1:
)"},
      {"switch without default",
       "switch (r) {\ncase 1:\n\t[case]\nbody A\nbreak\ncase 2:\ncase 3:\n\t[case]\nbody B\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
body A
  break  [+++15,1+++]
Lnextcase1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
     goto     Lcaseor2
Lnextcase2:
  r == 3  [+++16,3,17,3+++]
Llocalcase3:
Lcaseor2:
body B
Lnextcase3:
Lexitswitch1:
)"},
      {"goto", "    goto done\n", "     goto done\n"},
  });
}

TEST(ControlPass, NumbersFollowTheOpeningLines) {
  expect_examples({
      {"two ifs in a row, a nested one inside the first", "if (a) {\nif (b) {\n}\n}\nif (c) {\n}\n",
       R"(  a  [+++4,1,8,1+++]
Llocalelse1:
  b  [+++4,2,8,2+++]
Llocalelse2:
Lnextelse2:
Lexitif2:
Lnextelse1:
Lexitif1:
  c  [+++4,3,8,3+++]
Llocalelse3:
Lnextelse3:
Lexitif3:
)"},
      {"an empty if condition allocates its numbers but writes nothing",
       "if ( ) {\nbody\n}\nif (x) {\n}\n",
       R"(body
Lnextelse1:
Lexitif1:
  x  [+++4,2,8,2+++]
Llocalelse2:
Lnextelse2:
Lexitif2:
)"},
      {"a goto moves the caseor numbers on; jump and label agree",
       "switch (r) {\ncase 1:\n\t[case]\ngoto out\ncase 2:\n\t[case]\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
     goto out
     goto     Lcaseor3
Lnextcase1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
Lcaseor3:
Lnextcase2:
Lexitswitch1:
)"},
  });
}

TEST(ControlPass, LoopForms) {
  expect_examples({
      {"while (1) has no condition", "while ( 1 ) {\n}\n",
       "Lloopstartwhile1:\n     goto     Lloopstartwhile1\nLexitwhile1:\n"},
      {"while (1 == x) is an ordinary condition", "while (1 == x) {\n}\n",
       "Lloopstartwhile1:\n  1 == x  [+++2,1,6,1+++]\nLlocalwhile1:\n"
       "     goto     Lloopstartwhile1\nLexitwhile1:\n"},
      {"a condition ends at the balancing parenthesis", "while ((a) == b) {\n}\n",
       "Lloopstartwhile1:\n  (a) == b  [+++2,1,6,1+++]\nLlocalwhile1:\n"
       "     goto     Lloopstartwhile1\nLexitwhile1:\n"},
      {"if ((a)) keeps both parentheses", "if ((a)) {\n}\n",
       "  (a)  [+++4,1,8,1+++]\nLlocalelse1:\nLnextelse1:\nLexitif1:\n"},
      {"a quoted parenthesis does not count", "if (c == ')') {\n}\n",
       "  c == ')'  [+++4,1,8,1+++]\nLlocalelse1:\nLnextelse1:\nLexitif1:\n"},
      {"without a balancing parenthesis the first one ends it", "if ((a) {\n}\n",
       "  (a  [+++4,1,8,1+++]\nLlocalelse1:\nLnextelse1:\nLexitif1:\n"},
      {"empty init and step give lines of five blanks", "for (; i < 3;) {\n}\n",
       R"(     
     goto     Lloopstartfor1
Lzoubuntijmp1:
     
Lloopstartfor1:
  i < 3  [+++1,1,5,1+++]
Llocalfor1:
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"a for without condition has no localfor label", "for (i = 0;; i++) {\n}\n",
       R"(     i = 0
     goto     Lloopstartfor1
Lzoubuntijmp1:
      i++
Lloopstartfor1:
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"a two-piece step after a parenthesised condition", "for (i = 0; (a) == b; i++, j++) {\n}\n",
       R"(     i = 0
     goto     Lloopstartfor1
Lzoubuntijmp1:
      i++
      j++
Lloopstartfor1:
  (a) == b  [+++1,1,5,1+++]
Llocalfor1:
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"commas inside parentheses do not cut a piece",
       "for (i = f(a, b); i < n; g(i, 1), i++) {\n}\n",
       R"(     i = f(a, b)
     goto     Lloopstartfor1
Lzoubuntijmp1:
      g(i, 1)
      i++
Lloopstartfor1:
  i < n  [+++1,1,5,1+++]
Llocalfor1:
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"a negation in the step does not make the condition compound",
       "for (i = 0; i < n; i = !i) {\n}\n",
       R"(     i = 0
     goto     Lloopstartfor1
Lzoubuntijmp1:
      i = !i
Lloopstartfor1:
  i < n  [+++1,1,5,1+++]
Llocalfor1:
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"do ... while (1) with break and continue", "do {\nbreak\ncontinue\n} while (1)\n",
       R"(Lloopstartdowhile1:
  break  [+++11,1+++]
  continue  [+++14,1+++]
Lloopenddowhile1:
     goto     Lloopstartdowhile1
Lexitdowhile1:
)"},
  });
}

// Switch bodies that C runs differently from a literal reading of the deferred
// break: the jump out of the switch must come before any line after the break,
// a break in a default body must not touch the flags of an enclosing case body,
// and a switch without a case has no case test to end.
TEST(ControlPass, SwitchBodiesKeepTheirMeaning) {
  expect_examples({
      {"lines after a break in a case body are not run",
       "switch (r) {\ncase 1:\n\t[case]\nbreak\n\nx\ncase 2:\n\t[case]\ny\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:

  break  [+++15,1+++]
x
  break  [+++15,1+++]
Lnextcase1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
Lcaseor2:
y
Lnextcase2:
Lexitswitch1:
)"},
      {"a switch whose only label is default: runs its body", "switch (r) {\ndefault:\nx\n}\n",
       "x\nLexitswitch1:\n"},
      {"a switch without labels inside a case body leaves the case alone",
       "switch (r) {\ncase 1:\n\t[case]\nswitch (s) {\n}\na\ncase 2:\n\t[case]\nb\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
Lexitswitch2:
a
     goto     Lcaseor2
Lnextcase1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
Lcaseor2:
b
Lnextcase2:
Lexitswitch1:
)"},
      {"a case inside a loop in the switch: the closing brace ends every open test",
       "switch (r) {\ncase 1:\n\t[case]\nwhile (x) {\ncase 2:\n\t[case]\n}\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
Lloopstartwhile1:
  x  [+++2,1,6,1+++]
Llocalwhile1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
Lcaseor2:
     goto     Lloopstartwhile1
Lexitwhile1:
Lnextcase2:
Lnextcase1:
Lexitswitch1:
)"},
      {"a break ending a nested default body keeps the outer body running on",
       "switch (r) {\ncase 1:\n\t[case]\nswitch (s) {\ncase "
       "5:\n\t[case]\np\ndefault:\nq\nbreak\n}\n"
       "a\ncase 2:\n\t[case]\nb\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
  s == 5  [+++16,2,17,2+++]
Llocalcase2:
Lcaseor2:
p
  break  [+++15,2+++]
Lnextcase2:
q
Lexitswitch2:
a
     goto     Lcaseor3
Lnextcase1:
  r == 2  [+++16,3,17,3+++]
Llocalcase3:
Lcaseor3:
b
Lnextcase3:
Lexitswitch1:
)"},
  });
}

TEST(ControlPass, BreakContinueAndCase) {
  expect_examples({
      {"continue in a switch inside a for targets the for",
       "for (i = 0; i < 2; i++) {\nswitch (r) {\ncase 1:\n\t[case]\ncontinue\nbreak\n}\n}\n",
       R"(     i = 0
     goto     Lloopstartfor1
Lzoubuntijmp1:
      i++
Lloopstartfor1:
  i < 2  [+++1,1,5,1+++]
Llocalfor1:
  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
  continue  [+++12,1+++]
Lnextcase1:
Lexitswitch1:
     goto     Lzoubuntijmp1
Lexitfor1:
)"},
      {"a break inside an if inside a case body leaves the switch at once",
       "switch (r) {\ncase 1:\n\t[case]\nif (x) {\nbreak\n}\nbody\ncase 2:\n\t[case]\nbody\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
  x  [+++4,1,8,1+++]
Llocalelse1:
  break  [+++15,1+++]
Lnextelse1:
Lexitif1:
body
     goto     Lcaseor2
Lnextcase1:
  r == 2  [+++16,2,17,2+++]
Llocalcase2:
Lcaseor2:
body
Lnextcase2:
Lexitswitch1:
)"},
      {"a break in a loop inside a case body leaves the loop",
       "switch (r) {\ncase 1:\n\t[case]\nwhile (y) {\nbreak\n}\n}\n",
       R"(  r == 1  [+++16,1,17,1+++]
Llocalcase1:
Lcaseor1:
Lloopstartwhile1:
  y  [+++2,1,6,1+++]
Llocalwhile1:
  break  [+++10,1+++]
     goto     Lloopstartwhile1
Lexitwhile1:
Lnextcase1:
Lexitswitch1:
)"},
      {"the switch expression keeps leading blanks, drops trailing ones",
       "switch ( (r) ) {\ncase  2 :\n\t[case]\n}\n",
       "   (r) == 2  [+++16,1,17,1+++]\nLlocalcase1:\nLcaseor1:\nLnextcase1:\nLexitswitch1:\n"},
  });
}

// Each message a statement out of place writes stands in the output where the
// statement stood, and on the console.
TEST(ControlPass, MisplacedStatementsAreReportedAndLoweringGoesOn) {
  const auto line = [](Message message, std::string_view argument = {}) {
    return message_text(message, argument) + "\n";
  };
  const std::string operand = line(Message::case_operand_missing);
  const std::string braces = line(Message::braces_unbalanced);
  const std::string unknown = line(Message::statement_unknown);
  struct Case {
    std::string_view name;
    std::string_view input;
    std::string output;
    std::string console;
  };
  const Case cases[] = {
      {"case outside any switch: no test, no label", "case 1:\n", "case 1:\n" + operand, operand},
      {"empty case value", "switch (r) {\ncase :\n\t[case]\n}\n",
       "case :\n" + operand + "Llocalcase1:\nLcaseor1:\nLnextcase1:\nLexitswitch1:\n", operand},
      {"empty switch expression and empty value", "switch () {\ncase :\n}\n",
       "case :\n" + operand + "case :\n" + operand + "Llocalcase1:\nLnextcase1:\nLexitswitch1:\n",
       operand + operand},
      {"nothing open: break, brace and default are reported, continue has code 0",
       "break\ncontinue\n}\ndefault:\n",
       line(Message::statement_misplaced, "break") + "  continue  [+++0,0+++]\n" + braces +
           line(Message::statement_misplaced, "default"),
       line(Message::statement_misplaced, "break") + braces +
           line(Message::statement_misplaced, "default")},
      {"a misspelt keyword's block takes its own brace", "if (a) {\nwhlie (x) {\nbody\n}\n}\n",
       "  a  [+++4,1,8,1+++]\nLlocalelse1:\nwhlie (x) {\n" + unknown +
           "body\nLnextelse1:\nLexitif1:\n",
       unknown},
      {"else after a loop: the brace closes the loop, the body is kept",
       "while (x) {\n} else {\nbody\n}\n",
       "Lloopstartwhile1:\n  x  [+++2,1,6,1+++]\nLlocalwhile1:\n     goto     Lloopstartwhile1\n"
       "Lexitwhile1:\n" +
           line(Message::statement_misplaced, "else") + "body\n",
       line(Message::statement_misplaced, "else")},
      {"text after a case label", "switch (r) {\ncase 1: x\n\t[case]\n}\n",
       "  r == 1  [+++16,1,17,1+++]\nLlocalcase1:\n" + line(Message::text_after_label, "case") +
           "Lcaseor1:\nLnextcase1:\nLexitswitch1:\n",
       line(Message::text_after_label, "case")},
      {"a statement on the header's line", "if (a) inc c\nbody\n}\n",
       "  a  [+++4,1,8,1+++]\nLlocalelse1:\n" + line(Message::text_after_label, "if") +
           "body\nLnextelse1:\nLexitif1:\n",
       line(Message::text_after_label, "if")},
      {"break; is copied, its \";\" reported", "while (x) {\nbreak;\n}\n",
       "Lloopstartwhile1:\n  x  [+++2,1,6,1+++]\nLlocalwhile1:\nbreak;\n" +
           line(Message::statement_semicolon, "break") +
           "     goto     Lloopstartwhile1\nLexitwhile1:\n",
       line(Message::statement_semicolon, "break")},
      {"a \")\" too many after a switch's and a do loop's parentheses",
       "switch (r)) {\ncase 1:\n\t[case]\n}\ndo {\n} while (x) )\n",
       line(Message::parens_unbalanced) +
           "  r == 1  [+++16,1,17,1+++]\nLlocalcase1:\nLcaseor1:\nLnextcase1:\nLexitswitch1:\n"
           "Lloopstartdowhile1:\nLloopenddowhile1:\n  x  [+++3,1,7,1+++]\nLlocaldowhile1:\n"
           "     goto     Lloopstartdowhile1\nLexitdowhile1:\n" +
           line(Message::parens_unbalanced),
       line(Message::parens_unbalanced) + line(Message::parens_unbalanced)},
      {"an empty statement after a loop header", "while (x) ;\n}\n",
       "Lloopstartwhile1:\n  x  [+++2,1,6,1+++]\nLlocalwhile1:\n" +
           line(Message::text_after_label, "while") +
           "     goto     Lloopstartwhile1\nLexitwhile1:\n",
       line(Message::text_after_label, "while")},
  };
  for (const Case& c : cases) {
    Lowered got = lower(c.input);
    EXPECT_EQ(got.text, c.output) << c.name;
    EXPECT_EQ(got.console, c.console) << c.name;
    EXPECT_TRUE(got.wait_at_end) << c.name;
    EXPECT_TRUE(got.failed) << c.name;
  }
}

// A second default: stays as written and fails the file, whether the first one
// is still the pending last label or case labels have followed it.
TEST(ControlPass, ASecondDefaultIsReported) {
  const std::string message = message_text(Message::default_repeated) + "\n";
  const std::pair<std::string_view, std::string> cases[] = {
      {"switch (r) {\ndefault:\na\ndefault:\nb\n}\n",
       "a\ndefault:\n" + message + "b\nLexitswitch1:\n"},
      {"switch (r) {\ndefault:\na\ncase 1:\n\t[case]\nb\ndefault:\nc\n}\n",
       "     goto     Lnextcase1\nLcaseor1:\na\n     goto     Lcaseor2\nLnextcase1:\n"
       "  r == 1  [+++16,2,17,2+++]\nLlocalcase2:\nLcaseor2:\nb\ndefault:\n" +
           message +
           "c\n  break  [+++15,1+++]\nLnextcase2:\n     goto     Lcaseor1\nLexitswitch1:\n"},
  };
  for (const auto& [input, output] : cases) {
    Lowered got = lower(input);
    EXPECT_EQ(got.text, output) << input;
    EXPECT_EQ(got.console, message) << input;
    EXPECT_TRUE(got.wait_at_end && got.failed) << input;
  }
}

TEST(ControlPass, ConditionsThatDoNotFormOneExpressionAreReported) {
  const std::string message = message_text(Message::condition_unconvertible) + "\n";
  // A parenthesised operand splits a term; a dangling operator leaves one out.
  for (std::string_view header : {"if ((a) == b && c) {\n", "while (a && ) {\n"}) {
    Lowered got = lower(std::string(header) + "}\n");
    EXPECT_EQ(got.console, message) << header;
    EXPECT_NE(got.text.find(message), std::string::npos) << header;
    EXPECT_TRUE(got.wait_at_end && got.failed) << header;
  }
  Lowered fine = lower("if (a && b) {\n}\n");
  EXPECT_EQ(fine.console, "");
  EXPECT_FALSE(fine.failed);
}

TEST(ControlPass, BlockModeBrackets) {
  expect_examples(
      {
          {"if without white space in the condition", "if (x) {\n}\n",
           "  x  [+++4,1,8,1+++]\nLlocalelse1:\nLnextelse1:\nLexitif1:\n"},
          {"if with white space", "if (x == 1) {\n}\n",
           "  <x == 1>  [+++4,1,8,1+++]\nLlocalelse1:\nLnextelse1:\nLexitif1:\n"},
          {"while always", "while (x) {\n}\n",
           "Lloopstartwhile1:\n  <x>  [+++2,1,6,1+++]\nLlocalwhile1:\n"
           "     goto     Lloopstartwhile1\nLexitwhile1:\n"},
          {"case", "switch (r) {\ncase 1:\n}\n",
           "  <r == 1>  [+++16,1,17,1+++]\nLlocalcase1:\nLnextcase1:\nLexitswitch1:\n"},
      },
      true);
}

// The label numbers kept as bits, with the far ones in a set, against a plain
// set: numbers far ahead at first come within the bits as they grow.
TEST(LabelNumbers, AgreeWithAPlainSet) {
  std::mt19937_64 random(7);
  LabelNumbers numbers;
  std::set<std::uint64_t> reference;
  for (int i = 0; i < 60000; ++i) {
    const std::uint64_t number = random() % 8 == 0 ? random() % 300000 : random() % 3000 + i;
    ASSERT_EQ(numbers.insert(number), reference.insert(number).second) << number;
    const std::uint64_t probe = random() % 400000;
    ASSERT_EQ(numbers.contains(probe), reference.contains(probe)) << probe;
  }
}

// The open if leaves its failed test without a label: the file fails.
TEST(ControlPass, UnclosedBracesAreReportedInConsoleAndOutput) {
  const std::string message = message_text(Message::braces_unbalanced) + "\n" +
                              message_text(Message::label_undefined, "Lnextelse1") + "\n";
  Lowered got = lower("if (a) {\nwhile (b) {\n}\n");
  EXPECT_EQ(got.text,
            "  a  [+++4,1,8,1+++]\nLlocalelse1:\nLloopstartwhile1:\n  b  [+++2,1,6,1+++]\n"
            "Llocalwhile1:\n     goto     Lloopstartwhile1\nLexitwhile1:\n" +
                message);
  EXPECT_EQ(got.console, message);
  EXPECT_TRUE(got.wait_at_end && got.failed);

  // An extra brace and an open do loop are reported too; a message follows a
  // last line that has no line end on a line of its own.
  const std::string braces = message_text(Message::braces_unbalanced) + "\n";
  got = lower("}\ndo {\nx");
  EXPECT_EQ(got.text, braces + "Lloopstartdowhile1:\nx\n" + braces);
  EXPECT_EQ(got.console, braces + braces);
}

TEST(ControlPass, SectionSettingsShapeTheLabels) {
  struct Case {
    std::string_view name;
    std::string config;
    std::string_view output;
  };
  const std::string_view input = "while (x) {\n}\n";
  const Case cases[] = {
      {"no #labelend=: label lines run on", ".cpu x\n#labelhead=L\n",
       "Lloopstartwhile1  x  [+++2,1,6,1+++]\nLlocalwhile1     goto     "
       "Lloopstartwhile1\nLexitwhile1"},
      {"last config line without a line end still counts", ".cpu x\n#labelhead=_\n#labelend=:",
       "_loopstartwhile1:\n  x  [+++2,1,6,1+++]\n_localwhile1:\n     goto     _loopstartwhile1\n"
       "_exitwhile1:\n"},
      {"keys before the section and after the next directive are ignored",
       "#labelhead=A\n.cpu x\n#labelhead=B\n#labelend=;\n  .cpu y\n#labelhead=C\n",
       "Bloopstartwhile1;\n  x  [+++2,1,6,1+++]\nBlocalwhile1;\n     goto     Bloopstartwhile1\n"
       "Bexitwhile1;\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(lower(input, c.config).text, c.output) << c.name;
}

TEST(ControlPass, PreprocessOnlyCopiesEveryLine) {
  ScratchDir dir;
  TestSession t(dir);
  t.session.preprocess_only = true;
  const std::string input = ".cpu x\nif (a) {\ngoto x\n[case]\n";
  EXPECT_EQ(control_pass(t.session, numbered_text(input)).text, input);
  EXPECT_EQ(t.terminal.text(), "");
}

}  // namespace
}  // namespace vonx
