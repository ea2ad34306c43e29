// The compound-condition compiler: a condition joined by "&&", "||" and "!" becomes
// a chain of term lines (each with its jump marker), label lines and goto lines
// that sends control to a goto to the statement's true target when the condition
// holds and to one to its false target when it fails. The linked lowering writes
// the lines; they are run for every assignment of the terms before they are kept,
// and a condition it would get wrong (and any of more than ten terms) is written
// by the short-circuit lowering instead. In a file with ".inorder" every condition
// is written by the short-circuit lowering, whose lines are run the same way.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/jump_marker.hpp"

namespace vonx {

// Counters that live for the whole source file and are never reset between
// conditions, so that no label name is defined twice.
struct CompoundCounters {
  struct WordCounters {
    long local_and = 0;
    long next_and = 0;
    long local_or = 0;
    long next_or = 0;
    long false_exit = 0;
  };
  std::array<WordCounters, 4> words;  // indexed by ConditionOwner
  long or_link = 0;
  long and_link = 0;
};

struct CompoundCondition {
  ConditionOwner owner;
  long target_number;            // the else number of an if, the loop number of a loop
  std::string_view source_text;  // the text the terms are read from, from the condition start
  std::string_view tokens;       // condition_tokens of that text
};

// How labels and term texts are written, and in which order the terms are
// tested; taken from the rule section and the source directives.
struct LabelStyle {
  std::string_view label_head_text;
  std::string_view label_end_text;  // ends with "\n" unless empty
  bool block_mode = false;
  std::size_t line_width = 0;
  // ".inorder": every condition takes the short-circuit lowering, which tests its
  // terms left to right and stops as soon as the value is known.
  bool in_order = false;
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
