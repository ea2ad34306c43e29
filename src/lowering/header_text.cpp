#include "lowering/header_text.hpp"

namespace vonx {

namespace {

bool is_quote(char c) {
  return c == '\'' || c == '"';
}

// Position after the quoted text that begins at `pos`; the end of the text when
// the quote is never closed.
std::size_t after_quote(std::string_view text, std::size_t pos) {
  std::size_t close = text.find(text[pos], pos + 1);
  return close == std::string_view::npos ? text.size() : close + 1;
}

}  // namespace

std::size_t balancing_paren(std::string_view line, std::size_t open) {
  int depth = 0;
  std::size_t i = open;
  while (i < line.size()) {
    char c = line[i];
    if (is_quote(c)) {
      i = after_quote(line, i);
      continue;
    }
    if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i;
    }
    ++i;
  }
  return std::string_view::npos;
}

std::size_t header_text_end(std::string_view line, std::size_t open, std::size_t start) {
  std::size_t balanced = balancing_paren(line, open);
  if (balanced != std::string_view::npos && balanced >= start) return balanced;
  return line.find(')', start);
}

std::vector<std::string_view> header_pieces(std::string_view part) {
  std::vector<std::string_view> pieces;
  int depth = 0;
  std::size_t piece_start = 0;
  std::size_t i = 0;
  while (i < part.size()) {
    char c = part[i];
    if (is_quote(c)) {
      i = after_quote(part, i);
      continue;
    }
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (c == ',' && depth == 0) {
      pieces.push_back(part.substr(piece_start, i - piece_start));
      piece_start = i + 1;
    }
    ++i;
  }
  pieces.push_back(part.substr(piece_start));
  return pieces;
}

}  // namespace vonx
