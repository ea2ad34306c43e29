#include "driver/options.hpp"

#include <gtest/gtest.h>

#include "driver/dependency_file.hpp"
#include "driver/run_driver.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

struct OptionCase {
  const char* name;
  std::vector<std::string> words;
  // What the parse must give, written as one line: see summary().
  std::string parsed;
};

// Every field of the result that a word can change, in one comparable line.
std::string summary(const Options& o) {
  if (!o.usage_error.empty()) return "error: " + o.usage_error;
  std::string text;
  for (const std::string& name : o.file_names) text += "[" + name + "]";
  if (o.show_help) text += " help";
  if (o.show_version) text += " version";
  if (o.quiet) text += " quiet";
  if (o.no_wait) text += " no-wait";
  if (o.conversion.line_markers) text += " g";
  if (o.conversion.optimize) text += " O";
  if (!o.conversion.output_path.empty()) text += " o=" + o.conversion.output_path;
  if (!o.conversion.rule_file_path.empty()) text += " r=" + o.conversion.rule_file_path;
  for (const std::string& dir : o.conversion.include_dirs) text += " I=" + dir;
  if (!o.conversion.define_lines.empty()) text += " D=" + o.conversion.define_lines;
  if (o.conversion.write_dependencies) text += " MD";
  if (!o.conversion.dependency_path.empty()) text += " MF=" + o.conversion.dependency_path;
  return text;
}

TEST(ParseOptions, GnuFormsAnywhereOnTheLine) {
  const std::vector<OptionCase> cases = {
      {"names only", {"a.7pp", "b.7pp"}, "[a.7pp][b.7pp]"},
      {"no words", {}, ""},
      {"flags between names",
       {"a.7pp", "-q", "--no-wait", "b.7pp"},
       "[a.7pp][b.7pp] quiet no-wait"},
      {"bundled flags", {"-qh", "a.7pp"}, " help quiet"},
      {"line markers, bundled too", {"-g", "a.7pp", "-gqoout.s"}, "[a.7pp] quiet g o=out.s"},
      {"-O alone and bundled", {"-O", "a.7pp", "-qO"}, "[a.7pp] quiet O"},
      {"arguments attached and apart",
       {"-oout.s", "-r", "r.txt", "-Iinc", "-I", "lib", "a.7pp"},
       "[a.7pp] o=out.s r=r.txt I=inc I=lib"},
      {"a flag bundled before an argument", {"-qoout.s", "a.7pp"}, "[a.7pp] quiet o=out.s"},
      {"long rules with = and apart", {"--rules=x.txt", "--rules", "y.txt"}, " r=y.txt"},
      {"defines",
       {"-DN=3", "-D", "FLAG", "-DE=", "-DS=a=b c", "-DQ='/' \"*\""},
       " D=#define N 3\n#define FLAG 1\n#define E\n#define S a=b c\n#define Q '/' \"*\"\n"},
      {"dependency options", {"-MD", "a.7pp"}, "[a.7pp] MD"},
      {"-MF attached and apart", {"-MFa.d", "a.7pp", "-MF", "b.d"}, "[a.7pp] MD MF=b.d"},
      {"-- ends the options", {"-q", "--", "-x.7pp", "--help"}, "[-x.7pp][--help] quiet"},
      {"- is standard input, -o - standard output", {"-o", "-", "-"}, "[-] o=-"},
      {"standard input needs -o",
       {"-"},
       "error: the source - (standard input) needs -o FILE, or -o - for standard output"},
      {"-MF - writes the make rule to standard output",
       {"-MF-", "-o", "x.s", "-"},
       "[-] o=x.s MD MF=-"},
      {"standard output holds no make rule",
       {"-MD", "-o", "-", "a.7pp"},
       "error: -MD and -MF write the make rule of an output file; -o - writes none"},
      {"help ends the reading", {"a.7pp", "--help", "--bogus"}, "[a.7pp] help"},
      {"version ends the reading", {"--version", "-o"}, " version"},
      {"help outranks -o with two names", {"-o", "x", "a", "b", "-h"}, "[a][b] help o=x"},
      {"unknown short option", {"-x"}, "error: unknown option '-x'"},
      {"unknown letter in a bundle", {"-qz"}, "error: unknown option '-z'"},
      {"unknown -M option", {"-MM"}, "error: unknown option '-MM'"},
      {"unknown long option", {"--quite"}, "error: unknown option '--quite'"},
      {"flag with an argument", {"--quiet=yes"}, "error: option '--quiet' takes no argument"},
      {"missing argument", {"a.7pp", "-o"}, "error: option '-o' needs an argument"},
      {"missing -I argument", {"-I"}, "error: option '-I' needs an argument"},
      {"missing -MF argument", {"-MF"}, "error: option '-MF' needs an argument"},
      {"empty file name", {"--rules=", "a.7pp"}, "error: option '--rules' needs a file name"},
      {"define without a name",
       {"-D=1"},
       "error: -D needs NAME or NAME=VALUE, the name without blanks"},
      {"define name with a blank",
       {"-D", "A B"},
       "error: -D needs NAME or NAME=VALUE, the name without blanks"},
      {"define value with a line end",
       {"-DA=1\n#define B 2"},
       "error: -D needs NAME or NAME=VALUE, the name without blanks"},
      {"define value that opens a comment",
       {"-D", "X=/*"},
       "error: -D X=/*: the definition may not open a comment"},
      {"define value that opens a line comment",
       {"-DX=a//b"},
       "error: -D X=a//b: the definition may not open a comment"},
      {"define value with an unclosed quote",
       {"-DS='a' \"b"},
       "error: -D S='a' \"b: the value holds a quote that nothing closes"},
      {"-o with two sources",
       {"-o", "x.s", "a.7pp", "b.7pp"},
       "error: -o names the output of one source, not of several"},
      {"-MF with two sources",
       {"a.7pp", "b.7pp", "-MF", "d"},
       "error: -MF names the dependency file of one source, not of several"},
  };
  for (const OptionCase& c : cases) EXPECT_EQ(summary(parse_options(c.words)), c.parsed) << c.name;
}

TEST(DependencyFile, MakeRulesAsCompilersWriteThem) {
  const std::vector<testing::TextCase> cases = {
      {"source only", "a.s|a.7pp", "a.s: a.7pp\n"},
      {"one empty rule per prerequisite after the source", "a.s|a.7pp|i.inc|config.txt",
       "a.s: a.7pp i.inc config.txt\n\ni.inc:\n\nconfig.txt:\n"},
      {"blank, dollar, hash, backslash before a blank", "o u.s|a$.7pp|x#y|d\\ e",
       "o\\ u.s: a$$.7pp x\\#y d\\\\\\ e\n\nx\\#y:\n\nd\\\\\\ e:\n"},
      {"continued before the name that passes column 72",
       "out.s|" + std::string(60, 's') + "|" + std::string(6, 'a') + "|b",
       "out.s: " + std::string(60, 's') + " \\\n " + std::string(6, 'a') + " b\n\n" +
           std::string(6, 'a') + ":\n\nb:\n"},
      {"a name that reaches column 72 stays", "out.s|" + std::string(66, 's'),
       "out.s: " + std::string(66, 's') + "\n"},
  };
  for (const testing::TextCase& c : cases) {
    std::vector<std::string> names;
    for (std::size_t start = 0, bar; start <= c.in.size(); start = bar + 1) {
      bar = c.in.find('|', start);
      if (bar == std::string::npos) bar = c.in.size();
      names.push_back(c.in.substr(start, bar - start));
    }
    std::string output = names.front();
    names.erase(names.begin());
    EXPECT_EQ(dependency_rules(output, names), c.out) << c.name;
  }
  EXPECT_EQ(dependency_path_of("dir.v1/prog.s"), "dir.v1/prog.d");
  EXPECT_EQ(dependency_path_of("dir.v1/prog"), "dir.v1/prog.d");
}

TEST(RunCommandLine, NoWaitNeverWaitsAndDefinesCountInTheLineWidth) {
  testing::ScratchDir dir;
  dir.write("config.txt", ".cpu x\n#nop:nop\n#\n#file=s\n");
  // An unclosed brace is reported as an error and makes the file wait at its end.
  dir.write("prog.7pp", ".cpu x\nif (a == b) {\nmov r0,LONG\n");
  testing::TestConsole terminal;
  EXPECT_EQ(
      run_command_line({"-q", "--no-wait", "-DLONG=" + std::string(200, '1'), dir.file("prog.7pp")},
                       dir.path(), terminal.console),
      1);
  EXPECT_EQ(terminal.console.waits(), 0);
  EXPECT_NE(dir.read("prog.s").find(std::string(200, '1')), std::string::npos);

  // The -D line is measured with the source: 3 x (its length + 1).
  RunContext run{terminal.console, dir.path(), dir.file("config.txt")};
  run.options.define_lines = "#define LONG " + std::string(200, '1') + "\n";
  FileSession session(run, dir.file("prog.7pp"));
  run_source_file(session);
  EXPECT_EQ(session.line_width, 3u * (std::string("#define LONG ").size() + 200 + 1));
}

TEST(RunCommandLine, DependencyFileNeverOverwritesAnInputOrTheOutput) {
  testing::ScratchDir dir;
  dir.write("config.txt", ".cpu x\n#nop:nop\n#\n#file=s\n");
  dir.write("prog.7pp", ".cpu x\n#include \"in.inc\"\n");
  dir.write("in.inc", "nop\n");
  for (const char* kept : {"prog.7pp", "in.inc", "config.txt", "prog.s"}) {
    testing::TestConsole terminal;
    EXPECT_EQ(run_command_line({"-q", "-MF", dir.file(kept), dir.file("prog.7pp")}, dir.path(),
                               terminal.console),
              1)
        << kept;
    EXPECT_NE(terminal.errors.str().find("would overwrite"), std::string::npos) << kept;
    EXPECT_EQ(dir.read("prog.7pp"), ".cpu x\n#include \"in.inc\"\n");
    EXPECT_EQ(dir.read("in.inc"), "nop\n");
    EXPECT_EQ(dir.read("config.txt"), ".cpu x\n#nop:nop\n#\n#file=s\n");
    EXPECT_EQ(dir.read("prog.s"), "nop\n");
  }
}

}  // namespace
}  // namespace vonx
