#include "common/console.hpp"

#include <istream>
#include <ostream>

namespace vonx {

void Console::write(std::string_view bytes) {
  if (quiet_) return;
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

void Console::wait_for_key() {
  if (no_wait_) return;
  ++waits_;
  out_.flush();
  in_.get();
  in_.clear();
}

void Console::error(std::string_view text) {
  out_.flush();
  errors_ << "vonx: error: " << text << '\n';
  errors_.flush();
}

void Console::fatal(Message message, std::string_view argument) {
  say(message, argument);
  throw FatalStop();
}

}  // namespace vonx
