// A work text and where its lines came from. Every line of every text that the
// passes hand on carries its origin: a file of the session's file table and the
// 1-based line number there, so that any pass can say where a line stood.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/line_reader.hpp"

namespace vonx {

// Eight bytes a line: a work text holds one for each of its lines.
struct LineOrigin {
  std::uint32_t file = 0;  // index into FileSession::origin_files; 0 is the source
  std::uint32_t line = 0;  // 1-based

  bool operator==(const LineOrigin&) const = default;
};

// The text and one origin per line, lines as LineReader reads them.
struct WorkText {
  std::string text;
  std::vector<LineOrigin> origins;
};

// A file's text as read: line i has the origin (file, i + 1).
WorkText numbered_text(std::string_view text, std::size_t file = 0);

// One line of a work text, its "\n" included, and where it came from.
struct WorkLine {
  std::string_view line;
  LineOrigin origin;
};

// The lines of a work text in order, each with its origin:
//   for (auto [line, origin] : lines_of(text)) ...
class WorkLines {
 public:
  class iterator {
   public:
    using value_type = WorkLine;
    using difference_type = std::ptrdiff_t;

    iterator() = default;
    iterator(const WorkText& text, std::size_t position) : text_(&text), position_(position) {
      find_end();
    }

    WorkLine operator*() const {
      return {std::string_view(text_->text).substr(position_, end_ - position_),
              index_ < text_->origins.size() ? text_->origins[index_] : LineOrigin{}};
    }
    iterator& operator++() {
      position_ = end_;
      ++index_;
      find_end();
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return position_ == other.position_; }

   private:
    void find_end() {
      std::size_t newline = text_->text.find('\n', position_);
      end_ = newline == std::string::npos ? text_->text.size() : newline + 1;
    }

    const WorkText* text_ = nullptr;
    std::size_t position_ = 0;  // where the current line starts
    std::size_t end_ = 0;       // where the next one starts
    std::size_t index_ = 0;     // the current line's index among the origins
  };

  explicit WorkLines(const WorkText& text) : text_(text) {}
  iterator begin() const { return iterator(text_, 0); }
  iterator end() const { return iterator(text_, text_.text.size()); }

 private:
  const WorkText& text_;
};

inline WorkLines lines_of(const WorkText& text) {
  return WorkLines(text);
}
// The range reads the text in place: it must outlive the loop.
WorkLines lines_of(const WorkText&& text) = delete;

// Reads a work text line by line, each line with its origin.
class WorkTextReader {
 public:
  explicit WorkTextReader(const WorkText& text) : reader_(text.text), origins_(text.origins) {}

  bool next(std::string_view& line, LineOrigin& origin) {
    if (!reader_.next(line)) return false;
    origin = index_ < origins_.size() ? origins_[index_] : LineOrigin{};
    ++index_;
    return true;
  }
  bool next(std::string_view& line) {
    LineOrigin unused;
    return next(line, unused);
  }

  // The index of the next line; `seek` moves to the line with index `index`,
  // which starts at byte `position`.
  std::size_t line_index() const { return index_; }
  void seek(std::size_t position, std::size_t index) {
    reader_.seek(position);
    index_ = index;
  }

 private:
  LineReader reader_;
  const std::vector<LineOrigin>& origins_;
  std::size_t index_ = 0;
};

// Calls `visit` with each position at or after `from` where a line of `text`
// begins: the start of the text, and each byte after a line break but the last.
template <typename Visit>
void for_each_line_start(std::string_view text, std::size_t from, Visit visit) {
  std::size_t pos = from;
  if (pos < text.size() && (pos == 0 || text[pos - 1] == '\n')) visit(pos);
  while ((pos = text.find('\n', pos)) != std::string_view::npos && ++pos < text.size()) visit(pos);
}

// Builds the origins of a text while a pass writes it into a std::string: after
// writing the bytes that come from one origin, the pass calls `lines_from`, and
// every line those bytes began takes that origin. A line continued by later
// bytes (text joined around a block comment) keeps the origin it began with.
class OriginRecorder {
 public:
  explicit OriginRecorder(const std::string& out) : out_(out) {}

  void lines_from(LineOrigin origin) { lines_up_to(out_.size(), origin); }

  // Like lines_from for the bytes written before offset `end` only; the ones
  // after it are recorded by the next call.
  void lines_up_to(std::size_t end, LineOrigin origin) {
    for_each_line_start(std::string_view(out_).substr(0, end), scanned_,
                        [&](std::size_t) { origins_.push_back(origin); });
    scanned_ = end;
  }

  // The bytes written since the last call are lines [first, end) of a text whose
  // origins are `from`, copied whole and beginning at a line start.
  void lines_copied(const std::vector<LineOrigin>& from, std::size_t first, std::size_t end) {
    for (std::size_t i = first; i < end; ++i)
      origins_.push_back(i < from.size() ? from[i] : LineOrigin{});
    scanned_ = out_.size();
  }

  // `length` bytes were inserted at offset `at`, a line start: their lines take
  // `origin`, and the lines after them keep theirs. Bytes not yet recorded need
  // nothing: they are recorded by the next `lines_from`.
  void inserted(std::size_t at, std::size_t length, LineOrigin origin) {
    if (at >= scanned_) return;
    const auto line_ends = [&](std::size_t from, std::size_t to) {
      return std::count(out_.begin() + static_cast<std::ptrdiff_t>(from),
                        out_.begin() + static_cast<std::ptrdiff_t>(to), '\n');
    };
    origins_.insert(origins_.begin() + line_ends(0, at),
                    static_cast<std::size_t>(line_ends(at, at + length)), origin);
    scanned_ += length;
  }

  // The finished text (the string the recorder watched) with its origins; lines
  // not yet recorded take the last origin.
  WorkText finish(std::string&& text) {
    lines_from(origins_.empty() ? LineOrigin{} : origins_.back());
    return WorkText{std::move(text), std::move(origins_)};
  }

 private:
  const std::string& out_;
  std::size_t scanned_ = 0;
  std::vector<LineOrigin> origins_;
};

}  // namespace vonx
