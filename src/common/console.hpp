// The console: every message line goes through here, in code page 932 bytes.
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

class Console {
 public:
  // Reasons for a failure go to `err` (standard error when none is given).
  Console(std::ostream& out, std::istream& in, std::ostream* err = nullptr);

  // Writes bytes as they are (progress dots and their line breaks).
  void write(std::string_view bytes);
  // Writes one line: the bytes and a newline.
  void line(std::string_view bytes);
  // Writes a catalogue message as one line.
  void say(Message message, std::string_view argument = {});
  // Writes one line of the form "vonx: error: TEXT" to standard error.
  void report_error(std::string_view text);
  // Reads one character from standard input; the end of input returns at once.
  void wait_for_key();
  // Prints the message line and stops the run.
  [[noreturn]] void fatal(Message message, std::string_view argument = {});

  int waits() const { return waits_; }

 private:
  std::ostream& out_;
  std::istream& in_;
  std::ostream& err_;
  int waits_ = 0;
};

}  // namespace vonx
