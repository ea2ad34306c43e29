// The block state of one source file: the counters and stacks that block
// lowering keeps from line to line, with the nesting levels they are kept by.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/line_origins.hpp"
#include "lowering/label_ledger.hpp"
#include "lowering/lowering_types.hpp"

namespace vonx {

// One value per nesting level. Levels grow as deep as the source nests; the
// level below the bottom (level - 1 at level 0) reads 0 and takes no writes, so
// a case or break outside any switch sees cleared flags.
template <typename T>
class LevelArray {
 public:
  T get(long level) const {
    return level >= 0 && static_cast<std::size_t>(level) < values_.size()
               ? values_[static_cast<std::size_t>(level)]
               : T{};
  }
  void set(long level, T value) {
    if (level < 0) return;
    if (static_cast<std::size_t>(level) >= values_.size())
      values_.resize(static_cast<std::size_t>(level) + 1);
    values_[static_cast<std::size_t>(level)] = std::move(value);
  }

 private:
  std::vector<T> values_;
};

// A construct family: its running counter and its stack of label numbers.
// Entering raises the counter and stores it one level up, so the first
// construct of a family gets number 1 and level 0 is never written.
struct ConstructFamily {
  long counter = 0;
  long level = 0;
  LevelArray<long> numbers;

  long enter() {
    ++counter;
    ++level;
    numbers.set(level, counter);
    return counter;
  }
  void leave() {
    if (level > 0) --level;
  }
  long top() const { return numbers.get(level); }
};

// Kinds stored in block_kinds, break_kinds and continue_kinds. A reported line
// that opens a block (a misspelt keyword, an else with no if) opens an unknown
// block: its closing brace writes nothing, so the blocks around it stay whole.
enum class BlockKind {
  no_block,
  if_block,
  for_block,
  while_block,
  do_block,
  switch_block,
  unknown_block
};

// Lines written into the output before its end: `length` bytes at offset `at`.
struct InsertedLines {
  std::size_t at;
  std::size_t length;
};

// A line written for the current statement that comes from an earlier line:
// `length` bytes at offset `at`, the first lines the statement writes.
struct CarriedLine {
  std::size_t at;
  std::size_t length;
  LineOrigin origin;
};

// Everything block lowering keeps for one source file; starts cleared.
struct BlockLowering {
  ConstructFamily if_family, else_family, for_family, while_family, do_family, switch_family,
      case_family;

  LevelArray<int> if_open;            // by if level: no plain else met yet
  LevelArray<int> switch_first_case;  // by switch level - 1: no case met yet
  LevelArray<int> switch_default;  // by switch level - 1: a default: was met, no case yet after it
  LevelArray<long> switch_case_base;  // by switch level - 1: the case level outside the switch
  LevelArray<std::size_t>
      default_body_at;             // by switch level - 1: output offset of the default body
  LevelArray<int> default_break;   // by switch level - 1: the default body has ended with break
  LevelArray<long> default_entry;  // by switch level - 1: caseor number of a default body
                                   // that case labels follow; 0: none
  LevelArray<std::string> switch_expression;  // by switch level
  LevelArray<int> case_fall_through;  // by case level - 1: the body has not ended with break

  long block_depth = 0;  // open if, for, while and switch blocks; do blocks are not counted
  LevelArray<BlockKind> block_kinds;
  LevelArray<LineOrigin> loop_headers;  // by block depth: the header line of a for or while loop
  long break_level = 0;
  LevelArray<BlockKind> break_kinds;
  long continue_level = 0;
  LevelArray<BlockKind> continue_kinds;

  long caseor_count = 1;  // the next "caseor" label; starts at 1 for every file

  // A break standing directly in a case body (or a default body) whose jump out
  // of the switch has not been written yet.
  bool deferred_break = false;
  LineOrigin deferred_break_origin;

  CompoundCounters compound_counters;
  LabelLedger labels;

  // Set by the statement that wrote lines where an earlier default body began,
  // for the caller that keeps the origins of the output's lines.
  std::optional<InsertedLines> inserted;
  // Set by the statement whose first line is the jump of an earlier line: the
  // jump out of a switch that a break before it asked for, and with -g the jump
  // back of a loop, which stands at the loop's header line so that stepping goes
  // from the body to the header as the loop runs.
  std::optional<CarriedLine> carried;
};

}  // namespace vonx
