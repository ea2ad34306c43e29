#include "common/text.hpp"

#include <cstdlib>

namespace vonx {

bool is_blank(std::string_view line) {
  for (char c : line)
    if (!is_white(c)) return false;
  return true;
}

bool prefix_equal(std::string_view text, std::string_view keyword, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    char a = i < text.size() ? text[i] : '\0';
    char b = i < keyword.size() ? keyword[i] : '\0';
    if (a != b) return false;
    if (a == '\0') return true;
  }
  return true;
}

namespace {
char fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::size_t find_nocase(std::string_view text, std::string_view what) {
  if (what.empty() || what.size() > text.size()) return std::string_view::npos;
  for (std::size_t start = 0; start + what.size() <= text.size(); ++start) {
    std::size_t i = 0;
    while (i < what.size() && fold(text[start + i]) == fold(what[i])) ++i;
    if (i == what.size()) return start;
  }
  return std::string_view::npos;
}

std::size_t skip_white(std::string_view text, std::size_t pos, std::size_t limit) {
  std::size_t skipped = 0;
  while (pos < text.size() && skipped < limit && text[pos] != '\n' && is_white(text[pos])) {
    ++pos;
    ++skipped;
  }
  return pos;
}

std::string_view after_white(std::string_view text, std::size_t limit) {
  return text.substr(skip_white(text, 0, limit));
}

bool is_number_token(std::string_view token) {
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    char next = i + 1 < token.size() ? token[i + 1] : '\0';
    if (next != '+' && next != '-') ++i;
  }
  if (i < token.size() && token[i] == '<') ++i;
  return i < token.size() && is_digit(token[i]);
}

std::optional<long long> read_integer(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_white(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !is_digit(text[i])) return std::nullopt;
  long long value = 0;
  // Beyond eighteen digits the value stops growing instead of overflowing: such
  // magnitudes compare the same way.
  constexpr long long limit = 100'000'000'000'000'000LL;
  for (; i < text.size() && is_digit(text[i]); ++i)
    if (value < limit) value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

bool at_character_start(std::string_view text, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos && i < text.size()) i = next_character(text, i);
  return i == pos;
}

std::size_t find_character(std::string_view text, std::string_view what, std::size_t pos) {
  if (what.empty()) return std::string_view::npos;
  for (std::size_t i = pos; i < text.size(); i = next_character(text, i))
    if (text.substr(i, what.size()) == what) return i;
  return std::string_view::npos;
}

std::string_view trim_left(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && is_white(text[start])) ++start;
  return text.substr(start);
}

std::string_view trim_right(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && is_white(text[end - 1])) --end;
  return text.substr(0, end);
}

std::string_view without_newline(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

std::string decimal(long long value) {
  return std::to_string(value);
}

}  // namespace vonx
