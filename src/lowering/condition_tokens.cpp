#include "lowering/condition_tokens.hpp"

#include "common/text.hpp"

namespace vonx {

namespace {

bool ends_scan(char c) {
  return c == '\n' || c == '\0' || c == '{';
}
bool negation_at(std::string_view text, std::size_t i) {
  return text[i] == '!' && (i + 1 >= text.size() || text[i + 1] != '=');
}

}  // namespace

ConditionTokens scan_condition(std::string_view text, std::size_t line_width) {
  ConditionTokens result;
  std::string_view line = text.substr(0, text.find('\n'));
  if (line.find("&&") == std::string_view::npos &&
      find_character(line, "||") == std::string_view::npos &&
      line.find('!') == std::string_view::npos)
    return result;  // simple

  const std::size_t end = std::min(text.size(), line_width);
  std::size_t i = 0;
  bool between_operands = false;
  while (true) {
    // Operator scan.
    while (i < end && !ends_scan(text[i]) && is_white(text[i])) ++i;
    if (i >= end || ends_scan(text[i])) {
      between_operands = true;
      break;
    }
    char c = text[i];
    if (negation_at(text, i)) {
      result.tokens += '!';
      result.negation = true;
      ++i;
    } else if (c == '&' || c == '|') {
      result.tokens += c;
      i += 2;  // "&&" and "||" are one token each
    } else if (c == '(' || c == ')') {
      result.tokens += c;
      ++i;
    } else {
      // Operand scan: up to the next "&", "|", "(" or ")"; blanks, "!=" and two-byte
      // characters belong to it.
      while (i < end && !ends_scan(text[i]) && text[i] != '&' && text[i] != '|' && text[i] != '(' &&
             text[i] != ')')
        i = next_character(text, i);
      if (i >= end || ends_scan(text[i])) break;  // an operand cut by the scan end is not recorded
      result.tokens += static_cast<char>('0' + result.operand_count % 10);
      ++result.operand_count;
    }
  }
  // One operand and no negation is a simple condition such as "a != b". With an
  // "&&" or "||" it is a condition missing an operand, left to the compiler to
  // report.
  const bool joined = result.tokens.find_first_of("&|") != std::string::npos;
  result.compound = !(between_operands && result.operand_count == 1 && !result.negation && !joined);
  if (between_operands && result.compound && !result.tokens.empty()) result.tokens.pop_back();
  return result;
}

}  // namespace vonx
