// The meaning of a compound condition: the tree that its postfix order spells,
// with every operand standing for its term's place in source order. The condition
// check compares lowered lines against it and the short-circuit lowering walks it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vonx {

enum class ConditionNodeKind { term, negation, conjunction, disjunction };

struct ConditionNode {
  ConditionNodeKind kind;
  int term_index = -1;  // term: its place in source order
  int left = -1;        // negation: its operand; conjunction, disjunction: the left operand
  int right = -1;
};

// Nodes stand in postfix order, so every operand precedes the node that uses it.
struct ConditionTree {
  std::vector<ConditionNode> nodes;
  int term_count = 0;
  int root() const { return static_cast<int>(nodes.size()) - 1; }
};

// Reads the postfix order (digits, "!", "&", "|"; blanks and a leftover "(" are
// ignored). Empty when the operators do not join the operands into exactly one
// expression: an operator short of operands, or operands left without one.
std::optional<ConditionTree> build_condition_tree(std::string_view postfix);

// The condition's value when term i has the value of bit i of `term_values`
// (up to 64 terms).
bool condition_value(const ConditionTree& tree, std::uint64_t term_values);

}  // namespace vonx
