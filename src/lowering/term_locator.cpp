#include "lowering/term_locator.hpp"

#include <algorithm>

#include "common/text.hpp"

namespace vonx {

std::vector<std::string_view> locate_terms(std::string_view text, std::size_t line_width) {
  std::vector<std::string_view> terms;
  const std::size_t end = std::min(text.size(), line_width);
  auto at_end = [&](std::size_t i) {
    return i >= end || text[i] == '\0' || text[i] == '\n' || text[i] == '{';
  };
  std::size_t i = 0;
  while (true) {
    while (!at_end(i)) {
      const char c = text[i];
      if (is_white(c) || c == '!' || c == '(' || c == ')') {
        ++i;
      } else if (c == '&' || c == '|') {
        // "&&" and "||" are one step; a lone one before the line end never steps past it.
        i += (i + 1 < end && text[i + 1] != '\n' && text[i + 1] != '\0') ? 2 : 1;
      } else {
        break;
      }
    }
    if (at_end(i)) break;
    const std::size_t start = i;
    while (!at_end(i) && text[i] != '&' && text[i] != '|' && text[i] != '(' && text[i] != ')')
      i = next_character(text, i);
    if (at_end(i)) break;
    terms.push_back(text.substr(start, i - start));
  }
  return terms;
}

int term_for_digit(const std::vector<std::string_view>& terms, char digit, int occurrence) {
  int matches = 0;
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (static_cast<char>('0' + i % 10) == digit && ++matches == occurrence) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace vonx
