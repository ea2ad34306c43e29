// Helpers shared by the unit tests: a scratch folder, a console whose output can
// be read back, and a file session bound to both.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "common/session.hpp"

namespace vonx::testing {

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("vonx-test-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string path() const { return path_.string() + "/"; }
  std::string file(const std::string& name) const { return path() + name; }
  void write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

// Two-byte characters whose second byte has the value of "@", "[", "\\", "]",
// "^", "_", "`", "{", "|", "}" or "~" (ァ ゼ 表 ゾ タ ダ チ ボ ポ マ ミ), and two
// with a letter (ア) and a "\\" (ソ): every scanner takes each as one character.
inline const std::string kSignLikeCharacters[] = {
    "\x83\x40", "\x83\x5b", "\x95\x5c", "\x83\x5d", "\x83\x5e", "\x83\x5f", "\x83\x60",
    "\x83\x7b", "\x83\x7c", "\x83\x7d", "\x83\x7e", "\x83\x41", "\x83\x5c"};

// `piece` written `times` times over.
inline std::string repeated(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// The text with every "あ" (0x82 0xA0, a character no scanner looks for) replaced
// by `character`: a table row written once serves every such character.
inline std::string with_character(std::string_view text, std::string_view character) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "\x82\xa0") {
      out += character;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// One row of a table of text-in, text-out cases.
struct TextCase {
  const char* name;
  std::string in, out;
};

// A console writing into strings and reading from an empty input.
struct TestConsole {
  std::ostringstream out;
  std::istringstream in;
  std::ostringstream errors;
  Console console{out, in, errors};
  std::string text() const { return out.str(); }
  std::string diagnostics() const { return errors.str(); }
};

// A file session over a scratch folder that serves as the program's directory.
struct TestSession {
  explicit TestSession(const ScratchDir& dir, std::string source = "prog.7pp",
                       std::size_t line_width = 300)
      : run{terminal.console, dir.path(), dir.path() + "config.txt"},
        session(run, dir.path() + source) {
    session.line_width = line_width;
  }
  TestConsole terminal;
  RunContext run;
  FileSession session;
};

}  // namespace vonx::testing
