// The token predicates that the tokenizer, the matcher and the emitter share. The
// operand classes they test against (immediate prefixes, separator words, keyword
// pairs, user classes and sized names) are the section's settings, read once per
// file into the session.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/rule_section.hpp"

namespace vonx {

// The token begins with a non-empty immediate prefix and looks like a value: a
// non-digit followed by a digit, a final digit, or a final quote preceded by a
// hexadecimal digit (a character constant).
bool immediate_test(const SectionSettings& settings, std::string_view token);

// After one sign that is not doubled and one "<", a decimal digit.
bool is_number(std::string_view token);

// `pattern` names a user class ("<user>" for class 0, "<user" n ">" for class n);
// true when the token begins with a non-empty word of that class.
bool user_class_test(const SectionSettings& settings, std::string_view pattern,
                     std::string_view token);

// The first sized name (in list order, so the longest) that the token begins
// with; nullptr when there is none. Empty names never count.
const SizedName* sized_name_of(const SectionSettings& settings, std::string_view token);

// The first word of `space_words` that the text begins with; empty when none.
std::string_view space_word_at(const SectionSettings& settings, std::string_view text);

// The word class ("#user NAME=") that a placeholder "<" NAME ">" or "<" NAME
// digits ">" names; nullptr for any other token.
const WordClass* word_class_of(const SectionSettings& settings, std::string_view placeholder);
// The token is one of the words of the class, byte for byte.
bool in_word_class(const WordClass& word_class, std::string_view token);

// A range placeholder: "<imm" and optional digits, ":", then LOW ".." HIGH and
// ">", either bound optional. It accepts a number from LOW to HIGH, both
// included, written without an immediate prefix: a prefix may change the base.
bool is_range_placeholder(std::string_view token);
// The bounds of a range placeholder are numbers (or left out) and LOW is not
// above HIGH; a range placeholder that is not well formed accepts nothing.
bool range_well_formed(std::string_view placeholder);
bool range_accepts(std::string_view placeholder, std::string_view token);
// The placeholder a replacement may name a range placeholder by: the part
// before the ":" ("<imm>", "<imm1>", ...).
std::string range_short_name(std::string_view placeholder);

// Word-class and range placeholders accept only tokens of their own kind: the
// rule score counts them like literals, tried after a literal.
bool is_exact_placeholder(const SectionSettings& settings, std::string_view token);

// Placeholder forms of pattern and replacement tokens.
bool is_wildcard(std::string_view token);               // "<...>" or "<..." digits ">"
bool is_immediate_placeholder(std::string_view token);  // "<imm>" or "<imm" digits ">"
bool is_user_placeholder(std::string_view token);       // "<user>" or "<user" digits ">"
// "<" followed by a letter: a placeholder that binds one source token.
bool is_named_placeholder(std::string_view token);

}  // namespace vonx
