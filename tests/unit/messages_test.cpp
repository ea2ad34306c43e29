#include "common/messages.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "common/console.hpp"
#include "common/platform.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

// Converts UTF-8 text to code page 932 with the system's iconv.
std::string to_cp932(std::string_view readable) {
  testing::ScratchDir dir;
  dir.write("in.txt", std::string(readable));
  std::string command =
      "iconv -f UTF-8 -t CP932 '" + dir.file("in.txt") + "' > '" + dir.file("out.txt") + "'";
  if (std::system(command.c_str()) != 0) return "<iconv failed>";
  return dir.read("out.txt");
}

TEST(MessageCatalogue, EveryEntryIsTheCp932FormOfItsReadableText) {
  std::set<Message> seen;
  for (const CatalogueEntry& entry : message_catalogue()) {
    EXPECT_TRUE(seen.insert(entry.message).second) << entry.readable << " listed twice";
    EXPECT_EQ(std::string(entry.bytes), to_cp932(entry.readable)) << entry.readable;
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(Message::catalogue_size));
}

TEST(MessageCatalogue, ArgumentsGoInPlace) {
  EXPECT_EQ(message_text(Message::not_found, "a.7pp"), "a.7pp" + to_cp932("が見つかりません。"));
  EXPECT_EQ(message_text(Message::angle_brackets_unbalanced, "12"),
            to_cp932("<,>の数が合いません。12行目です。"));
  EXPECT_EQ(message_text(Message::expression_error, message_text(Message::stack_full)),
            "error: stack full");
  EXPECT_EQ(message_text(Message::section_header_line).size(), 71u);
}

TEST(Console, FatalPrintsItsLineAndStops) {
  testing::TestConsole terminal;
  EXPECT_THROW(terminal.console.fatal(Message::wrong_extension), FatalStop);
  EXPECT_EQ(terminal.text(), message_text(Message::wrong_extension) + "\n");
  terminal.console.wait_for_key();  // end of input returns at once
  EXPECT_EQ(terminal.console.waits(), 1);
}

// A console that reads Unicode gets the catalogue text as UTF-8, a path in a
// message as the UTF-8 it is; anything else gets the code page 932 bytes.
TEST(Console, ShowsCatalogueTextAsUtf8OnlyOnAUnicodeConsole) {
  struct Row {
    bool unicode;
    std::string shown;
  };
  const std::string path = "dir\\テスト.7pp";
  for (const Row& row :
       {Row{true, path + "が見つかりません。\n<,>の数が合いません。12行目です。\n.\n"},
        Row{false, message_text(Message::not_found, path) + "\n" +
                       message_text(Message::angle_brackets_unbalanced, "12") + "\n.\n"}}) {
    std::ostringstream out;
    std::istringstream in;
    std::ostringstream errors;
    Console console(out, in, errors, row.unicode);
    console.say(Message::not_found, path);
    console.say(Message::angle_brackets_unbalanced, "12");
    console.write(".");
    console.line("");
    EXPECT_EQ(out.str(), row.shown) << (row.unicode ? "unicode" : "code page 932");
  }
}

// Quiet leaves standard output empty, message lines included; standard error
// keeps its lines.
TEST(Console, QuietWritesNothingOnStandardOutput) {
  testing::TestConsole terminal;
  terminal.console.set_quiet(true);
  terminal.console.write(".");
  terminal.console.line("");
  terminal.console.say(Message::not_found, "a.7pp");
  terminal.console.diagnostic("a.7pp:1", Severity::error, "text");
  EXPECT_THROW(terminal.console.fatal(Message::wrong_extension), FatalStop);
  EXPECT_EQ(terminal.text(), "");
  EXPECT_EQ(terminal.diagnostics(), "a.7pp:1: error: text\n");
}

// Only a keyboard is asked for a key, after a prompt on standard error; from a
// pipe or a file not a byte is taken.
TEST(Console, WaitsForAKeyOnlyWithAKeyboard) {
  for (bool keyboard : {false, true}) {
    std::ostringstream out, errors;
    std::istringstream in("xy");
    Console console(out, in, errors, false, keyboard);
    console.wait_for_key();
    EXPECT_EQ(console.waits(), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(errors.str(), keyboard ? "vonx: press Enter to go on\n" : "") << keyboard;
    EXPECT_EQ(in.get(), keyboard ? 'y' : 'x') << keyboard;
  }
}

TEST(Console, BytesThatAreNoCharacterBecomeAQuestionMark) {
  EXPECT_EQ(code_page_932_to_utf8(to_cp932("表") + "\xff" + "a\\" + "\x81"), "表?a\\?");
}

}  // namespace
}  // namespace vonx
