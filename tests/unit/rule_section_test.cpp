#include "common/rule_section.hpp"

#include <gtest/gtest.h>

#include "common/messages.hpp"

namespace vonx {
namespace {

using Lines = std::vector<std::string>;

Lines section(std::string_view config, std::string_view directive) {
  Lines lines;
  for (std::string_view line : rule_section_lines(config, directive, 300)) lines.emplace_back(line);
  return lines;
}

TEST(RuleSection, OpenedByPrefixClosedByADotLineReopenedByTheDirective) {
  const std::string config =
      "#before\n.cpu ab\n#in1\n .other\n#out\n  .cpu a\n#in2\n.cpu b\n#out2\n";
  EXPECT_EQ(section(config, ".cpu a"), (Lines{"#in1\n", "#in2\n"}));
  EXPECT_EQ(section(config, ".cpu b"), (Lines{"#out2\n"}));
  EXPECT_EQ(section(config, ""), Lines{});
}

TEST(ListItems, SplittingRules) {
  EXPECT_EQ(list_items("a,,b\n", true, false), (Lines{"a", "", "b"}));
  EXPECT_EQ(list_items("a,,b\n", false, false), (Lines{"a", "b"}));
  EXPECT_EQ(list_items(" a , b\n", true, false), (Lines{" a ", " b"}));
  EXPECT_EQ(list_items("\\,, \n", false, true), (Lines{",", " "}));
  EXPECT_EQ(list_items("\\,x,y\n", false, true), (Lines{",x", "y"}));
  EXPECT_EQ(list_items("last", true, false), (Lines{"last"}));  // no line end: still read
}

TEST(SectionSettings, EveryKey) {
  const std::string config =
      ".cpu z\n#x:y\n"
      "#b=.b,.bb\n#w=.w\n# =,,\n"
      "#imm=#,$\n#space=\\,, \n#keyword=if,loop\n#keywordend=endif,endloop\n"
      "#user1=q\n#user=r,s\n#user=t\n#user2=\n#user1=u\n"
      "#user reg=a0,a1\n#user\tx=w\n#user  reg=zero\n#user imm=i\n#user r2=q\n#userreg=z\n"
      "#scratch=t6,,t5\n"
      "#file=s\n#labelhead=L\n#labelend=:\n#labelhead=\n" +
      message_text(Message::section_header_line) + "\n.next\n#file=no\n";
  SectionSettings s = read_section_settings(config, ".cpu z", 300);
  ASSERT_EQ(s.sized_names.size(), 3u);
  EXPECT_EQ(s.sized_names[0].text, ".bb");
  EXPECT_EQ(s.sized_names[0].size_letter, 'b');
  EXPECT_EQ(s.sized_names[1].text, ".b");
  EXPECT_EQ(s.sized_names[2].text, ".w");
  EXPECT_EQ(s.sized_names[2].size_letter, 'w');
  EXPECT_EQ(s.immediate_prefixes, (Lines{"#", "$"}));
  EXPECT_EQ(s.space_words, (Lines{",", " "}));
  EXPECT_EQ(s.keyword_list, (Lines{"if", "loop"}));
  EXPECT_EQ(s.keyword_end_list, (Lines{"endif", "endloop"}));
  ASSERT_EQ(s.user_classes.size(), 2u);
  EXPECT_EQ(s.user_classes[0], (Lines{"r", "s"}));
  EXPECT_EQ(s.user_classes[1], (Lines{"u"}));
  // Word classes: a blank after "#user", a name of letters; lines of one name add up.
  ASSERT_EQ(s.word_classes.size(), 2u);
  EXPECT_EQ(s.word_classes[0].name, "reg");
  EXPECT_EQ(s.word_classes[0].words, (Lines{"a0", "a1", "zero"}));
  EXPECT_EQ(s.word_classes[1].name, "x");
  // "#user imm=i" (a placeholder's own name) and "#user r2=q" (a digit) define none.
  EXPECT_EQ(s.unread_word_classes, (std::vector<std::size_t>{18, 19}));
  EXPECT_EQ(s.scratch_registers, (Lines{"t6", "t5"}));
  EXPECT_EQ(s.output_extension, "s");
  EXPECT_EQ(s.label_head_text, "L");
  EXPECT_EQ(s.label_end_text, ":\n");
}

TEST(SectionSettings, MissingLabelEndAndUnendedLastLine) {
  SectionSettings s = read_section_settings(".cpu z\n#labelhead=L_\n#file=asm", ".cpu z", 300);
  EXPECT_EQ(s.label_end_text, "");
  EXPECT_EQ(s.output_extension, "asm");
  EXPECT_TRUE(is_settings_line("#user7=x"));
  EXPECT_TRUE(is_settings_line("#keywordend=x"));
  EXPECT_FALSE(is_settings_line("#ld <user>:ld"));
}

TEST(SectionSettings, LineMarkFormTheLastKeyDecidesItsKind) {
  const struct {
    std::string keys;
    std::string text;
    bool counts;
  } cases[] = {
      {"#linemark=.loc <line>\n", ".loc <line>", false},
      {"#linecount=# <line> \"<file>\"\n", "# <line> \"<file>\"", true},
      {"#linecount=# <line>\n#linemark=@<line>\n", "@<line>", false},
      {"#linemark=@<line>\n#linecount=# <line>\n#linemark=\n", "# <line>", true},
      {"#file=s\n", "", false},
  };
  for (const auto& c : cases) {
    SectionSettings s =
        read_section_settings(".cpu z\n" + c.keys + "#linefile=.f <file>\n", ".cpu z", 300);
    EXPECT_EQ(s.line_mark_text, c.text) << c.keys;
    EXPECT_EQ(s.line_mark_counts, c.counts) << c.keys;
    EXPECT_EQ(s.line_file_text, ".f <file>") << c.keys;
  }
  // The keys end the macro area like every other settings key.
  for (const char* key : {"#linemark=x", "#linecount=x", "#linefile=x"})
    EXPECT_TRUE(is_settings_line(key)) << key;
  EXPECT_FALSE(is_settings_line("#linemark :x"));
}

TEST(SectionSettings, SizedNamesLongestFirstEqualLengthsInFileOrder) {
  const std::pair<std::string, std::string> cases[] = {
      {"#b=.b,.bb\n#w=.w\n", ".bb b|.b b|.w w|"},
      // Empty items are skipped; a last line without a line end still counts.
      {"#b=,,.b,\n# =x", ".b b|x  |"},
      {"#w=ab\n#o=c\n#b=cd,e\n#l=xyz\n", "xyz l|ab w|cd b|c o|e b|"},
  };
  for (const auto& [keys, expected] : cases) {
    std::string sized;
    for (const SizedName& name :
         read_section_settings(".cpu z\n" + keys, ".cpu z", 300).sized_names)
      sized += name.text + " " + name.size_letter + "|";
    EXPECT_EQ(sized, expected) << keys;
  }
}

}  // namespace
}  // namespace vonx
