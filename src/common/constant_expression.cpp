#include "common/constant_expression.hpp"

#include <vector>

#include "common/text.hpp"

namespace vonx {

std::string expression_problem(Message reason) {
  return reason == Message::stack_full ? "expression nested too deep (operator stack full)"
                                       : "')' without '('";
}

int precedence(char token) {
  switch (token) {
    case '!':
      return 3;
    case '&':
      return 12;
    case '|':
      return 13;
    default:
      return 99;
  }
}

namespace {

class OperatorStack {
 public:
  explicit OperatorStack(std::size_t capacity) : capacity_(capacity) {}
  void push(char token) {
    if (items_.size() >= capacity_) throw ExpressionError{Message::stack_full};
    items_.push_back(token);
  }
  bool empty() const { return items_.empty(); }
  char top() const { return items_.back(); }
  char pop() {
    char token = items_.back();
    items_.pop_back();
    return token;
  }

 private:
  std::size_t capacity_;
  std::vector<char> items_;
};

}  // namespace

std::string to_postfix(std::string_view tokens, std::size_t stack_capacity) {
  std::string out;
  OperatorStack stack(stack_capacity);
  for (char token : tokens) {
    if (is_number_token(std::string_view(&token, 1))) {
      out += token;
    } else if (token == ')') {
      while (true) {
        if (stack.empty()) throw ExpressionError{Message::missing_open_paren};
        char top = stack.pop();
        if (top == '(') break;
        out += top;
      }
    } else if (token == '(') {
      stack.push(token);
    } else {
      // Only a tighter-binding operator is popped, so equal precedence groups from the right.
      while (!stack.empty() && precedence(stack.top()) < precedence(token)) out += stack.pop();
      stack.push(token);
    }
  }
  while (!stack.empty()) out += stack.pop();
  return out;
}

std::string postfix_text(std::string_view postfix) {
  std::string text;
  for (char token : postfix) {
    text += token;
    text += ' ';
  }
  return text;
}

int evaluate_condition(std::string_view reduced, std::size_t stack_capacity) {
  std::vector<int> values;
  auto pop = [&values] {
    if (values.empty()) return 0;  // missing operands count as 0
    int value = values.back();
    values.pop_back();
    return value;
  };
  for (char c : postfix_text(to_postfix(reduced, stack_capacity))) {
    if (is_digit(c)) {
      values.push_back(c - '0');
    } else if (c == '!') {
      values.push_back(pop() ^ 1);
    } else if (c == '&') {
      int right = pop();
      values.push_back(pop() & right);
    } else if (c == '|') {
      int right = pop();
      values.push_back(pop() | right);
    }
  }
  return pop();
}

}  // namespace vonx
