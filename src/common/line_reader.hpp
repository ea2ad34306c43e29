// Reads a text one line at a time with the line semantics of a C fgets loop over
// an unlimited buffer: a line includes its "\n", and the last line may have none.
#pragma once

#include <cstddef>
#include <string_view>

namespace vonx {

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  // The next line, or false at the end of the text.
  bool next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    end = end == std::string_view::npos ? text_.size() : end + 1;
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

  // Where the next line starts; a saved position can be restored with seek.
  std::size_t position() const { return pos_; }
  void seek(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace vonx
