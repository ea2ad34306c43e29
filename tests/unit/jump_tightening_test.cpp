#include "lowering/jump_tightening.hpp"

#include <gtest/gtest.h>

#include "test_support.hpp"

namespace vonx {
namespace {

using testing::ScratchDir;
using testing::TestSession;

WorkText tighten(std::string_view lowered, std::string_view label_end = ":\n") {
  ScratchDir dir;
  TestSession t(dir);
  t.session.settings.label_head_text = "L";
  t.session.settings.label_end_text = label_end;
  return tighten_jumps(t.session, numbered_text(lowered));
}

struct Case {
  const char* name;
  std::string_view lowered;
  std::string_view tightened;
};

TEST(TightenJumps, FewerJumpsSameMeaning) {
  const Case cases[] = {
      {"a goto to the labels right after it goes; one over a statement stays",
       "     goto     Lexitif1\nLnextelse1:\nLexitif1:\n"
       "     goto     Lexitif2\n     nop\nLexitif2:\n",
       "Lnextelse1:\nLexitif1:\n"
       "     goto     Lexitif2\n     nop\nLexitif2:\n"},
      {"a test whose true label is next says so",
       "  a == b  [+++4,1,8,1+++]\nLlocalelse1:\n     x\n     goto     Lexitif1\n"
       "Lnextelse1:\n     y\nLexitif1:\n",
       "  a == b  [+++4,1,8,1,1+++]\nLlocalelse1:\n     x\n     goto     Lexitif1\n"
       "Lnextelse1:\n     y\nLexitif1:\n"},
      // The last if of a loop body: its false label leads to the loop's goto.
      {"a test's false label threaded to the loop start",
       "Lloopstartwhile1:\n  c  [+++2,1,6,1+++]\nLlocalwhile1:\n  a  [+++4,1,8,1+++]\n"
       "Llocalelse1:\n     x\nLnextelse1:\nLexitif1:\n     goto     Lloopstartwhile1\n"
       "Lexitwhile1:\n",
       "Lloopstartwhile1:\n  c  [+++2,1,6,1,1+++]\nLlocalwhile1:\n  a  [+++4,1,13,1,1+++]\n"
       "Llocalelse1:\n     x\nLnextelse1:\nLexitif1:\n     goto     Lloopstartwhile1\n"
       "Lexitwhile1:\n"},
      {"a break threaded to a label word that four fields cannot name",
       "  break  [+++10,2+++]\n     nop\nLexitwhile2:\n     goto     Lexitif1\n     nop\n"
       "Lexitif1:\n",
       "  break  [+++38,1,0,0,0+++]\n     nop\nLexitwhile2:\n     goto     Lexitif1\n     nop\n"
       "Lexitif1:\n"},
      // Code 20 takes the marker's second number, code 18 its first.
      {"numbers go with their codes once the marker has five fields",
       "  p  [+++20,0,18,1+++]\nLiflocalelseand0:\n     x\nLifnextelseandjmp1:\n",
       "  p  [+++20,1,18,0,2+++]\nLiflocalelseand0:\n     x\nLifnextelseandjmp1:\n"},
      {"jumps nothing reaches go, a statement stays and ends them",
       "  break  [+++10,1+++]\n     goto     Lexitif1\nLnextelse1:\n     goto     Lexitif1\n"
       "     nop\n     goto     Lexitif1\nLexitif1:\nLexitwhile1:\n",
       "  break  [+++10,1+++]\nLnextelse1:\n     nop\nLexitif1:\nLexitwhile1:\n"},
      {"a label that text of the user's names may be jumped to",
       "  break  [+++10,1+++]\nLnextelse1:\n     goto     Lexitwhile1\n     nop\n"
       "Lexitwhile1:\n     lea rax, [Lnextelse1]\n",
       "  break  [+++10,1+++]\nLnextelse1:\n     goto     Lexitwhile1\n     nop\n"
       "Lexitwhile1:\n     lea rax, [Lnextelse1]\n"},
      {"gotos and labels of the user's own",
       "     goto done\ndone:\n  a  [+++4,1,8,1+++]\nLlocalelse1:\n     x\nLnextelse1:\n"
       "     goto     done2\n     nop\ndone2:\n",
       "done:\n  a  [+++4,1,50,1,1+++]\nLlocalelse1:\n     x\nLnextelse1:\n"
       "     goto     done2\n     nop\nLuserlabel1:\ndone2:\n"},
      {"a jump goes on to a goto of the user's through the label of lowering's before its label",
       "     goto     Lexitif1\n     nop\nLexitif1:\n     goto done\n     nop\ndone:\n",
       "     goto     Luserlabel1\n     nop\nLexitif1:\n     goto done\n     nop\n"
       "Luserlabel1:\ndone:\n"},
      // "1b" is the nearest "1:" before the goto; "ext" another file's label.
      {"not to a goto whose label is found by place, or in no line of the text",
       "     goto     Lexitif1\n1:\n     nop\nLexitif1:\n     goto 1b\n"
       "     nop\n     goto     Lexitif2\n     nop\nLexitif2:\n     goto ext\n",
       "     goto     Lexitif1\n1:\n     nop\nLexitif1:\n     goto 1b\n"
       "     nop\n     goto     Lexitif2\n     nop\nLexitif2:\n     goto ext\n"},
      {"a jump into a ring goes to where it enters it",
       "     goto     Lexitif1\n     nop\nLexitif1:\n     goto     Lloopstartwhile1\n     nop\n"
       "Lloopstartwhile1:\n     goto     Lloopstartwhile1\n",
       "     goto     Lloopstartwhile1\n     nop\nLexitif1:\n     goto     Lloopstartwhile1\n"
       "     nop\nLloopstartwhile1:\n     goto     Lloopstartwhile1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(tighten(c.lowered).text, c.tightened);
  }
}

TEST(TightenJumps, LinesKeepTheirOrigins) {
  // Line 1 goes; the label made before done2: comes from done2:'s line.
  WorkText tightened = tighten(
      "     goto done\ndone:\n  a  [+++4,1,8,1+++]\nLlocalelse1:\n     x\nLnextelse1:\n"
      "     goto     done2\n     nop\ndone2:\n");
  const std::vector<std::uint32_t> expected = {2, 3, 4, 5, 6, 7, 8, 9, 9};
  std::vector<std::uint32_t> lines;
  for (const LineOrigin& origin : tightened.origins) lines.push_back(origin.line);
  EXPECT_EQ(lines, expected);
}

TEST(TightenJumps, LabelsWithoutLineEndsAreLeftAlone) {
  const std::string_view lowered = "     goto     Lexitif1\nLexitif1:";
  EXPECT_EQ(tighten(lowered, ":").text, lowered);
}

}  // namespace
}  // namespace vonx
