// The console: every message line goes through here, in code page 932 bytes on
// standard output (shown as Unicode on a console that reads it); beside it,
// standard error takes one located line per diagnostic in UTF-8
// ("FILE:LINE: error: TEXT").
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

// Ends the conversion of one file, whose message has been printed: the file gets
// no output and the run goes on with the next file.
struct FileStop : std::runtime_error {
  FileStop() : std::runtime_error("file stop") {}
};

// An error makes the file fail (exit status 1 at the end of the run); a warning
// does not.
enum class Severity { warning, error };

class Console {
 public:
  // `unicode`: the console shows text as Unicode (a Windows console, a UTF-8
  // terminal), so the code page 932 text is written as UTF-8 and a path in a
  // message stays the UTF-8 it is. Otherwise the bytes go out as they are.
  // `keyboard`: standard input is a terminal, where a person can press a key.
  Console(std::ostream& out, std::istream& in, std::ostream& errors, bool unicode = false,
          bool keyboard = false)
      : out_(out), in_(in), errors_(errors), unicode_(unicode), keyboard_(keyboard) {}

  // Writes progress as it is (the dots and the line break that ends a phase).
  void write(std::string_view bytes);
  // Writes one line: the bytes and a newline.
  void line(std::string_view bytes);
  // Writes a catalogue message as one line.
  void say(Message message, std::string_view argument = {});
  // The point where the run waits for a key, when waiting is not switched off
  // (counted by waits()). Only with a keyboard does it print its prompt on
  // standard error and read one character; otherwise it goes on at once.
  void wait_for_key();
  // Writes one line "vonx: error: TEXT" to standard error (no place applies).
  void error(std::string_view text);
  // Prints the message line and stops the run.
  [[noreturn]] void fatal(Message message, std::string_view argument = {});

  // One line on standard error: "PLACE: error: TEXT" (or "warning"), and
  // "vonx: error: TEXT" when no place applies. PLACE and TEXT are UTF-8.
  void diagnostic(std::string_view place, Severity severity, std::string_view text);

  int waits() const { return waits_; }
  // Quiet: nothing at all goes to standard output (progress, message lines);
  // standard error is unchanged.
  void set_quiet(bool quiet) { quiet_ = quiet; }
  void set_no_wait(bool no_wait) { no_wait_ = no_wait; }

 private:
  std::ostream& out_;
  std::istream& in_;
  std::ostream& errors_;
  bool unicode_;
  bool keyboard_;
  int waits_ = 0;
  bool quiet_ = false;
  bool no_wait_ = false;
};

}  // namespace vonx
