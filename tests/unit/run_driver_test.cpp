#include "driver/run_driver.hpp"

#include <gtest/gtest.h>

#include <filesystem>

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

// The rule of line 2 writes every line of one token twice: ten call passes make
// 1024 lines of "abc" (4 KiB), well inside the program's bound, while a caller's
// bound of 1 x the 41 bytes read + 64 stops the file in the fifth call pass.
TEST(RunProgram, TheCallersWorkBoundStopsARuleThatFeedsItself) {
  testing::ScratchDir dir;
  dir.write("config.txt", ".cpu t\n#<c>:<c>:<c>\n#\n#file=s\n");
  dir.write("prog.7pp", ".cpu t\nabc\n");
  Options options = parse_options({dir.file("prog.7pp")});
  testing::TestConsole whole;
  EXPECT_EQ(run_program(options, dir.path(), whole.console), 0);
  EXPECT_EQ(dir.read("prog.s").size(), 4096u);

  options.conversion.work_bound = {1, 64};
  testing::TestConsole bounded;
  EXPECT_EQ(run_program(options, dir.path(), bounded.console), 1);
  EXPECT_TRUE(
      bounded.text().ends_with("....\n" + message_text(Message::work_limit_rule, "2") + "\n"))
      << bounded.text();
  EXPECT_FALSE(std::filesystem::exists(dir.file("prog.s")));
}

}  // namespace
}  // namespace vonx
