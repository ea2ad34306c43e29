#include "preprocessor/source_loading.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/messages.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

using testing::ScratchDir;
using testing::TestSession;

TEST(SourceStem, CutsAtTheFirst7ppOfTheBaseName) {
  EXPECT_EQ(source_stem_of("prog.7pp"), "prog");
  EXPECT_EQ(source_stem_of("dir\\PROG.7PP"), "dir\\PROG");
  EXPECT_EQ(source_stem_of("d.7pp/x.v1.7pp.bak"), "d.7pp/x.v1");
  EXPECT_EQ(source_stem_of("d.7pp/prog.txt"), "");
}

TEST(CommentRemoval, LineAndBlockComments) {
  struct Case {
    const char* name;
    std::string in, out;
  };
  const Case cases[] = {
      {"block inside a line", "a /* b */ c\n", "a  c\n"},
      {"block across lines joins both ends", "a /* b\nmid // x /* y\nd */ e\nf\n", "a  e\nf\n"},
      {"line comment keeps the text before it", "x // y\n", "x \n"},
      {"quotes are not recognised", "db \"//\",1\n", "db \"\n"},
      {"line comment on an unended last line", "x // y", "x \n"},
      {"block comment closed on an unended last line", "a /* b */ c", "a  c"},
      {"an end mark before the opening one is not its end", "a */ b /* c */ d\n", "a */ b  d\n"},
      {"a comment left open swallows the rest, its message stands in its place", "a /* b\nc\n",
       "a \n" + message_text(Message::comment_unclosed) + "\n"},
      {"plain lines pass unchanged", "mov a,b\n\n", "mov a,b\n\n"},
  };
  ScratchDir dir;
  TestSession t{dir};
  for (const Case& c : cases)
    EXPECT_EQ(remove_comments(t.session, numbered_text(c.in)).text, c.out) << c.name;
}

class IncludeExpansion : public ::testing::Test {
 protected:
  ScratchDir dir;
  TestSession t{dir};
  std::string expand(const std::string& text) {
    return expand_includes(t.session, numbered_text(text)).text;
  }
};

TEST_F(IncludeExpansion, BothFormsLookInTheProgramDirectory) {
  dir.write("io.inc", "out a\n");
  EXPECT_EQ(expand("x\n#include <io.inc>\ny\n"), "x\nout a\ny\n");
  TestSession again{dir};
  EXPECT_EQ(expand_includes(again.session, numbered_text("  #include \"io.inc\"\n")).text,
            "out a\n");
}

TEST_F(IncludeExpansion, NameWithASeparatorIsUsedAsWritten) {
  dir.write("sub/io.inc", "in sub\n");
  std::string backslashed = dir.path() + "sub\\io.inc";
  EXPECT_EQ(expand("#include \"" + backslashed + "\"\n"), "in sub\n");
}

TEST_F(IncludeExpansion, NestedTwiceAndMutualIncludesCopyEachFileOnce) {
  dir.write("a.inc", "a1\n#include <b.inc>\na2\n");
  dir.write("b.inc", "b1\n#include <a.inc>\n#include <c.inc>\n");
  dir.write("c.inc", "c1\n");
  EXPECT_EQ(expand("#include <a.inc>\n#include <A.INC>\n#include <c.inc>\nend\n"),
            "a1\nb1\na2\nc1\nend\n");
}

TEST_F(IncludeExpansion, IncludedFileWithoutFinalLineEndKeepsItsLastLine) {
  dir.write("r.inc", "ret");
  EXPECT_EQ(expand("#include <r.inc>\nmov a,b\n"), "ret\nmov a,b\n");
}

// Files are read with CR LF line ends made LF; a CR alone stays, also one
// before a CR LF, and a file past the reader's first buffer is read whole.
TEST_F(IncludeExpansion, LineEndsAsRead) {
  const testing::TextCase cases[] = {
      {"CR LF", "a\r\nb\r\n", "a\nb\n"},
      {"a CR alone and one before CR LF", "a\rb\r\r\nc", "a\rb\r\nc\n"},
      {"a last CR", "a\r", "a\r\n"},
      {"a long file", std::string(70000, 'x') + "\r\ny\r\n", std::string(70000, 'x') + "\ny\n"},
  };
  for (const testing::TextCase& c : cases) {
    dir.write("e.inc", c.in);
    TestSession fresh{dir};
    EXPECT_EQ(expand_includes(fresh.session, numbered_text("#include <e.inc>\n")).text, c.out)
        << c.name;
  }
}

TEST_F(IncludeExpansion, OtherFormsAreCopiedUnchanged) {
  const std::string text = "#include io.inc\n#include <open\n#include \"open\n#includex\n";
  EXPECT_EQ(expand(text), text);
}

TEST_F(IncludeExpansion, MissingFileStopsWithItsFullName) {
  EXPECT_THROW(expand("#include <none.inc>\n"), FatalStop);
  EXPECT_EQ(t.terminal.text(), message_text(Message::not_found, dir.path() + "none.inc") + "\n");
}

// A file is included once whatever name reaches it: another spelling, or a
// link to a folder that leads back to the file's own.
TEST_F(IncludeExpansion, OneFileByTwoNamesIsIncludedOnce) {
  dir.write("defs.inc", "d\n");
  dir.write("lib/x.inc", "#include \"../defs.inc\"\nx\n");
  std::filesystem::create_directory_symlink(".", dir.file("loop"));
  dir.write("self.inc", "s\n#include \"" + dir.path() + "loop/self.inc\"\n");
  EXPECT_EQ(expand("#include \"defs.inc\"\n#include \"" + dir.path() +
                   "lib/x.inc\"\n#include <self.inc>\nend\n"),
            "d\nx\ns\nend\n");
}

// A name that leads to something other than a file is reported as what it is,
// at its #include line, without waiting on a pipe.
TEST_F(IncludeExpansion, NameOfSomethingElseThanAFileStops) {
  std::filesystem::create_directory(dir.file("folder.inc"));
  ASSERT_EQ(mkfifo(dir.file("pipe.inc").c_str(), 0600), 0);
  std::filesystem::create_symlink("ring2.inc", dir.file("ring1.inc"));
  std::filesystem::create_symlink("ring1.inc", dir.file("ring2.inc"));
  const struct {
    std::string name, said;
    Message message;
  } cases[] = {
      {"folder.inc", "is a folder, not a file", Message::not_a_file},
      {"pipe.inc", "is a pipe (FIFO), not a file", Message::not_a_file},
      {"/dev/null", "is a device, not a file", Message::not_a_file},
      {"ring1.inc", "is a loop of symbolic links that leads to no file", Message::link_loop},
  };
  for (const auto& c : cases) {
    TestSession fresh{dir};
    const std::string full = c.name[0] == '/' ? c.name : dir.path() + c.name;
    EXPECT_THROW(expand_includes(fresh.session, numbered_text("x\n#include <" + c.name + ">\n")),
                 FatalStop)
        << c.name;
    EXPECT_EQ(fresh.terminal.text(), message_text(c.message, full) + "\n") << c.name;
    EXPECT_EQ(fresh.terminal.diagnostics(),
              dir.path() + "prog.7pp:2: error: included file \"" + full + "\" " + c.said + "\n")
        << c.name;
  }
}

TEST_F(IncludeExpansion, FirstNulByteOfEachFileIsAWarning) {
  dir.write("n.inc", std::string("a\nb\0\0\n", 6));
  EXPECT_EQ(expand("#include <n.inc>\n#include <n.inc>\n"), std::string("a\nb\0\0\n", 6));
  EXPECT_EQ(t.terminal.diagnostics(), dir.path() + "n.inc:2: warning: the line holds a NUL byte\n");
  EXPECT_EQ(t.terminal.text(), message_text(Message::nul_byte) + "\n");
}

class CpuDirective : public ::testing::Test {
 protected:
  ScratchDir dir;
  TestSession t{dir};
  void rules(const std::string& text) { t.session.config_text = text; }
};

TEST_F(CpuDirective, FirstDotLineCutAtCommentAndTrimmed) {
  rules("; x\n  .cpu x\n#a:b\n");
  EXPECT_EQ(find_cpu_directive(t.session, numbered_text("nop\n  .cpu x   // target\n.other\n")),
            ".cpu x");
  EXPECT_EQ(find_cpu_directive(t.session, numbered_text(".cpu x/* a */\n")), ".cpu x");
}

TEST_F(CpuDirective, RuleLineMayContinueAfterTheDirective) {
  rules(".cpu xy\n");
  EXPECT_EQ(find_cpu_directive(t.session, numbered_text(".cpu x\n")), ".cpu x");
  EXPECT_EQ(find_cpu_directive(t.session, numbered_text(". \n")),
            ".");  // a lone "." begins every "." line
}

TEST_F(CpuDirective, MissingOrUnmatchedDirectiveStops) {
  for (std::string source : {"nop\n", ".cpu b\n", ".cpu ab\n", "//.cpu a\n"}) {
    TestSession fresh{dir};
    fresh.session.config_text = ".cpu a\n";
    EXPECT_THROW(find_cpu_directive(fresh.session, numbered_text(source)), FatalStop) << source;
    EXPECT_EQ(fresh.terminal.text(), message_text(Message::cpu_directive_missing) + "\n");
  }
}

}  // namespace
}  // namespace vonx
