// Byte-text helpers shared by every pass. Texts are code page 932 bytes; every
// comparison here is a byte comparison unless its name says otherwise.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vonx {

// The white-space set: blank, tab, newline, vertical tab, form feed, carriage return.
// The scanners call these for every byte: they are defined here, inline.
inline bool is_white(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
inline bool is_alpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool is_alnum(char c) {
  return is_alpha(c) || is_digit(c);
}
inline bool is_upper(char c) {
  return c >= 'A' && c <= 'Z';
}

// The line holds nothing but white space (its line end included).
bool is_blank(std::string_view line);

// Prefix compare: the first n bytes of both texts are equal, or both end at the
// same place before n (the end of a view counts as a terminating zero byte).
bool prefix_equal(std::string_view text, std::string_view keyword, std::size_t n);

// The text begins with the keyword: the prefix compare over the keyword's length.
inline bool begins_with(std::string_view text, std::string_view keyword) {
  return prefix_equal(text, keyword, keyword.size());
}

// First place where `text` contains `what`, folding A-Z onto a-z; an empty `what`
// is never found. Returns npos when absent.
std::size_t find_nocase(std::string_view text, std::string_view what);

// Skips white space from `pos`, at most `limit` characters, never past a newline
// or the end of the text. Returns the position reached.
std::size_t skip_white(std::string_view text, std::size_t pos, std::size_t limit);

// The text from `pos` with white space skipped as above.
std::string_view after_white(std::string_view text, std::size_t limit);

// Number-token test: after one leading "+" or "-" that is not followed by another
// "+" or "-", and then one leading "<", the first character is a decimal digit.
bool is_number_token(std::string_view token);

// Reads a decimal integer from the start of the text (leading white space and a
// sign allowed). Empty when no digit follows.
std::optional<long long> read_integer(std::string_view text);

// How often byte `c` occurs in the text. The scan is the C library's, which
// reads many bytes at a time.
inline std::size_t count_byte(std::string_view text, char c) {
  std::size_t n = 0;
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at != end) {
    at = static_cast<const char*>(std::memchr(at, c, static_cast<std::size_t>(end - at)));
    if (at == nullptr) break;
    ++n;
    ++at;
  }
  return n;
}

// Characters of code page 932: a first byte 0x81-0x9F or 0xE0-0xFC followed by a
// second byte 0x40-0x7E or 0x80-0xFC is one two-byte character; every other byte
// is a character by itself. A second byte may have the value of a letter, "_",
// "\", "{", "|", "[" and so on, so a scan for such a character steps over whole
// characters from a character start (a line start is always one).
inline bool is_lead_byte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
inline bool is_second_byte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// The length (1 or 2) of the character that starts at `pos` (pos < text size).
inline std::size_t character_length(std::string_view text, std::size_t pos) {
  return is_lead_byte(text[pos]) && pos + 1 < text.size() && is_second_byte(text[pos + 1]) ? 2 : 1;
}

// The start of the character after the one at `pos`.
inline std::size_t next_character(std::string_view text, std::size_t pos) {
  return pos + character_length(text, pos);
}

// Position `pos` starts a character of the text (counted from the text's start).
bool at_character_start(std::string_view text, std::size_t pos);

// A hash for tables keyed by std::string that are looked up by std::string_view
// (with std::equal_to<>), so that a lookup builds no string.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};

// at_character_start for rising positions of one text: the text is walked once,
// so testing every place of a long line costs no more than reading it.
class CharacterStarts {
 public:
  explicit CharacterStarts(std::string_view text) : text_(text) {}
  bool at(std::size_t pos) {
    if (pos < next_) next_ = 0;  // a lower position starts the walk again
    while (next_ < pos) next_ = next_character(text_, next_);
    return next_ == pos;
  }

 private:
  std::string_view text_;
  std::size_t next_ = 0;
};

// The first place at or after `pos` (a character start) where `what` begins at a
// character start; npos when there is none. `what` of one byte finds that
// one-byte character only.
std::size_t find_character(std::string_view text, std::string_view what, std::size_t pos = 0);

// Text with leading white space removed (newlines too: for parts of one line).
std::string_view trim_left(std::string_view text);

// Text with trailing white space removed.
std::string_view trim_right(std::string_view text);

// The text without its final newline, if it has one.
std::string_view without_newline(std::string_view line);

// Decimal rendering of a number, as "%ld" writes it.
std::string decimal(long long value);

}  // namespace vonx
