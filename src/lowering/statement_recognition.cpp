#include "lowering/statement_recognition.hpp"

#include "common/text.hpp"

namespace vonx {

constexpr std::size_t npos = std::string_view::npos;

char at_or_nul(std::string_view text, std::size_t pos) {
  return pos < text.size() ? text[pos] : '\0';
}

std::size_t white_run(std::string_view line, std::size_t pos) {
  return skip_white(line, pos, line.size());
}

namespace {

// The keyword stands at `pos`: returns the position after it, or npos.
std::size_t keyword_at(std::string_view line, std::size_t pos, std::string_view keyword) {
  if (pos == npos || pos > line.size() || !begins_with(line.substr(pos), keyword)) return npos;
  return pos + keyword.size();
}

// The keyword stands at `pos` and is followed directly by one of `followers`.
bool word_at(std::string_view line, std::size_t pos, std::string_view keyword,
             std::string_view followers) {
  std::size_t after = keyword_at(line, pos, keyword);
  return after != npos && after < line.size() && followers.find(line[after]) != npos;
}

// "keyword", white space, "(" with a ")" later: returns the position of the "(".
std::size_t header_at(std::string_view line, std::size_t pos, std::string_view keyword) {
  std::size_t after = keyword_at(line, pos, keyword);
  if (after == npos) return npos;
  std::size_t open = white_run(line, after);
  if (at_or_nul(line, open) != '(' || line.find(')', open + 1) == npos) return npos;
  return open;
}

// "else", white space, "if", white space, "(" with a ")" later.
std::size_t else_if_at(std::string_view line, std::size_t pos) {
  std::size_t after = keyword_at(line, pos, "else");
  if (after == npos) return npos;
  return header_at(line, white_run(line, after), "if");
}

// "for", white space, "(", then ";", another ";" and a ")", each after the previous.
std::size_t for_header_at(std::string_view line, std::size_t pos) {
  std::size_t after = keyword_at(line, pos, "for");
  if (after == npos) return npos;
  std::size_t open = white_run(line, after);
  if (at_or_nul(line, open) != '(') return npos;
  std::size_t first = line.find(';', open + 1);
  std::size_t second = first == npos ? npos : line.find(';', first + 1);
  if (second == npos || line.find(')', second + 1) == npos) return npos;
  return open;
}

constexpr std::string_view kBlankTabNewline = " \t\n";
constexpr std::string_view kBlankTabNewlineBrace = " \t\n{";

}  // namespace

RecognisedLine recognise_statement(std::string_view line, std::size_t line_width) {
  const std::size_t p = skip_white(line, 0, line_width);
  std::size_t at = npos;
  auto found = [&at](StatementKind kind) { return RecognisedLine{kind, at}; };

  if ((at = header_at(line, p, "if")) != npos) return found(StatementKind::if_statement);
  if ((at = else_if_at(line, p)) != npos) return found(StatementKind::else_if);
  if (word_at(line, p, "else", kBlankTabNewlineBrace)) return found(StatementKind::else_statement);
  if ((at = for_header_at(line, p)) != npos) return found(StatementKind::for_loop);
  if ((at = header_at(line, p, "while")) != npos) return found(StatementKind::while_loop);
  if (word_at(line, p, "do", kBlankTabNewlineBrace)) return found(StatementKind::do_loop);

  if (at_or_nul(line, p) == '}') {
    const std::size_t q = white_run(line, p + 1);
    if ((at = header_at(line, q, "while")) != npos) return found(StatementKind::end_of_do);
    if ((at = else_if_at(line, q)) != npos) return found(StatementKind::else_if);
    if (word_at(line, q, "else", kBlankTabNewlineBrace))
      return found(StatementKind::else_statement);
    // A brace followed by a while or else that none of the forms above accepts
    // is copied unchanged.
    if (keyword_at(line, q, "while") == npos && keyword_at(line, q, "else") == npos) {
      at = p;
      return found(StatementKind::closing_brace);
    }
  }

  if ((at = header_at(line, p, "switch")) != npos) return found(StatementKind::switch_statement);
  if (std::size_t after = keyword_at(line, p, "case"); after != npos) {
    std::size_t value = white_run(line, after);
    char c = at_or_nul(line, value);
    if (c != '\0' && !is_white(c) && line.find(':', value) != npos) {
      at = value;
      return found(StatementKind::case_label);
    }
  }
  // Statements carry no semicolon: "break;" is not a break statement.
  if (word_at(line, p, "break", kBlankTabNewline)) return found(StatementKind::break_statement);
  if (word_at(line, p, "continue", kBlankTabNewline))
    return found(StatementKind::continue_statement);
  if (word_at(line, p, "default:", kBlankTabNewline)) return found(StatementKind::default_label);
  if (word_at(line, p, "[case]", kBlankTabNewline)) return found(StatementKind::caseor_label);
  if (word_at(line, p, "goto", " \t")) {
    at = p;
    return found(StatementKind::goto_statement);
  }
  return {};
}

bool opens_block(std::string_view text) {
  long depth = 0;
  char last = '\0';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (is_lead_byte(c)) {
      last = c;
      ++i;
      continue;
    }
    if (c == '{') ++depth;
    if (c == '}') --depth;
    if (!is_white(c)) last = c;
  }
  return last == '{' && depth > 0;
}

bool is_condition_one(std::string_view line, std::size_t start) {
  return at_or_nul(line, start) == '1' && at_or_nul(line, white_run(line, start + 1)) == ')';
}

bool is_infinite_for(std::string_view line, std::size_t open) {
  std::size_t pos = white_run(line, open + 1);
  if (at_or_nul(line, pos) != ';') return false;
  pos = white_run(line, pos + 1);
  if (at_or_nul(line, pos) != ';') return false;
  return at_or_nul(line, white_run(line, pos + 1)) == ')';
}

}  // namespace vonx
