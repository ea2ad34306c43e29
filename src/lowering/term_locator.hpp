// Rereads the terms of a compound condition from its source text: the term
// lines copy each comparison exactly as it stands there.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vonx {

// The terms in source order. Operators ("!", "&&", "||", parentheses) and the white
// space between them are skipped; a term runs up to the next "&", "|", "(" or ")",
// so "a != b " is one term with its trailing blank. The scan ends at a NUL, a line
// break, a "{" or `line_width` characters; a term cut there is not a term.
std::vector<std::string_view> locate_terms(std::string_view source_text, std::size_t line_width);

// The term a digit of the postfix order stands for: the `occurrence`-th term in
// source order whose index modulo 10 is that digit. -1 when there is none.
int term_for_digit(const std::vector<std::string_view>& terms, char digit, int occurrence);

}  // namespace vonx
