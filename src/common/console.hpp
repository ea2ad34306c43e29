// The console: every message line goes through here, in code page 932 bytes on
// standard output; beside it, standard error takes one located line per
// diagnostic in UTF-8 ("FILE:LINE: error: TEXT").
// A fatal stop prints its message and throws FatalStop; main catches it, waits for
// a key and ends the run with status 1, so every pass can be called from a test.
#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/messages.hpp"

namespace vonx {

// A file that must be left on disk when the run stops (the output of a pass that
// failed part way holds what it had written and the error line).
struct LeftFile {
  std::string path;
  std::string text;
};

struct FatalStop : std::runtime_error {
  explicit FatalStop(std::optional<LeftFile> left = std::nullopt)
      : std::runtime_error("fatal stop"), left_file(std::move(left)) {}
  std::optional<LeftFile> left_file;
};

// An error makes the file fail (exit status 1 at the end of the run); a warning
// does not.
enum class Severity { warning, error };

class Console {
 public:
  Console(std::ostream& out, std::istream& in, std::ostream& err)
      : out_(out), in_(in), err_(err) {}

  // Writes bytes as they are (progress dots and their line breaks).
  void write(std::string_view bytes);
  // Writes one line: the bytes and a newline.
  void line(std::string_view bytes);
  // Writes a catalogue message as one line.
  void say(Message message, std::string_view argument = {});
  // Reads one character from standard input; the end of input returns at once.
  void wait_for_key();
  // Prints the message line and stops the run.
  [[noreturn]] void fatal(Message message, std::string_view argument = {});

  // One line on standard error: "PLACE: error: TEXT" (or "warning"), and
  // "vonx: error: TEXT" when no place applies. PLACE and TEXT are UTF-8.
  void diagnostic(std::string_view place, Severity severity, std::string_view text);

  int waits() const { return waits_; }

 private:
  std::ostream& out_;
  std::istream& in_;
  std::ostream& err_;
  int waits_ = 0;
};

}  // namespace vonx
