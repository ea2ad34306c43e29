#include "common/console.hpp"

#include <istream>
#include <ostream>

namespace vonx {

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

void Console::diagnostic(std::string_view place, Severity severity, std::string_view text) {
  std::string line(place.empty() ? std::string_view("vonx") : place);
  line += severity == Severity::error ? ": error: " : ": warning: ";
  line += text;
  line += '\n';
  err_.write(line.data(), static_cast<std::streamsize>(line.size()));
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
