#include "preprocessor/conditional_inclusion.hpp"

#include <gtest/gtest.h>

#include "common/constant_expression.hpp"
#include "common/messages.hpp"
#include "preprocessor/if_expression.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

using testing::ScratchDir;
using testing::TestSession;

using Case = testing::TextCase;

class Inclusion : public ::testing::Test {
 protected:
  std::string include(const std::string& text) {
    const WorkText work = numbered_text(text);
    return conditional_inclusion(t.session, work, collect_defines(t.session, work)).text;
  }
  ScratchDir dir;
  TestSession t{dir};
};

TEST_F(Inclusion, EveryDirectiveAndSpelling) {
  const Case cases[] = {
      {"#if 0 hands over to #else", "#if 0\na\n#else \nb\n#endif\nc\n", "b\nc\n"},
      {"#if 1 keeps its group", "#if 1\na\n#else\nb\n#endif \nc\n", "a\nc\n"},
      {"#if with a tab", "#if\t0\na\n#endif\t\nb\n", "b\n"},
      {"#elif chain takes the first true branch",
       "#if 0\na\n#elif 0\nb\n#elif\t1\nc\n#elif 1\nd\n#else\ne\n#endif\n", "c\n"},
      {"#ifdef and #ifndef", "#define X\n#ifdef X\na\n#endif\n#ifndef\tX\nb\n#endif\n",
       "#define X\na\n"},
      {"#ifdef of an unknown name", "#ifdef\tY\na\n#else\nb\n#endif\n", "b\n"},
      {"indented directives", "  #if 0\na\n  #endif\nb\n", "b\n"},
      {"#if without an expression is an ordinary line", "#if\na\n", "#if\na\n"},
      {"#else ending the text is an ordinary line", "#if 1\na\n#endif\n#else", "a\n#else"},
      {"#warning is not written", "#warning look\na\n", "a\n"},
      {"#define rewritten, #undef kept, also when skipped",
       "#if 0\n#define   A   1  \n#undef A\n#endif\n", "#define A 1\n#undef A\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(include(c.in), c.out) << c.name;
}

TEST_F(Inclusion, NestedGroupsKeepTheirOwnState) {
  const Case cases[] = {
      {"lines after a false inner group", "#if 1\na\n#if 0\nb\n#endif\nc\n#endif\nd\n",
       "a\nc\nd\n"},
      {"lines after a taken inner branch", "#if 1\n#if 1\nb\n#else\nx\n#endif\nc\n#endif\n",
       "b\nc\n"},
      {"inner #else inside a kept group", "#if 1\n#if 0\nb\n#else\ne\n#endif\nc\n#endif\n",
       "e\nc\n"},
      {"a true inner group in a dropped one", "#if 0\n#if 1\nx\n#endif\ny\n#else\nz\n#endif\nw\n",
       "z\nw\n"},
      {"the inner #elif of a dropped group is not evaluated",
       "#if 0\n#if 0\n#elif 1)\nx\n#endif\n#endif\nw\n", "w\n"},
      {"three levels", "#ifdef N\n#else\n#if 1\n#if 1\na\n#endif\nb\n#endif\nc\n#endif\n",
       "a\nb\nc\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(include(c.in), c.out) << c.name;
}

// A closer without a group and a group without its #endif change nothing but
// are reported: the message takes the directive's place.
TEST_F(Inclusion, UnmatchedDirectivesAreReportedInPlace) {
  const auto without_if = [](std::string_view directive) {
    return message_text(Message::if_missing, directive) + "\n";
  };
  EXPECT_EQ(include("a\n#endif\nb\n#else\nc\n#elif 0\nd\n"), "a\n" + without_if("#endif") + "b\n" +
                                                                 without_if("#else") + "c\n" +
                                                                 without_if("#elif") + "d\n");
  EXPECT_EQ(include("#if 1\na\n#ifdef X\nb\n#endif\n#ifndef Y\nc\n"),
            message_text(Message::endif_missing, "#if") + "\na\n" +
                message_text(Message::endif_missing, "#ifndef") + "\nc\n");
  EXPECT_TRUE(t.session.failed);
  // An "#endif" that ends the text without a line end is taken as the last closer.
  TestSession again{dir};
  const WorkText unended = numbered_text("#if 1\na\n#endif");
  EXPECT_EQ(conditional_inclusion(again.session, unended, {}).text, "a\n#endif");
  EXPECT_FALSE(again.session.failed);
}

TEST_F(Inclusion, WarningsPrintOnlyInKeptLines) {
  EXPECT_EQ(include("#if 0\n#warning hidden\n#endif\n#warning  shown  here \t\nx\n"), "x\n");
  EXPECT_EQ(t.terminal.text(), "shown  here\n");
  EXPECT_TRUE(t.session.wait_at_end);
  EXPECT_FALSE(t.session.failed);
}

// A "#" directly before a word close to a directive's name is reported with the
// name, in kept lines only; the line stays as text. "#" comments, words that
// merely begin with a name and words far from every name are no directives.
TEST(MisspeltDirective, ReportedWithTheNameItIsCloseTo) {
  struct Row {
    std::string line;
    std::string name;  // empty: the line stays text, unreported
  };
  const Row rows[] = {
      {"#inlcude \"x.inc\"", "include"},
      {"#incldue <x.inc>", "include"},
      {"#Include <x.inc>", "include"},
      {"#defien X 1", "define"},
      {"#ifdfe X", "ifdef"},
      {"#esle", "else"},
      {"  #endfi", "endif"},
      {"#warnign soon", "warning"},
      {"#eror stop", "error"},
      {"# a comment", ""},
      {"#comment", ""},
      {"#loop again", ""},
      {"#done", ""},
      {"#pragma once", ""},
      {"#elsewhere too", ""},
      {"#endifs", ""},
      {"#included twice", ""},
      {"#1 first", ""},
      {"#if", ""},
      {"#include x.inc", ""},
  };
  for (const Row& row : rows) {
    ScratchDir dir;
    TestSession t{dir};
    const WorkText work = numbered_text("a\n" + row.line + "\n");
    const std::string kept = conditional_inclusion(t.session, work, {}).text;
    const std::string message =
        row.name.empty() ? "" : message_text(Message::directive_unknown) + "\n";
    EXPECT_EQ(kept, "a\n" + row.line + "\n" + message) << row.line;
    const std::string located = row.name.empty()
                                    ? ""
                                    : t.session.source_path + ":2: error: \"" +
                                          row.line.substr(row.line.find('#')) +
                                          "\" is no directive: did you mean #" + row.name + "?\n";
    EXPECT_EQ(t.terminal.diagnostics(), located) << row.line;
  }
  ScratchDir dir;
  TestSession t{dir};
  EXPECT_EQ(
      conditional_inclusion(t.session, numbered_text("#if 0\n#inlcude <x>\n#endif\n"), {}).text,
      "");
  EXPECT_FALSE(t.session.failed);
}

TEST_F(Inclusion, ErrorDropsTheRestAndFailsTheFile) {
  EXPECT_EQ(include("a\n#if 0\n#error hidden\n#endif\nb\n#error stop here\nc\n#define Z 1\n"),
            "a\nb\n");
  EXPECT_EQ(t.terminal.text(), "stop here\n");
  EXPECT_TRUE(t.session.wait_at_end);
  EXPECT_TRUE(t.session.failed);
}

TEST_F(Inclusion, DefineLinesTakeTheDefineListInOrder) {
  // The n-th #define line registers the n-th longest name, so LONGNAME counts as
  // defined after the first #define line, before its own.
  EXPECT_EQ(include("#define A 1\n#ifdef LONGNAME\nyes\n#endif\n#define LONGNAME 2\n"),
            "#define LONGNAME 2\nyes\n#define A 1\n");
  // Longest first, equal lengths in file order.
  EXPECT_EQ(include("#define BB 1\n#define A 2\n#define C 3\n#define DD\n"),
            "#define BB 1\n#define DD\n#define A 2\n#define C 3\n");
}

TEST_F(Inclusion, ConflictKeepsTheFirstAndLosesNoLaterDefinition) {
  EXPECT_EQ(include("#define A 1\n#define A 2\n#define B 3\n#ifdef B\nb\n#endif\n"),
            "#define A 1\n#define B 3\nb\n");
  EXPECT_EQ(t.terminal.text(), message_text(Message::define_conflict) + "\n");
  EXPECT_TRUE(t.session.wait_at_end);
}

TEST(IfExpression, ReducedStrings) {
  DefineTable table;
  table.add("MODE", "2");
  table.add("ZERO", "0");
  table.add("EMPTY", "");
  table.add("WORD", "FOO");
  struct Reduction {
    std::string_view expression, reduced;
    bool single_term;
  };
  const Reduction cases[] = {
      {"MODE == 2 && !defined(DEBUG)", "1&!0", false},
      {"(MODE == 2 || defined(DEBUG)) && 1", "(1|0)&1", false},
      {"!(defined ( MODE )) || ZERO", "!(1)|0", false},
      {"1 || 0 && !1", "1|0&!1", false},
      {"!0", "!0", false},
      {"", "", false},
      {"MODE==2", "1", true},
      {"MODE != 2", "0", true},
      {"MODE >= 3", "0", true},
      {"MODE <= 2", "1", true},
      {"MODE > 1", "1", true},
      {"MODE < -1", "0", true},
      {"MODE == 0x2", "0", true},
      {"WORD == 0", "0", true},
      {"WORD != 0", "0", true},
      {"UNKNOWN == 0", "0", true},
      {"MODE = 2", "0", true},
      {"MODE", "1", true},
      {"ZERO", "0", true},
      {"EMPTY", "0", true},
      {"WORD", "0", true},
      {"0", "0", true},
      {"07", "1", true},
      {"5", "1", true},
      {"defined MODE", "1", true},
      {"1)", "1)", true},
  };
  for (const Reduction& c : cases) {
    ReducedExpression result = reduce_if_expression(c.expression, table);
    EXPECT_EQ(result.reduced, c.reduced) << c.expression;
    EXPECT_EQ(result.single_term, c.single_term) << c.expression;
  }
  // A name ending in a two-byte character whose second byte is "|" is one name.
  for (const std::string& character : testing::kSignLikeCharacters) {
    DefineTable named;
    named.add(testing::with_character("N\x82\xa0", character), "1");
    for (const Reduction& c :
         {Reduction{"N\x82\xa0 || 0", "1|0", false}, Reduction{"N\x82\xa0", "1", true},
          Reduction{"N\x82\xa0 == 1 && 1", "1&1", false},
          Reduction{"0 ||\x82\xa0N\x82\xa0", "0|0", false}}) {
      ReducedExpression result =
          reduce_if_expression(testing::with_character(c.expression, character), named);
      EXPECT_EQ(result.reduced, c.reduced) << c.expression << " " << character;
      EXPECT_EQ(result.single_term, c.single_term) << c.expression << " " << character;
    }
  }
}

TEST(IfExpression, Truth) {
  DefineTable table;
  table.add("MODE", "2");
  struct Truth {
    std::string_view expression;
    bool holds;
  };
  const Truth cases[] = {
      {"MODE == 2 && !defined(DEBUG)", true},
      {"1 || 0 && !1", true},
      {"(1 || 0) && 0", false},
      {"!1 || 1", true},
      {"!0", true},
      {"", false},
      {"0", false},
      {"MODE", true},
  };
  for (const Truth& c : cases)
    EXPECT_EQ(if_expression_holds(c.expression, table, 300), c.holds) << c.expression;
}

TEST(IfExpression, MalformedExpressionsRaiseTheExpressionErrors) {
  DefineTable table;
  struct Failure {
    std::string_view expression;
    std::size_t line_width;
    Message reason;
  };
  const Failure cases[] = {
      {"1 && 1)", 300, Message::missing_open_paren},
      {"((((((((( 1 && 1", 8, Message::stack_full},
  };
  for (const Failure& c : cases) {
    try {
      if_expression_holds(c.expression, table, c.line_width);
      ADD_FAILURE() << "no error for " << c.expression;
    } catch (const ExpressionError& error) {
      EXPECT_EQ(error.reason, c.reason) << c.expression;
    }
  }
}

}  // namespace
}  // namespace vonx
