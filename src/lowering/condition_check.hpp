// The condition check: runs the lines a condition was lowered to for every
// assignment of truth values to its terms and compares where control ends with
// the condition's own value.
#pragma once

#include <vector>

#include "lowering/condition_lines.hpp"
#include "lowering/condition_tree.hpp"

namespace vonx {

// True when the lines define no label twice, name no label that is neither defined
// among them nor one of the statement's two targets, and, for every assignment,
// run without a loop from the first line to a goto to the true target exactly when
// the condition holds and to the false target otherwise. A term line goes to the
// label of its first code when its term holds and of its second code when it fails;
// its term is the one at its term_index. False for a condition of more than
// kMostCheckedTerms terms, which is not run.
constexpr int kMostCheckedTerms = 20;
bool lowering_matches_condition(const std::vector<ConditionLine>& lines,
                                const ConditionWords& words, const ConditionTree& tree);

}  // namespace vonx
