// The expressions of #if and #elif lines: each term is reduced to one "0"/"1"
// digit against the define table, and the reduced expression is evaluated.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "preprocessor/define_table.hpp"

namespace vonx {

struct ReducedExpression {
  std::string reduced;  // digits, "!", "&", "|" and the parentheses of the expression
  bool single_term;     // one term and no operator or parenthesis: its digit decides
};

// Reduces the expression (the text after the directive, up to the line end).
ReducedExpression reduce_if_expression(std::string_view expression, const DefineTable& table);

// The truth of the expression. Throws ExpressionError for ")" without "(" and for
// an operator stack deeper than the line width.
bool if_expression_holds(std::string_view expression, const DefineTable& table,
                         std::size_t line_width);

}  // namespace vonx
