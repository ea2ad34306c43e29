#include "preprocessor/layout_normalisation.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace vonx {
namespace {

using testing::ScratchDir;
using testing::TestSession;

using Case = testing::TextCase;

class Layout : public ::testing::Test {
 protected:
  Layout() { t.session.cpu_directive = ".cpu x"; }
  std::string normalise(const std::string& body) {
    return layout_normalisation(t.session, numbered_text(".cpu x\n" + body)).text;
  }
  ScratchDir dir;
  TestSession t{dir};
};

TEST_F(Layout, CaseRunsAndBracelessBodies) {
  const Case cases[] = {
      {"one [case] after a run of case lines", "case 1:\ncase 2:\n  nop\n",
       "case 1:\ncase 2:\n\t[case]\n  nop\n"},
      {"each run gets its own", "  case 1:\n  a\n  case 2:\n  b\n",
       "  case 1:\n\t[case]\n  a\n  case 2:\n\t[case]\n  b\n"},
      {"a run at the end of the text gets none", "case 1:\n", "case 1:\n"},
      {"a label that starts with case is no case line", "casepoint:\n  nop\n",
       "casepoint:\n  nop\n"},
      {"brace-less if body", "if (a)\n  nop\nnext\n", "if (a)\n  nop\n\t}\nnext\n"},
      {"if( without a blank", "if(a)\n  nop\n", "if(a)\n  nop\n\t}\n"},
      {"nested brace-less headers close once each", "if (a)\n  while (b)\n    for (;;)\n  nop\nx\n",
       "if (a)\n  while (b)\n    for (;;)\n  nop\n\t}\n\t}\n\t}\nx\n"},
      {"brace-less else if and else", "} else if (b)\n  y\nelse\n  z\n",
       "} else if (b)\n  y\n\t}\nelse\n  z\n\t}\n"},
      {"brace-less else after a closing brace", "if (a) {\n  x\n} else\n  z\nw\n",
       "if (a) {\n  x\n} else\n  z\n\t}\nw\n"},
      {"plain else after its own line", "else\n  z\nw\n", "else\n  z\n\t}\nw\n"},
      {"else if counts once", "else if (b)\n  y\n", "else if (b)\n  y\n\t}\n"},
      {"a brace anywhere after the parenthesis", "if (a) {\n  nop\n}\n", "if (a) {\n  nop\n}\n"},
      {"a label that starts with else opens nothing", "else_part:\n  nop\n", "else_part:\n  nop\n"},
      {"words that only start like keywords", "format (x)\niffy (y)\n  nop\n",
       "format (x)\niffy (y)\n  nop\n"},
      {"a statement that starts like a keyword ends the body", "if (a)\n  done\nnext\n",
       "if (a)\n  done\n\t}\nnext\n"},
      {"the closing line after an unended last statement", "if (a)\n  nop", "if (a)\n  nop\n\t}\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(normalise(c.in), ".cpu x\n" + c.out) << c.name;
}

TEST_F(Layout, TwoByteCharactersHoldNoBrace) {
  const Case cases[] = {
      {"in a brace-less header", "if (a == \x82\xa0)\n  nop\nnext\n",
       "if (a == \x82\xa0)\n  nop\n\t}\nnext\n"},
      {"at the end of a statement", "if (a)\n  db \x82\xa0\nnext\n",
       "if (a)\n  db \x82\xa0\n\t}\nnext\n"},
      {"after a plain else", "else \x82\xa0\n  z\nw\n", "else \x82\xa0\n  z\n\t}\nw\n"},
  };
  for (const std::string& character : testing::kSignLikeCharacters)
    for (const Case& c : cases)
      EXPECT_EQ(normalise(testing::with_character(c.in, character)),
                ".cpu x\n" + testing::with_character(c.out, character))
          << c.name << " " << character;
}

// A brace-less body holds one statement as C reads it: a whole block in braces
// counts as one, blank lines count as none, and an else belongs to the nearest if.
TEST_F(Layout, BracelessBodiesFollowTheStatementStructure) {
  const Case cases[] = {
      {"an else after nested brace-less ifs belongs to the inner one",
       "if (a)\n  if (b)\n    x\n  else\n    y\nz\n",
       "if (a)\n  if (b)\n    x\n\t}\n  else\n    y\n\t}\n\t}\nz\n"},
      {"an else after a loop body closes the loop and its if",
       "if (a)\n  while (b)\n    x\nelse\n  y\n",
       "if (a)\n  while (b)\n    x\n\t}\n\t}\nelse\n  y\n\t}\n"},
      {"a block in braces is the whole body", "if (a)\n  while (b) {\n    x\n  }\nz\n",
       "if (a)\n  while (b) {\n    x\n  }\n\t}\nz\n"},
      {"a switch is the whole body", "while (a)\n  switch (r) {\n  case 1:\n    x\n  }\ny\n",
       "while (a)\n  switch (r) {\n  case 1:\n\t[case]\n    x\n  }\n\t}\ny\n"},
      {"a do loop is the whole body", "for (;;)\n  do {\n    x\n  } while (y)\nz\n",
       "for (;;)\n  do {\n    x\n  } while (y)\n\t}\nz\n"},
      {"an else after a braced if inside a brace-less body is that if's",
       "if (a)\n  if (b) {\n    x\n  }\n  else\n    y\nz\n",
       "if (a)\n  if (b) {\n    x\n  }\n  else\n    y\n\t}\n\t}\nz\n"},
      {"a braced if with its else is one statement",
       "while (a)\n  if (b) {\n    x\n  } else {\n    y\n  }\nz\n",
       "while (a)\n  if (b) {\n    x\n  } else {\n    y\n  }\n\t}\nz\n"},
      {"blank lines are no statement", "if (a)\n\n  x\ny\n", "if (a)\n\n  x\n\t}\ny\n"},
      {"an #if group is the whole body", "if (a)\n#if X\n  x\n#else\n  y\n#endif\nz\n",
       "if (a)\n#if X\n  x\n#else\n  y\n#endif\n\t}\nz\n"},
      {"an #if group before an else, groups nested in it",
       "if (a)\n#ifdef X\n#if Y\n  x\n#endif\n#elif Z\n  while (b)\n    y\n#endif\nelse\n  z\n",
       "if (a)\n#ifdef X\n#if Y\n  x\n#endif\n#elif Z\n  while (b)\n    y\n\t}\n#endif\n\t}\n"
       "else\n  z\n\t}\n"},
      {"an #if group after a statement is no body", "if (a)\n  x\n#if X\n  y\n#endif\n",
       "if (a)\n  x\n\t}\n#if X\n  y\n#endif\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(normalise(c.in), ".cpu x\n" + c.out) << c.name;
}

TEST_F(Layout, SourceDirectivesSetTheSessionAndAreDropped) {
  EXPECT_EQ(normalise(".line\n.block\n.inorder\nnop\n"), ".cpu x\nnop\n");
  EXPECT_EQ(t.session.line_numbering_start, 10);
  EXPECT_TRUE(t.session.block_mode);
  EXPECT_TRUE(t.session.in_order);
  EXPECT_FALSE(t.session.preprocess_only);
}

TEST_F(Layout, PreprocessorDirectivePassesLaterLinesThrough) {
  EXPECT_EQ(normalise("if (a)\n  x\n.preprocessor\nif (b)\n  y\ncase 1:\nz\n"),
            ".cpu x\nif (a)\n  x\n\t}\nif (b)\n  y\ncase 1:\nz\n");
  EXPECT_TRUE(t.session.preprocess_only);
}

TEST_F(Layout, DoWithoutBraceIsReportedAtItsLine) {
  EXPECT_EQ(normalise("do\n  nop\n} while (a)\n"),
            ".cpu x\ndo\n" + message_text(Message::do_without_brace) + "\n  nop\n} while (a)\n");
  EXPECT_TRUE(t.session.failed);
  EXPECT_EQ(t.terminal.diagnostics(),
            t.session.source_path +
                ":2: error: a do loop needs \"{\" after \"do\": \"do\" is not supported\n");
  EXPECT_EQ(normalise("do {\n  nop\n} while (a)\ndone:\n"),
            ".cpu x\ndo {\n  nop\n} while (a)\ndone:\n");
}

// The "}" of a do loop alone on its line and the loop's while on a later line
// are read as one "} while" line and reported once; the "}" of any other block
// before a while loop stays as it is.
TEST_F(Layout, DoLoopBraceAndWhileOnTwoLinesAreJoined) {
  const std::string split = message_text(Message::do_while_split) + "\n";
  const Case cases[] = {
      {"the next line", "do {\n  nop\n}\nwhile (a)\nx\n",
       "do {\n  nop\n} while (a)\n" + split + "x\n"},
      {"blank lines between, a brace-less body inside", "do {\n  if (b)\n    nop\n}\n\nwhile (a)\n",
       "do {\n  if (b)\n    nop\n\t}\n} while (a)\n" + split},
      {"the brace of an if", "if (b) {\n  nop\n}\nwhile (a)\n  x\ny\n",
       "if (b) {\n  nop\n}\nwhile (a)\n  x\n\t}\ny\n"},
  };
  for (const Case& c : cases) {
    ScratchDir scratch;
    TestSession run{scratch};
    run.session.cpu_directive = ".cpu x";
    EXPECT_EQ(layout_normalisation(run.session, numbered_text(".cpu x\n" + c.in)).text,
              ".cpu x\n" + c.out)
        << c.name;
    EXPECT_EQ(run.session.failed, c.out.find(split) != std::string::npos) << c.name;
  }
}

TEST_F(Layout, MissingCpuDirectiveStopsTheRun) {
  t.session.cpu_directive = ".cpu y";
  EXPECT_THROW(normalise("nop\n"), FatalStop);
  EXPECT_EQ(t.terminal.text(), message_text(Message::cpu_directive_missing) + "\n");
}

TEST(JoinClosingBraces, ElseLinesJoinTheBraceBeforeThem) {
  const Case cases[] = {
      {"brace then else", "}\n  else {\n", "}  else {\n"},
      {"inserted closing line then else", "\t}\nelse\n", "\t}else\n"},
      {"only the last of two braces joins", "}\n}\nelse if (a) {\n", "}\n}else if (a) {\n"},
      {"a brace not followed by else", "}\nnop\n}\n", "}\nnop\n}\n"},
      {"a label that starts with else", "}\nelse_part:\n", "}\nelse_part:\n"},
      {"an unended last brace line", "x\n}", "x\n}"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(join_closing_braces(numbered_text(c.in), 300).text, c.out) << c.name;
}

}  // namespace
}  // namespace vonx
