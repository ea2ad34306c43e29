// The converter's own lowering of a compound condition: the linking pre-pass over
// the postfix order marks or-links, and-links and negated nodes, then the emission
// walk writes and-units, or-units, or pairs and or-joins, right operand first,
// with their failure labels gathered by the pending flush and the condition tail.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "lowering/condition_lines.hpp"
#include "lowering/lowering_types.hpp"

namespace vonx {

struct LinkedLowering {
  std::vector<ConditionLine> lines;
  // What the walk went through; the tests sort the conditions it gets wrong by these.
  bool and_links_shifted = false;  // the pre-pass moved and_link_high up a place
  bool or_join_written = false;
};

// Lowers the condition whose postfix order is `postfix` (no blanks needed; any
// character other than a digit, "!", "&" or "|" is ignored). `token_count` is the
// number of condition tokens; `terms` are the condition's terms in source order.
// Advances the owner's label counters and the link counters.
LinkedLowering lower_linked_condition(CompoundCounters& counters, ConditionOwner owner,
                                      const ConditionWords& words, std::string_view postfix,
                                      std::size_t token_count,
                                      const std::vector<std::string_view>& terms);

}  // namespace vonx
