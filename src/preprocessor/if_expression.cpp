#include "preprocessor/if_expression.hpp"

#include <algorithm>
#include <optional>

#include "common/constant_expression.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

// The text as a decimal integer: an optional sign and digits, nothing else. A value
// such as 0x10 or FOO is not one, and a comparison with it is false.
std::optional<long long> decimal_integer(std::string_view text) {
  text = trim_right(trim_left(text));
  std::size_t digits = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
  if (digits == text.size()) return std::nullopt;
  for (std::size_t i = digits; i < text.size(); ++i)
    if (!is_digit(text[i])) return std::nullopt;
  return read_integer(text);
}

// The comparison operators, tested in this order as prefixes of the operator text.
struct Comparison {
  std::string_view text;
  bool (*holds)(long long difference);
};
constexpr Comparison comparisons[] = {
    {"==", [](long long d) { return d == 0; }}, {"!=", [](long long d) { return d != 0; }},
    {">=", [](long long d) { return d >= 0; }}, {"<=", [](long long d) { return d <= 0; }},
    {">", [](long long d) { return d > 0; }},   {"<", [](long long d) { return d < 0; }},
};

const Comparison* comparison_of(std::string_view operator_text) {
  for (const Comparison& comparison : comparisons)
    if (begins_with(operator_text, comparison.text)) return &comparison;
  return nullptr;
}

bool ends_name(char c) {
  return is_white(c) || c == '=' || c == '!' || c == '<' || c == '>' || c == '&' || c == '|';
}

// A term of the form NAME, or NAME, an operator and a value.
int compared_name_value(std::string_view term, const DefineTable& table) {
  std::size_t name_end = 0;
  while (name_end < term.size() && !ends_name(term[name_end]))
    name_end = next_character(term, name_end);
  const DefineEntry* entry = table.find(term.substr(0, name_end));
  std::string_view rest = trim_left(term.substr(name_end));
  if (rest.empty() || rest[0] == '&' || rest[0] == '|')
    return entry && entry->value != "0" && is_number_token(entry->value) ? 1 : 0;
  const Comparison* comparison = comparison_of(rest);
  if (!entry || !comparison) return 0;
  std::optional<long long> defined_value = decimal_integer(entry->value);
  std::optional<long long> given = decimal_integer(rest.substr(comparison->text.size()));
  if (!defined_value || !given) return 0;
  return comparison->holds(*defined_value - *given) ? 1 : 0;
}

int term_value(std::string_view term, const DefineTable& table) {
  constexpr std::string_view defined_word = "defined";
  if (begins_with(term, defined_word)) {
    std::string_view name = trim_left(term.substr(defined_word.size()));
    if (!name.empty() && name[0] == '(') name = trim_left(name.substr(1));
    std::size_t end = 0;
    while (end < name.size() && !is_white(name[end]) && name[end] != ')') ++end;
    return table.defined(name.substr(0, end)) ? 1 : 0;
  }
  if (term[0] == '0') return term == "0" || table.defined(term) ? 0 : 1;
  if (is_number_token(term)) return 1;
  return compared_name_value(term, table);
}

}  // namespace

ReducedExpression reduce_if_expression(std::string_view expression, const DefineTable& table) {
  std::string_view text = expression.substr(0, expression.find('\n'));
  ReducedExpression result{"", false};
  int terms = 0;
  bool operators = false;
  std::size_t i = 0;
  while (true) {
    // Operators and parentheses up to the next term; "&&" and "||" give one token.
    for (; i < text.size(); ++i) {
      char c = text[i];
      if (is_white(c)) continue;
      if (c != '!' && c != '&' && c != '|' && c != '(' && c != ')') break;
      result.reduced += c;
      operators = true;
      if ((c == '&' || c == '|') && i + 1 < text.size()) i = next_character(text, i + 1) - 1;
    }
    if (i >= text.size()) break;

    // The term runs to the nearer "&&" or "||", or to the line end. It starts with
    // neither white space nor ")", so it keeps at least one character below.
    std::size_t end = std::min({text.find("&&", i), find_character(text, "||", i), text.size()});
    std::string_view term = text.substr(i, end - i);
    std::size_t closers = 0;
    while (!term.empty() && (is_white(term.back()) || term.back() == ')')) {
      if (term.back() == ')') ++closers;
      term.remove_suffix(1);
    }
    // A ")" that closes a "(" of the term itself, as in defined(NAME), belongs to
    // the term; the others close groups of the expression.
    long opened =
        std::count(term.begin(), term.end(), '(') - std::count(term.begin(), term.end(), ')');
    std::size_t own =
        static_cast<std::size_t>(std::clamp<long>(opened, 0, static_cast<long>(closers)));
    result.reduced += static_cast<char>('0' + term_value(term, table));
    result.reduced.append(closers - own, ')');
    ++terms;
    i = end;
  }
  result.single_term = terms == 1 && !operators;
  return result;
}

bool if_expression_holds(std::string_view expression, const DefineTable& table,
                         std::size_t line_width) {
  ReducedExpression reduced = reduce_if_expression(expression, table);
  if (reduced.single_term) return reduced.reduced[0] == '1';
  return evaluate_condition(reduced.reduced, line_width) == 1;
}

}  // namespace vonx
