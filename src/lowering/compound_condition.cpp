#include "lowering/compound_condition.hpp"

#include <optional>

#include "common/constant_expression.hpp"
#include "lowering/compound_lowering.hpp"
#include "lowering/condition_check.hpp"
#include "lowering/condition_lines.hpp"
#include "lowering/condition_tree.hpp"
#include "lowering/short_circuit.hpp"
#include "lowering/term_locator.hpp"

namespace vonx {

namespace {

// Past ten terms the operand digits repeat and the linked lowering can hand one
// term's text to another, so such conditions always take the short-circuit lowering.
constexpr int kMostLinkedTerms = 10;

}  // namespace

bool compile_compound_condition(CompoundCounters& counters, const CompoundCondition& condition,
                                const LabelStyle& style, std::string& out) {
  // The conversion may stop the run; it comes before any line is written.
  const std::string postfix = to_postfix(condition.tokens, style.line_width);
  const ConditionWords words = condition_words(condition.owner, condition.target_number);
  const std::vector<std::string_view> terms = locate_terms(condition.source_text, style.line_width);
  const std::optional<ConditionTree> tree = build_condition_tree(postfix);
  // A condition whose operators do not join its operands into one expression, or
  // whose terms cannot all be found, has no value to hold the lines against; it is
  // written by the linked lowering as it stands.
  const bool checkable = tree && static_cast<std::size_t>(tree->term_count) <= terms.size();
  auto& word_counters = counters.words[static_cast<std::size_t>(condition.owner)];

  if (checkable && style.in_order) {
    const std::vector<ConditionLine> lines =
        lower_short_circuit(word_counters, words, *tree, terms);
    write_condition_lines(lines, style, out);
    return tree->term_count > kMostCheckedTerms || lowering_matches_condition(lines, words, *tree);
  }
  if (!checkable || tree->term_count <= kMostLinkedTerms) {
    CompoundCounters trial = counters;
    LinkedLowering linked = lower_linked_condition(trial, condition.owner, words, postfix,
                                                   condition.tokens.size(), terms);
    if (!checkable || lowering_matches_condition(linked.lines, words, *tree)) {
      counters = trial;
      write_condition_lines(linked.lines, style, out);
      return checkable;
    }
  }
  // The counters move on only by what is written, so that the labels of the
  // discarded lowering are not skipped over.
  write_condition_lines(lower_short_circuit(word_counters, words, *tree, terms), style, out);
  return true;
}

}  // namespace vonx
