// The token form of a condition: one character per token, a digit for each
// operand (its index modulo 10), "!", "&" (for "&&"), "|" (for "||") and
// parentheses. It decides whether a condition is simple (one term line) or
// compound (handed to the compound-condition compiler).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vonx {

struct ConditionTokens {
  bool compound = false;
  std::string tokens;  // condition_tokens, the closing ")" of the header dropped
  int operand_count = 0;
  bool negation = false;  // a "!" not followed by "=" was seen
};

// Classifies the condition whose text starts at `text` (the condition start: after
// the header's "(" and its white space) and runs to the end of the line. The scan
// never passes a newline, a NUL, a "{" or `line_width` characters.
ConditionTokens scan_condition(std::string_view text, std::size_t line_width);

}  // namespace vonx
