#include "preprocessor/preprocessing_pass.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace vonx {
namespace {

using testing::ScratchDir;
using testing::TestSession;

class Pass : public ::testing::Test {
 protected:
  Pass() { t.session.cpu_directive = ".cpu x"; }
  std::string run(const std::string& loaded) {
    return preprocessing_pass(t.session, numbered_text(loaded)).text;
  }
  ScratchDir dir;
  TestSession t{dir};
};

TEST_F(Pass, AllStagesTogether) {
  const std::string loaded =
      ".cpu x\n"
      "#define MODE 2\n"
      "#define TOP BASE+5   // the top of the stack\n"
      "#define BASE 10\n"
      "#if MODE == 2 && !defined(DEBUG)\n"
      "if (a)\n"
      "  mov r0,TOP\n"
      "#else\n"
      "  nop\n"
      "#endif\n"
      "if (b) {\n"
      "  x\n"
      "}\n"
      "else\n"
      "  db \"TOP\",TOP /* inside\n"
      "  still a comment */\n"
      "switch (c) {\n"
      "case 1:\n"
      "case 2:\n"
      "  ld MODE\n"
      "}\n";
  EXPECT_EQ(run(loaded),
            ".cpu x\n"
            "if (a)\n"
            "  mov r0,10+5\n"
            "\t}\n"
            "if (b) {\n"
            "  x\n"
            "}else\n"
            "  db \"TOP\",10+5\n"
            "\t}\n"
            "switch (c) {\n"
            "case 1:\n"
            "case 2:\n"
            "\t[case]\n"
            "  ld 2\n"
            "}\n");
  EXPECT_EQ(t.terminal.text(), "");
  EXPECT_FALSE(t.session.wait_at_end);
  EXPECT_FALSE(t.session.failed);
}

TEST_F(Pass, PreprocessorDirectiveKeepsConditionalsAndConstants) {
  EXPECT_EQ(run(".cpu x\n.preprocessor\n#define N 1\nif (a)\n  ld N\n}\nelse\n#if 0\nz\n#endif\n"),
            ".cpu x\nif (a)\n  ld 1\n}\nelse\n");
  EXPECT_TRUE(t.session.preprocess_only);
}

TEST_F(Pass, ErrorStillGivesTheTextBeforeItAndFailsTheFile) {
  EXPECT_EQ(run(".cpu x\n#define N 1\nld N\n#error N is wrong  \nld 2\n"), ".cpu x\nld 1\n");
  EXPECT_EQ(t.terminal.text(), "N is wrong\n");
  EXPECT_TRUE(t.session.wait_at_end);
  EXPECT_TRUE(t.session.failed);
}

TEST_F(Pass, ConflictingDefinitionWarnsAndKeepsTheFirst) {
  EXPECT_EQ(run(".cpu x\n#define A 1\n#define A 2\nld A\n"), ".cpu x\nld 1\n");
  EXPECT_EQ(t.terminal.text(), message_text(Message::define_conflict) + "\n");
  EXPECT_TRUE(t.session.wait_at_end);
  EXPECT_FALSE(t.session.failed);
}

TEST_F(Pass, FailuresStopTheRun) {
  struct Failure {
    const char* name;
    std::string loaded, console;
  };
  const std::string expression_error = [](Message reason) {
    return message_text(Message::expression_error, message_text(reason)) + "\n";
  }(Message::missing_open_paren);
  const Failure cases[] = {
      {"closing parenthesis without an opening one", ".cpu x\n#if 1 && 1)\n#endif\n",
       expression_error},
      {"cyclic definitions", ".cpu x\n#define A B\n#define B A\nld A\n",
       message_text(Message::define_cycle) + "\n"},
      {"no line begins with the CPU directive", ".cpux\nnop\n",
       message_text(Message::cpu_directive_missing) + "\n"},
  };
  for (const Failure& c : cases) {
    TestSession fresh{dir};
    fresh.session.cpu_directive = ".cpu x";
    EXPECT_THROW(preprocessing_pass(fresh.session, numbered_text(c.loaded)), FatalStop) << c.name;
    EXPECT_EQ(fresh.terminal.text(), c.console) << c.name;
  }
}

}  // namespace
}  // namespace vonx
