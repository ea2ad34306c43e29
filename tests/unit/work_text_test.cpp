#include "translation/work_text.hpp"

#include <gtest/gtest.h>

#include "common/messages.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

struct WorkTextRun {
  WorkTextRun() : test(dir) { test.session.cpu_directive = ".cpu x"; }
  FileSession& session() { return test.session; }
  std::string console() const { return test.terminal.text(); }
  testing::ScratchDir dir;
  testing::TestSession test;
};

TEST(WorkText, LeavesOutTheDirectiveLines) {
  WorkTextRun run;
  EXPECT_EQ(without_directive_lines(run.session(), ".cpu x\n  ld a\n  .cpu x2\n.cpu y\nnop"),
            "  ld a\n.cpu y\nnop");
}

struct AngleCase {
  std::string lowered;
  std::vector<int> reported_lines;  // one entry per failed test
};

TEST(WorkText, AngleBracketCheck) {
  const AngleCase cases[] = {
      {"  ld a,<b\n", {1}},  // no ">" at all
      {"<a> x\n", {}},
      {"a < b\n c<d>\n", {}},  // "<" before a blank is no bracket
      {"x>y\n", {}},
      {"  x <lbl> y <z\n", {1}},  // the second "<" has no ">" after it
      {"b>c <d\n", {1, 1}},       // a ">" before the "<" decides, and "<d" is open
      {"x>y <a>\n", {1}},
      // Jump-marker lines are skipped and not numbered.
      {"  <x == 0>  [+++18,3,20,5+++]\n  ld <q\n", {1}},
      {".cpu x\nnop\n  ld <a\nx\n  ld <b\n", {3, 5}},
  };
  for (const AngleCase& c : cases) {
    WorkTextRun run;
    std::string expected;
    for (int line : c.reported_lines)
      expected += message_text(Message::angle_brackets_unbalanced, std::to_string(line)) + "\n";
    if (c.reported_lines.empty()) {
      EXPECT_NO_THROW(check_angle_brackets(run.session(), c.lowered)) << c.lowered;
      EXPECT_EQ(run.console(), "") << c.lowered;
    } else {
      EXPECT_THROW(check_angle_brackets(run.session(), c.lowered), FatalStop) << c.lowered;
      EXPECT_EQ(run.console(), expected) << c.lowered;
      EXPECT_TRUE(run.session().wait_at_end);
    }
  }
}

}  // namespace
}  // namespace vonx
