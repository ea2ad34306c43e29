// The lines a compound condition is lowered to, held as data until they are
// written: the condition check runs them before the converter commits to them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lowering/compound_condition.hpp"

namespace vonx {

enum class ConditionLineKind { label, go_to, term };

struct ConditionLine {
  ConditionLineKind kind = ConditionLineKind::label;
  std::string label;           // label and goto lines: the label name, word and number
  int term_index = -1;         // term lines: the term's place in source order; -1 when not found
  std::string_view term_text;  // term lines: as found in the source, trailing blanks included
  int true_code = 0;           // the jump marker: where control goes when the term holds,
  long first_number = 0;       // where it goes when the term fails, and the two numbers
  int false_code = 0;          // that the codes pick from
  long second_number = 0;
};

ConditionLine label_line(std::string name);
ConditionLine goto_line(std::string name);

// The vocabulary of one owner: its construct word ("if", "for", "while", "dowhile"),
// the first label code of its family and the names of the statement's two targets.
struct ConditionWords {
  std::string_view construct_word;
  int code_base;
  std::string true_target;
  std::string false_target;
};

ConditionWords condition_words(ConditionOwner owner, long target_number);

// The label a term line sends control to: the label word of the code and the
// marker number that code takes, exactly as translation renders it.
std::string term_jump_label(const ConditionLine& term, bool holds);

// Writes the lines: label head and end text around label names, five-blank goto
// lines, and term lines with their jump marker ("<" ">" around a term with white
// space in block mode).
void write_condition_lines(const std::vector<ConditionLine>& lines, const LabelStyle& style,
                           std::string& out);

}  // namespace vonx
