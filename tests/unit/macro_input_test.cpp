#include "translation/macro_input.hpp"

#include <gtest/gtest.h>

#include "common/messages.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

struct MacroInputRun {
  MacroInputRun() : test(dir) { test.session.cpu_directive = ".cpu x"; }
  FileSession& session() { return test.session; }
  std::string console() const { return test.terminal.text(); }
  testing::ScratchDir dir;
  testing::TestSession test;
};

TEST(MacroInput, LeavesOutTheDirectiveLines) {
  MacroInputRun run;
  WorkText work = without_directive_lines(run.session(),
                                          numbered_text(".cpu x\n  ld a\n  .cpu x2\n.cpu y\nnop"));
  EXPECT_EQ(work.text, "  ld a\n.cpu y\nnop");
  EXPECT_EQ(work.origins, (std::vector<LineOrigin>{{0, 2}, {0, 4}, {0, 5}}));
}

struct AngleCase {
  std::string lowered;
  std::vector<int> lines;  // per failed test: its line of the source, on both channels
};

TEST(MacroInput, AngleBracketCheck) {
  const AngleCase cases[] = {
      {"  ld a,<b\n", {1}},  // no ">" at all
      {"<a> x\n", {}},
      {"a < b\n c<d>\n", {}},  // "<" before a blank is no bracket
      {"x>y\n", {}},
      {"  x <lbl> y <z\n", {1}},  // the second "<" has no ">" after it
      {"b>c <d\n", {1, 1}},       // a ">" before the "<" decides, and "<d" is open
      {"x>y <a>\n", {1}},
      // Jump-marker lines are skipped; the console line names the source line
      // as standard error does, not a count of the lines checked.
      {"  <x == 0>  [+++18,3,20,5+++]\n  ld <q\n", {2}},
      {".cpu x\nnop\n  ld <a\nx\n  ld <b\n", {3, 5}},
  };
  for (const AngleCase& c : cases) {
    MacroInputRun run;
    std::string expected;
    for (int line : c.lines)
      expected += message_text(Message::angle_brackets_unbalanced, std::to_string(line)) + "\n";
    std::string places;
    for (int line : c.lines)
      places += run.session().source_path + ":" + std::to_string(line) + ": error: \n";
    const WorkText lowered = numbered_text(c.lowered);
    if (c.lines.empty()) {
      EXPECT_NO_THROW(check_angle_brackets(run.session(), lowered)) << c.lowered;
      EXPECT_EQ(run.console(), "") << c.lowered;
    } else {
      EXPECT_THROW(check_angle_brackets(run.session(), lowered), FatalStop) << c.lowered;
      EXPECT_EQ(run.console(), expected) << c.lowered;
      EXPECT_TRUE(run.session().wait_at_end);
    }
    // Each located line, without the text after its severity.
    std::string located = run.test.terminal.diagnostics();
    for (std::size_t at = located.find(": error: "); at != std::string::npos;
         at = located.find(": error: ", at + 1))
      located.erase(at + 9, located.find('\n', at) - at - 9);
    EXPECT_EQ(located, places) << c.lowered;
  }
}

// A scratch register counts only as a whole name of the statement: not inside a
// longer name, a quoted text or the jump marker. The message follows the line.
TEST(MacroInput, ScratchRegisterCheck) {
  const std::pair<std::string, std::string> cases[] = {
      {"  li t6, 5\n", "t6"},
      {"  ld a0, 0(t5)\n", "t5"},
      {"  if t6\n", "t6"},
      {"t6\n", "t6"},
      {"  mv at6, t6x\n", ""},
      {"  la a0, .t6\n", ""},
      {"  .ascii \"t6\", 't5'\n", ""},
      {"  a0 < 5  [+++4,6,8,6+++]\n", ""},
      {"  \x82\x74t6\n", "t6"},  // after a two-byte character
  };
  for (const auto& [line, name] : cases) {
    MacroInputRun run;
    run.session().settings.scratch_registers = {"t5", "t6"};
    const WorkText checked = check_scratch_registers(run.session(), numbered_text(line + "nop"));
    const std::string message =
        name.empty() ? "" : message_text(Message::scratch_register_used, name) + "\n";
    EXPECT_EQ(run.console(), message) << line;
    EXPECT_EQ(checked.text, line + message + "nop") << line;
    const std::vector<LineOrigin> origins = name.empty()
                                                ? std::vector<LineOrigin>{{0, 1}, {0, 2}}
                                                : std::vector<LineOrigin>{{0, 1}, {0, 1}, {0, 2}};
    EXPECT_EQ(checked.origins, origins) << line;
    EXPECT_EQ(run.session().failed, !name.empty()) << line;
  }
}

}  // namespace
}  // namespace vonx
