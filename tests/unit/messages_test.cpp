#include "common/messages.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "common/console.hpp"
#include "test_support.hpp"

namespace vonx {
namespace {

// Converts UTF-8 text to code page 932 with the system's iconv.
std::string to_cp932(std::string_view readable) {
  testing::ScratchDir dir;
  dir.write("in.txt", std::string(readable));
  std::string command = "iconv -f UTF-8 -t CP932 '" + dir.file("in.txt") + "' > '" +
                        dir.file("out.txt") + "'";
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

}  // namespace
}  // namespace vonx
