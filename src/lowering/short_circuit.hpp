// The short-circuit lowering of a compound condition, used wherever the linked
// lowering would send control the wrong way. Negations are pushed down to the
// terms; every term is tested once, in source order:
//   term T F:   term line (local-and code and number, next-and code and number,
//               the codes traded for a negated term), label nextelseandjmp n,
//               goto F, label localelseand m, goto T
//   x && y:     x with M F, label M, y with T F
//   x || y:     x with T M, label M, y with T F
// where M is a localelseor label and, at the top, T and F are the statement's
// true and false targets. A goto to the label that directly follows it is left
// out, and so is an M label that nothing jumps to any more.
#pragma once

#include <string_view>
#include <vector>

#include "lowering/condition_lines.hpp"
#include "lowering/condition_tree.hpp"
#include "lowering/lowering_types.hpp"

namespace vonx {

// `terms` holds the text of every term of the tree, in source order. Advances the
// owner's local-and, next-and and local-or counters by the labels written.
std::vector<ConditionLine> lower_short_circuit(CompoundCounters::WordCounters& counters,
                                               const ConditionWords& words,
                                               const ConditionTree& tree,
                                               const std::vector<std::string_view>& terms);

}  // namespace vonx
