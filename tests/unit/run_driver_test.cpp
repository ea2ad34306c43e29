#include "driver/run_driver.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

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

TEST(NameOutputFile, BesideTheSourceOrWhereTheCommandLineSays) {
  struct Case {
    std::string stem;
    std::string config;
    std::string given;  // -o
    std::string output_path;
  };
  const std::string config = ".cpu x\n#file=asm\n";
  const Case cases[] = {
      {"dir/prog", config, "", "dir/prog.asm"},
      {"dir/prog.v2", config, "", "dir/prog.asm"},  // cut at the first "." of the base name
      {"a.b/prog", config, "", "a.b/prog.asm"},
      {"a.b\\prog.x", config, "", "a.b\\prog.asm"},
      {"prog", ".cpu x\n", "", "prog."},  // no #file=: an empty extension
      {"dir/prog", config, "out/x.s", "out/x.s"},
  };
  for (const Case& c : cases) {
    testing::TestConsole terminal;
    RunContext run{terminal.console, "", "config.txt"};
    run.options.output_path = c.given;
    FileSession session(run, c.stem + ".7pp");
    session.line_width = 300;
    session.config_text = c.config;
    session.cpu_directive = ".cpu x";
    session.source_stem = c.stem;
    name_output_file(session);
    EXPECT_EQ(session.output_path, c.output_path) << c.stem;
    EXPECT_EQ(session.settings.output_extension, c.config == config ? "asm" : "") << c.stem;
  }
}

// An output left by an earlier run never survives a conversion that stops,
// whichever pass stops it; a pass that stops the run may leave the output what
// it had written up to its stop instead.
TEST(RunSourceFile, AStoppedFileLeavesNoEarlierOutput) {
  struct Case {
    const char* name;
    std::string source;
    bool ends_the_run;
    std::optional<std::string> output;  // the output afterwards; nothing: removed
  };
  const Case cases[] = {
      // Each line of eight uses of A grows to 88 bytes: two of them outgrow the
      // bound of 1 x the 91 bytes read (source and config.txt) + 64.
      {"a #define outgrows the work limit",
       ".cpu t\n#define A 0123456789\nA A A A A A A A\nA A A A A A A A\nA A A A A A A A\n", false,
       std::nullopt},
      {"#define constants replace each other", ".cpu t\n#define A B\n#define B A\n  push A\n", true,
       std::nullopt},
      {"an #if expression that cannot be read", ".cpu t\n#if 1 && 0)\n  nop\n#endif\n", true,
       std::nullopt},
      {"a condition that cannot be converted", ".cpu t\n  nop\nif (a) && b) {\n}\n", true,
       ".cpu t\n  nop\n" +
           message_text(Message::expression_error, message_text(Message::missing_open_paren)) +
           "\n"},
  };
  for (const Case& c : cases) {
    testing::ScratchDir dir;
    dir.write("config.txt", ".cpu t\n#file=s\n");
    dir.write("prog.7pp", c.source);
    dir.write("prog.s", "from an earlier run\n");
    testing::TestConsole terminal;
    RunContext run{terminal.console, dir.path(), dir.file("config.txt")};
    run.options.work_bound = {1, 64};
    FileSession session(run, dir.file("prog.7pp"));
    bool ended = false;
    try {
      run_source_file(session);
    } catch (const FatalStop&) {
      ended = true;
    }
    EXPECT_EQ(ended, c.ends_the_run) << c.name;
    EXPECT_TRUE(session.failed || ended) << c.name;
    if (c.output)
      EXPECT_EQ(dir.read("prog.s"), *c.output) << c.name;
    else
      EXPECT_FALSE(std::filesystem::exists(dir.file("prog.s"))) << c.name;
  }
}

// The output would take the source's name: the stop leaves the source alone.
TEST(RunSourceFile, AStopNeverRemovesAFileTheOutputMayNotTake) {
  testing::ScratchDir dir;
  const std::string source = ".cpu t\n#define A B\n#define B A\n  push A\n";
  dir.write("config.txt", ".cpu t\n#file=7pp\n");
  dir.write("prog.7pp", source);
  testing::TestConsole terminal;
  RunContext run{terminal.console, dir.path(), dir.file("config.txt")};
  FileSession session(run, dir.file("prog.7pp"));
  EXPECT_THROW(run_source_file(session), FatalStop);
  EXPECT_EQ(dir.read("prog.7pp"), source);
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
// bound of 1 x the 41 bytes read + 64 = 105 stops the file in the second call
// pass: each line counts its 4 bytes and the 24 the macro pass keeps of it, and
// the fourth line (112 bytes) passes the bound.
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
      bounded.text().ends_with("\n.\n" + message_text(Message::work_limit_rule, "2") + "\n"))
      << bounded.text();
  EXPECT_FALSE(std::filesystem::exists(dir.file("prog.s")));
}

}  // namespace
}  // namespace vonx
