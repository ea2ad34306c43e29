#include "lowering/condition_check.hpp"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace vonx {

namespace {

constexpr int kTrueTarget = -1;
constexpr int kFalseTarget = -2;

// Where each line sends control: the index of the next line to run or one of the
// two targets; a label or goto line goes the same way either way.
struct Jumps {
  int on_true;
  int on_false;
};

}  // namespace

bool lowering_matches_condition(const std::vector<ConditionLine>& lines,
                                const ConditionWords& words, const ConditionTree& tree) {
  if (tree.term_count > kMostCheckedTerms) return false;
  std::unordered_map<std::string, int> label_at;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == ConditionLineKind::label &&
        !label_at.emplace(lines[i].label, static_cast<int>(i)).second) {
      return false;  // defined twice
    }
  }
  bool undefined = false;
  auto resolve = [&](const std::string& name) {
    if (name == words.true_target) return kTrueTarget;
    if (name == words.false_target) return kFalseTarget;
    const auto found = label_at.find(name);
    if (found == label_at.end()) {
      undefined = true;
      return kFalseTarget;
    }
    return found->second;
  };
  std::vector<Jumps> jumps;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ConditionLine& line = lines[i];
    switch (line.kind) {
      case ConditionLineKind::label:
        jumps.push_back({static_cast<int>(i) + 1, static_cast<int>(i) + 1});
        break;
      case ConditionLineKind::go_to: {
        const int target = resolve(line.label);
        jumps.push_back({target, target});
        break;
      }
      case ConditionLineKind::term:
        if (line.term_index < 0 || line.term_index >= tree.term_count) return false;
        jumps.push_back(
            {resolve(term_jump_label(line, true)), resolve(term_jump_label(line, false))});
        break;
    }
  }
  if (undefined) return false;

  const int line_count = static_cast<int>(lines.size());
  std::vector<std::uint32_t> visited(lines.size(), 0);
  std::uint32_t run = 0;
  for (std::uint64_t values = 0; values < (std::uint64_t{1} << tree.term_count); ++values) {
    ++run;  // a line visited twice in one run is a loop
    int at = 0;
    while (at >= 0) {
      if (at >= line_count || visited[static_cast<std::size_t>(at)] == run) return false;
      visited[static_cast<std::size_t>(at)] = run;
      const ConditionLine& line = lines[static_cast<std::size_t>(at)];
      const Jumps& jump = jumps[static_cast<std::size_t>(at)];
      const bool holds =
          line.kind != ConditionLineKind::term || ((values >> line.term_index) & 1U) != 0;
      at = holds ? jump.on_true : jump.on_false;
    }
    if ((at == kTrueTarget) != condition_value(tree, values)) return false;
  }
  return true;
}

}  // namespace vonx
