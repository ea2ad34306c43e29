#include "translation/rule_tokenizer.hpp"

#include "common/text.hpp"

namespace vonx {

namespace {

// `what` (never empty) stands at `pos`; most places fail on the first byte.
bool at(std::string_view text, std::size_t pos, std::string_view what) {
  return pos < text.size() && text[pos] == what[0] && text.substr(pos, what.size()) == what;
}

// A placeholder token begins here: "<" and a letter or digit, "<...>", or "<..."
// and a digit (a numbered wildcard).
bool placeholder_starts(std::string_view text, std::size_t pos) {
  if (!at(text, pos, "<")) return false;
  if (pos + 1 < text.size() && is_alnum(text[pos + 1])) return true;
  if (at(text, pos, "<...>")) return true;
  return at(text, pos, "<...") && pos + 4 < text.size() && is_digit(text[pos + 4]);
}

bool escape_starts(std::string_view text, std::size_t pos) {
  return at(text, pos, "\\:") || at(text, pos, "\\#") || at(text, pos, "\\<");
}

// Reads from `pos` (a "<") up to and including the next ">", dropping a backslash
// right before that ">" when `escaped`; without a ">" the token runs to the end.
// Positions move by whole characters: a "\" that is the second byte of a
// two-byte character escapes nothing.
std::string read_bracketed(std::string_view text, std::size_t& pos, bool escaped) {
  std::string token;
  while (pos < text.size()) {
    if (escaped && at(text, pos, "\\>")) ++pos;
    std::size_t next = next_character(text, pos);
    token.append(text.substr(pos, next - pos));
    bool closed = text[pos] == '>';
    pos = next;
    if (closed) break;
  }
  return token;
}

// Reads one token that starts at `pos` (not white space, not the line end, not a
// ":" that opens a replacement line).
std::string read_token(std::string_view text, std::size_t& pos) {
  if (at(text, pos, "\\:") || at(text, pos, "\\#")) {
    pos += 2;
    return std::string(1, text[pos - 1]);
  }
  if (at(text, pos, "\\<")) {
    ++pos;
    return read_bracketed(text, pos, true);
  }
  if (placeholder_starts(text, pos)) return read_bracketed(text, pos, false);

  std::string token;
  while (pos < text.size() && !is_white(text[pos])) {
    char c = text[pos];
    if (!token.empty() &&
        (c == ':' || c == '#' || placeholder_starts(text, pos) || escape_starts(text, pos)))
      break;
    if (c == '"' || c == '\'') {
      // Quoted text, quotes included; an unclosed quote runs to the line end.
      std::size_t close = text.find(c, pos + 1);
      std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
      token.append(text.substr(pos, end - pos));
      pos = end;
      continue;
    }
    std::size_t next = next_character(text, pos);
    token.append(text.substr(pos, next - pos));
    pos = next;
  }
  return token;
}

}  // namespace

RuleLineTokens tokenize_rule_line(std::string_view text) {
  text = text.substr(0, text.find('\n'));
  RuleLineTokens tokens;
  std::vector<std::string>* line = &tokens.pattern;
  bool replacement = false;
  std::size_t pos = 0;
  while (true) {
    std::size_t space_start = pos;
    while (pos < text.size() && is_white(text[pos])) ++pos;
    if (pos >= text.size()) break;
    if (text[pos] == ':') {
      tokens.replacements.emplace_back();
      line = &tokens.replacements.back();
      replacement = true;
      ++pos;
      continue;
    }
    if (replacement && pos > space_start)
      line->emplace_back(text.substr(space_start, pos - space_start));
    line->push_back(read_token(text, pos));
  }
  return tokens;
}

}  // namespace vonx
