#include "driver/run_driver.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace vonx {
namespace {

TEST(LineWidth, ThreeTimesTheLongerOfSourcePlusOneAndRules) {
  EXPECT_EQ(measure_line_width("abc\n", ""), 12u);
  EXPECT_EQ(measure_line_width("ab\n", "#longest rule line\n"), 54u);
  // A last line without a line end is not measured.
  EXPECT_EQ(measure_line_width("a\nlong last line", "x\n"), 6u);
  EXPECT_EQ(measure_line_width("", ""), 3u);
}

TEST(RunProgram, WithoutFileNamesPrintsTheUsageAndWaits) {
  testing::TestConsole terminal;
  EXPECT_EQ(run_command_line({}, "/nowhere/", terminal.console), 1);
  EXPECT_EQ(terminal.text(),
            "Quarn Code Converter Win64 Version 11.11.11\n"
            "vonx structured assembly converter (c) the vonx developers\n\n"
            "vonx filename filename \x81\x63\n\nPlease drag and drop.\n\n");
  EXPECT_EQ(terminal.console.waits(), 1);
}

TEST(RunProgram, MissingRuleFileStopsBeforeAnySource) {
  testing::ScratchDir dir;
  dir.write("prog.7pp", ".cpu x\n");
  testing::TestConsole terminal;
  EXPECT_EQ(run_command_line({dir.file("prog.7pp")}, dir.path(), terminal.console), 1);
  EXPECT_EQ(terminal.text(), message_text(Message::not_found, "config.txt") + "\n");
  EXPECT_EQ(terminal.console.waits(), 1);
}

}  // namespace
}  // namespace vonx
