// What the parts of lowering share: the counters that number the labels of
// compound conditions through a whole source file, and how labels and term texts
// are written. Block lowering and every part of the compound-condition compiler
// take these; none of them holds them.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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

}  // namespace vonx
