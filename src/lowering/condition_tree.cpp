#include "lowering/condition_tree.hpp"

#include "common/text.hpp"

namespace vonx {

std::optional<ConditionTree> build_condition_tree(std::string_view postfix) {
  ConditionTree tree;
  std::vector<int> operands;
  auto pop = [&operands] {
    const int node = operands.back();
    operands.pop_back();
    return node;
  };
  for (char c : postfix) {
    ConditionNode node{ConditionNodeKind::term};
    if (is_digit(c)) {
      node.term_index = tree.term_count++;
    } else if (c == '!') {
      if (operands.empty()) return std::nullopt;
      node.kind = ConditionNodeKind::negation;
      node.left = pop();
    } else if (c == '&' || c == '|') {
      if (operands.size() < 2) return std::nullopt;
      node.kind = c == '&' ? ConditionNodeKind::conjunction : ConditionNodeKind::disjunction;
      node.right = pop();
      node.left = pop();
    } else {
      continue;
    }
    tree.nodes.push_back(node);
    operands.push_back(tree.root());
  }
  if (operands.size() != 1) return std::nullopt;
  return tree;
}

bool condition_value(const ConditionTree& tree, std::uint64_t term_values) {
  std::vector<char> values(tree.nodes.size());
  for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
    const ConditionNode& node = tree.nodes[i];
    switch (node.kind) {
      case ConditionNodeKind::term:
        values[i] = node.term_index < 64 && ((term_values >> node.term_index) & 1U);
        break;
      case ConditionNodeKind::negation:
        values[i] = !values[node.left];
        break;
      case ConditionNodeKind::conjunction:
        values[i] = values[node.left] && values[node.right];
        break;
      case ConditionNodeKind::disjunction:
        values[i] = values[node.left] || values[node.right];
        break;
    }
  }
  return values.back();
}

}  // namespace vonx
