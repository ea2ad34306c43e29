// Byte-text helpers shared by every pass. Texts are code page 932 bytes; every
// comparison here is a byte comparison unless its name says otherwise.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vonx {

// The white-space set: blank, tab, newline, vertical tab, form feed, carriage return.
bool is_white(char c);
bool is_digit(char c);
bool is_alpha(char c);
bool is_alnum(char c);
bool is_upper(char c);

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

// A first byte of a two-byte code page 932 character (0x81-0x9F, 0xE0-0xFC).
bool is_lead_byte(char c);

// Position `pos` starts a character of the text: it is not the second byte of a
// two-byte character, whose value may look like a letter, a digit or "\".
bool at_character_start(std::string_view text, std::size_t pos);

// at_character_start for rising positions of one text: the text is walked once,
// so testing every place of a long line costs no more than reading it.
class CharacterStarts {
 public:
  explicit CharacterStarts(std::string_view text) : text_(text) {}
  bool at(std::size_t pos) {
    if (pos < next_) next_ = 0;  // a lower position starts the walk again
    while (next_ < pos) next_ += is_lead_byte(text_[next_]) ? 2 : 1;
    return next_ == pos;
  }

 private:
  std::string_view text_;
  std::size_t next_ = 0;
};

// Text with leading white space removed (newlines too: for parts of one line).
std::string_view trim_left(std::string_view text);

// Text with trailing white space removed.
std::string_view trim_right(std::string_view text);

// The text without its final newline, if it has one.
std::string_view without_newline(std::string_view line);

// Decimal rendering of a number, as "%ld" writes it.
std::string decimal(long long value);

}  // namespace vonx
