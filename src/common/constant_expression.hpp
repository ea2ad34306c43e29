// Reduced expressions: strings of one-character tokens where every operand is one
// digit and the operators are "!", "&", "|" and parentheses. The infix-to-postfix
// conversion also serves the compound-condition compiler.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/messages.hpp"

namespace vonx {

// Raised by to_postfix for ")" without "(" (Message::missing_open_paren) and for an
// operator stack that is full (Message::stack_full). The pass that called it prints
// "error: %s" and stops the run; the control pass also leaves the line at the end
// of the output it had written.
struct ExpressionError {
  Message reason;
};

// The reason in English, for the located report on standard error.
std::string expression_problem(Message reason);

// Precedence value of a token: a smaller value binds tighter.
int precedence(char token);

// Shunting-yard conversion of one-character tokens to postfix order. The operator
// stack holds `stack_capacity` entries (the file's line width). Leftover "(" tokens
// go to the end of the output.
std::string to_postfix(std::string_view tokens, std::size_t stack_capacity);

// Evaluates a reduced expression of "0"/"1" digits: 1 true, 0 false (also when empty).
int evaluate_condition(std::string_view reduced, std::size_t stack_capacity);

// The postfix tokens joined, each followed by one blank.
std::string postfix_text(std::string_view postfix);

}  // namespace vonx
