// The lines a compound condition is lowered to, held as data until they are
// written: the condition check runs them before the converter commits to them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/jump_marker.hpp"
#include "lowering/lowering_types.hpp"

namespace vonx {

enum class ConditionLineKind { label, go_to, term };

struct ConditionLine {
  ConditionLineKind kind = ConditionLineKind::label;
  std::string label;           // label and goto lines: the label name, word and number
  int term_index = -1;         // term lines: the term's place in source order; -1 when not found
  std::string_view term_text;  // term lines: as found in the source, trailing blanks included
  LabelCode true_code = LabelCode::none;   // the jump marker: where control goes when the
  long first_number = 0;                   // term holds, where it goes when the term
  LabelCode false_code = LabelCode::none;  // fails, and the two numbers that the codes pick from
  long second_number = 0;
};

ConditionLine label_line(std::string name);
ConditionLine goto_line(std::string name);

// The vocabulary of one owner: its construct word ("if", "for", "while", "dowhile"),
// the label codes of its term lines and the names of the statement's two targets.
struct ConditionWords {
  std::string_view construct_word;
  ConditionCodes codes;
  std::string true_target;
  std::string false_target;
};

ConditionWords condition_words(ConditionOwner owner, long target_number);

// The label a term line sends control to: the label word of the code and the
// marker number that code takes, exactly as translation renders it.
std::string term_jump_label(const ConditionLine& term, bool holds);

// Writes the lines through the lowered-line writer; in block mode a term that
// holds white space is written between "<" and ">".
void write_condition_lines(const std::vector<ConditionLine>& lines, const LabelStyle& style,
                           std::string& out);

}  // namespace vonx
