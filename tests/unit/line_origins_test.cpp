#include "common/line_origins.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/text.hpp"
#include "driver/run_driver.hpp"
#include "lowering/control_pass.hpp"
#include "lowering/jump_tightening.hpp"
#include "preprocessor/preprocessing_pass.hpp"
#include "preprocessor/source_loading.hpp"
#include "test_support.hpp"
#include "translation/macro_pass.hpp"

namespace vonx {
namespace {

const std::string kConfig =
    ".cpu t\n"
    "#push <a>:mov <b>,<a>\n"
    "pop <b>\n"
    "#<c>:test <c>\n"
    ":jnz <trueaddress>\n"
    ":jmp <falseaddress>\n"
    "#goto <l>:jmp <l>\n"
    "#\n"
    "#labelhead=L\n"
    "#labelend=:\n"
    "#file=s\n";

// One output line and the place it must name: "file:line".
struct Expected {
  std::string line;
  std::string place;
};

struct ChainCase {
  const char* name;
  std::string source;
  std::string include;  // the text of io.inc, if the source includes it
  std::vector<Expected> expected;
  bool line_markers = false;  // -g
  bool optimize = false;      // -O
};

// Every output line of the whole chain as "file:line|text".
std::vector<std::string> placed_output(const ChainCase& c) {
  testing::ScratchDir dir;
  dir.write("config.txt", kConfig);
  if (!c.include.empty()) dir.write("io.inc", c.include);
  testing::TestSession t(dir);
  t.run.options.line_markers = c.line_markers;
  FileSession& session = t.session;
  session.config_text = kConfig;
  session.line_width = measure_line_width(c.source, kConfig);
  WorkText loaded = load_source(session, c.source);
  session.cpu_directive = find_cpu_directive(session, loaded);
  name_output_file(session);
  WorkText lowered = control_pass(session, preprocessing_pass(session, loaded));
  if (c.optimize) lowered = tighten_jumps(session, lowered);
  std::optional<WorkText> out = macro_pass(session, lowered);
  std::vector<std::string> placed;
  if (!out) return placed;
  EXPECT_EQ(out->origins.size(), numbered_text(out->text).origins.size()) << c.name;
  for (auto [line, origin] : lines_of(*out)) {
    std::string file = session.origin_files.at(origin.file);
    file.erase(0, dir.path().size());
    placed.push_back(file + ":" + std::to_string(origin.line) + "|" +
                     std::string(without_newline(line)));
  }
  return placed;
}

TEST(LineOrigins, StayTrueThroughEveryPass) {
  const ChainCase cases[] = {
      {"included lines keep their file",
       ".cpu t\n  nop\n#include \"io.inc\"\n  ret\n",
       "  in a\n  out b",
       {{"  nop", "prog.7pp:2"},
        {"  in a", "io.inc:1"},
        {"  out b", "io.inc:2"},
        {"  ret", "prog.7pp:4"}}},
      {"a line joined around a block comment keeps its first line",
       ".cpu t\n  ld a /* first\n  second */ , b\n  ret\n",
       "",
       {{"  ld a  , b", "prog.7pp:2"}, {"  ret", "prog.7pp:4"}}},
      {"the closing line of a brace-less body comes from its header",
       ".cpu t\nwhile (a)\n  nop\n  ret\n",
       "",
       {{"Lloopstartwhile1:", "prog.7pp:2"},
        {"  nop", "prog.7pp:3"},
        {"     jmp Lloopstartwhile1", "prog.7pp:2"},
        {"Lexitwhile1:", "prog.7pp:2"},
        {"  ret", "prog.7pp:4"}}},
      {"removed #if groups and #define lines leave the numbers alone",
       ".cpu t\n#define N 5\n#if 0\n  dropped\n#else\n  ld N\n#endif\n  ret\n",
       "",
       {{"  ld 5", "prog.7pp:6"}, {"  ret", "prog.7pp:8"}}},
      {"a multi-line rule match comes from its first row",
       ".cpu t\n  push ax\n  pop bx\n  ret\n",
       "",
       {{"  mov bx,ax", "prog.7pp:2"}, {"  ret", "prog.7pp:4"}}},
      {"the [case] line comes from the last case line",
       ".cpu t\nswitch (x) {\ncase 1:\ncase 2:\n  nop\n  break;\n}\n  ret\n",
       "",
       {{"Lcaseor1:", "prog.7pp:4"},
        {"  nop", "prog.7pp:5"},
        {"Lexitswitch1:", "prog.7pp:7"},
        {"  ret", "prog.7pp:8"}}},
      {"lines written where a default body began come from the case after it",
       ".cpu t\nswitch (x) {\ndefault:\n  nop\n  break;\ncase 1:\n  ret\n}\n  halt\n",
       "",
       {{"     jmp Lnextcase1", "prog.7pp:6"},
        {"Lcaseor1:", "prog.7pp:6"},
        {"  nop", "prog.7pp:4"},
        {"  ret", "prog.7pp:7"},
        {"  halt", "prog.7pp:9"}}},
      {"the jump out of a case body that a break asks for comes from the break",
       ".cpu t\nswitch (x) {\ncase 1:\n  nop\n  break\ndefault:\n  ret\n}\n",
       "",
       {{"  test break", "prog.7pp:5"}, {"  ret", "prog.7pp:7"}}},
      {"without -g the jump back of a loop comes from its closing brace",
       ".cpu t\nwhile (a) {\n  nop\n}\n",
       "",
       {{"     jmp Lloopstartwhile1", "prog.7pp:4"}, {"Lexitwhile1:", "prog.7pp:4"}}},
      {"with -g the jump back of a loop comes from its header",
       ".cpu t\nwhile (a) {\n  nop\n  for (;b;) {\n    nop\n  }\n}\n",
       "",
       {{"     jmp Lzoubuntijmp1", "prog.7pp:4"},
        {"Lexitfor1:", "prog.7pp:6"},
        {"     jmp Lloopstartwhile1", "prog.7pp:2"},
        {"Lexitwhile1:", "prog.7pp:7"}},
       true},
      {"with -g and -O a threaded jump and a label written before the user's keep their "
       "statements",
       ".cpu t\ntop:\nwhile (a) {\n  if (b) {\n    goto top\n  }\n  nop\n}\n  ret\n",
       "",
       {{"Luserlabel1:", "prog.7pp:2"},
        {"  jnz Luserlabel1", "prog.7pp:4"},
        {"Lnextelse1:", "prog.7pp:6"},
        {"     jmp Lloopstartwhile1", "prog.7pp:3"},
        {"  ret", "prog.7pp:9"}},
       true,
       true},
  };
  for (const ChainCase& c : cases) {
    std::vector<std::string> placed = placed_output(c);
    for (const Expected& e : c.expected) {
      std::string wanted = e.place + "|" + e.line;
      EXPECT_NE(std::find(placed.begin(), placed.end(), wanted), placed.end())
          << c.name << ": " << wanted;
    }
  }
}

}  // namespace
}  // namespace vonx
