#include "common/console.hpp"

#include <iostream>

namespace vonx {

Console::Console(std::ostream& out, std::istream& in, std::ostream* err)
    : out_(out), in_(in), err_(err ? *err : std::cerr) {}

void Console::write(std::string_view bytes) {
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out_.flush();
}

void Console::line(std::string_view bytes) {
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out_.put('\n');
  out_.flush();
}

void Console::say(Message message, std::string_view argument) {
  line(message_text(message, argument));
}

void Console::report_error(std::string_view text) {
  out_.flush();
  err_ << "vonx: error: " << text << '\n';
  err_.flush();
}

void Console::wait_for_key() {
  ++waits_;
  out_.flush();
  in_.get();
  in_.clear();
}

void Console::fatal(Message message, std::string_view argument) {
  say(message, argument);
  throw FatalStop();
}

}  // namespace vonx
