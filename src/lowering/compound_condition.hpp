// The compound-condition compiler: a condition joined by "&&", "||" and "!" becomes
// a chain of term lines (each with its jump marker), label lines and goto lines
// that sends control to a goto to the statement's true target when the condition
// holds and to one to its false target when it fails. The linked lowering writes
// the lines; they are run for every assignment of the terms before they are kept,
// and a condition it would get wrong (and any of more than ten terms) is written
// by the short-circuit lowering instead. In a file with ".inorder" every condition
// is written by the short-circuit lowering, whose lines are run the same way.
#pragma once

#include <string>
#include <string_view>

#include "common/jump_marker.hpp"
#include "lowering/lowering_types.hpp"

namespace vonx {

struct CompoundCondition {
  ConditionOwner owner;
  long target_number;            // the else number of an if, the loop number of a loop
  std::string_view source_text;  // the text the terms are read from, from the condition start
  std::string_view tokens;       // condition_tokens of that text
};

// Appends the lines of the condition to `out` and advances the counters by the
// labels written. Throws ExpressionError (missing "(", operator stack full) from
// the conversion, before anything is appended. Returns false when the condition's
// operators do not join its terms into one expression (or its terms cannot all be
// found): its lines are then written as the linked lowering gives them, but their
// jumps cannot be vouched for. Also false when the lines written for ".inorder"
// do not give the condition's value.
bool compile_compound_condition(CompoundCounters& counters, const CompoundCondition& condition,
                                const LabelStyle& style, std::string& out);

}  // namespace vonx
