#include "common/console.hpp"

#include <istream>
#include <ostream>

#include "common/platform.hpp"

namespace vonx {

namespace {

bool takes_path(Message message) {
  return message == Message::not_found || message == Message::cannot_write;
}

void put(std::ostream& out, std::string_view text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

void Console::write(std::string_view bytes) {
  if (quiet_) return;
  put(out_, unicode_ ? code_page_932_to_utf8(bytes) : std::string(bytes));
  out_.flush();
}

void Console::line(std::string_view bytes) {
  if (quiet_) return;
  std::string text(bytes);
  text += '\n';
  put(out_, unicode_ ? code_page_932_to_utf8(text) : text);
  out_.flush();
}

void Console::say(Message message, std::string_view argument) {
  if (quiet_) return;
  if (!takes_path(message)) return line(message_text(message, argument));
  if (!unicode_) return line(message_text(message, path_in_code_page_932(argument)));
  // The catalogue text is converted; the path goes in as the UTF-8 it is.
  std::string text = code_page_932_to_utf8(message_text(message, "%s"));
  text.replace(text.find("%s"), 2, argument);
  put(out_, text + '\n');
  out_.flush();
}

void Console::diagnostic(std::string_view place, Severity severity, std::string_view text) {
  std::string line(place.empty() ? std::string_view("vonx") : place);
  line += severity == Severity::error ? ": error: " : ": warning: ";
  line += text;
  line += '\n';
  out_.flush();
  put(errors_, line);
  errors_.flush();
}

void Console::wait_for_key() {
  if (no_wait_) return;
  ++waits_;
  out_.flush();
  // Without a keyboard nobody could answer: a pipe's next byte belongs to no
  // key press.
  if (!keyboard_) return;
  put(errors_, "vonx: press Enter to go on\n");
  errors_.flush();
  in_.get();
  in_.clear();
}

void Console::error(std::string_view text) {
  diagnostic({}, Severity::error, text);
}

void Console::fatal(Message message, std::string_view argument) {
  say(message, argument);
  throw FatalStop();
}

}  // namespace vonx
