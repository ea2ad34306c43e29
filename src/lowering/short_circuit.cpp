#include "lowering/short_circuit.hpp"

#include <string>

#include "common/text.hpp"

namespace vonx {

namespace {

enum class LabelRole { true_target, false_target, local_and, next_and, local_or };

// One line before numbering: labels are ids into the role table until the lines
// that survive are known, so that numbers are only spent on labels that are written.
struct Step {
  ConditionLineKind kind;
  int label = -1;  // label and goto steps
  int term_index = -1;
  bool negated = false;
  int local_label = -1;  // term steps: where a holding test goes (before trading)
  int next_label = -1;   // and where a failing one goes
};

class ShortCircuit {
 public:
  explicit ShortCircuit(const ConditionTree& tree) : tree_(tree) {
    new_label(LabelRole::true_target);
    new_label(LabelRole::false_target);
  }

  std::vector<Step> steps() {
    lower(tree_.root(), false, kTrue, kFalse);
    drop_gotos_to_next_line();
    drop_unused_or_labels();
    return std::move(steps_);
  }

  LabelRole role(int label) const { return roles_[static_cast<std::size_t>(label)]; }
  std::size_t label_count() const { return roles_.size(); }

  static constexpr int kTrue = 0;
  static constexpr int kFalse = 1;

 private:
  int new_label(LabelRole role) {
    roles_.push_back(role);
    return static_cast<int>(roles_.size()) - 1;
  }
  void label(int id) { steps_.push_back({ConditionLineKind::label, id}); }
  void go_to(int id) { steps_.push_back({ConditionLineKind::go_to, id}); }

  // Lowers node `index` (inverted when `negated`) so that control reaches
  // `on_true` when it holds and `on_false` when it fails. Works from a list of
  // pending jobs rather than by recursion, so a long chain cannot exhaust the stack.
  void lower(int index, bool negated, int on_true, int on_false) {
    struct Job {
      int node;  // -1: write the label `on_true`
      bool negated;
      int on_true;
      int on_false;
    };
    std::vector<Job> jobs{{index, negated, on_true, on_false}};
    while (!jobs.empty()) {
      const Job job = jobs.back();
      jobs.pop_back();
      if (job.node < 0) {
        label(job.on_true);
        continue;
      }
      const ConditionNode& node = tree_.nodes[static_cast<std::size_t>(job.node)];
      switch (node.kind) {
        case ConditionNodeKind::negation:
          jobs.push_back({node.left, !job.negated, job.on_true, job.on_false});
          break;
        case ConditionNodeKind::term: {
          Step term{ConditionLineKind::term};
          term.term_index = node.term_index;
          term.negated = job.negated;
          term.local_label = new_label(LabelRole::local_and);
          term.next_label = new_label(LabelRole::next_and);
          steps_.push_back(term);
          label(term.next_label);
          go_to(job.on_false);
          label(term.local_label);
          go_to(job.on_true);
          break;
        }
        case ConditionNodeKind::conjunction:
        case ConditionNodeKind::disjunction: {
          // De Morgan: a negated and is an or of negated operands, and the other way round.
          const bool conjunction = (node.kind == ConditionNodeKind::conjunction) != job.negated;
          const int middle = new_label(LabelRole::local_or);
          // Jobs run last in, first out: the left operand, the label, the right operand.
          jobs.push_back({node.right, job.negated, job.on_true, job.on_false});
          jobs.push_back({-1, false, middle, -1});
          if (conjunction) {
            jobs.push_back({node.left, job.negated, middle, job.on_false});
          } else {
            jobs.push_back({node.left, job.negated, job.on_true, middle});
          }
          break;
        }
      }
    }
  }

  // Labels only mark a place, so a goto to one of the labels right after it is the
  // same as running on.
  void drop_gotos_to_next_line() {
    std::vector<Step> kept;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
      if (steps_[i].kind == ConditionLineKind::go_to && reaches_by_running_on(i)) continue;
      kept.push_back(steps_[i]);
    }
    steps_ = std::move(kept);
  }
  bool reaches_by_running_on(std::size_t go_to_step) const {
    for (std::size_t j = go_to_step + 1;
         j < steps_.size() && steps_[j].kind == ConditionLineKind::label; ++j) {
      if (steps_[j].label == steps_[go_to_step].label) return true;
    }
    return false;
  }

  void drop_unused_or_labels() {
    std::vector<char> used(roles_.size(), 0);
    for (const Step& step : steps_) {
      if (step.kind == ConditionLineKind::go_to) used[static_cast<std::size_t>(step.label)] = 1;
    }
    std::erase_if(steps_, [&](const Step& step) {
      return step.kind == ConditionLineKind::label && role(step.label) == LabelRole::local_or &&
             !used[static_cast<std::size_t>(step.label)];
    });
  }

  const ConditionTree& tree_;
  std::vector<LabelRole> roles_;
  std::vector<Step> steps_;
};

}  // namespace

std::vector<ConditionLine> lower_short_circuit(CompoundCounters::WordCounters& counters,
                                               const ConditionWords& words,
                                               const ConditionTree& tree,
                                               const std::vector<std::string_view>& terms) {
  ShortCircuit lowering(tree);
  const std::vector<Step> steps = lowering.steps();

  // Numbers in the order the lines are written, so each counter moves on by the
  // labels of its word that this condition writes.
  std::vector<long> numbers(lowering.label_count(), 0);
  for (const Step& step : steps) {
    if (step.kind == ConditionLineKind::term) {
      numbers[static_cast<std::size_t>(step.local_label)] = counters.local_and++;
      numbers[static_cast<std::size_t>(step.next_label)] = counters.next_and++;
    } else if (step.kind == ConditionLineKind::label &&
               lowering.role(step.label) == LabelRole::local_or) {
      numbers[static_cast<std::size_t>(step.label)] = counters.local_or++;
    }
  }
  auto name = [&](int label) -> std::string {
    const long number = numbers[static_cast<std::size_t>(label)];
    switch (lowering.role(label)) {
      case LabelRole::true_target:
        return words.true_target;
      case LabelRole::false_target:
        return words.false_target;
      case LabelRole::local_and:
        return std::string(words.construct_word) + "localelseand" + decimal(number);
      case LabelRole::next_and:
        return std::string(words.construct_word) + "nextelseandjmp" + decimal(number);
      case LabelRole::local_or:
        break;
    }
    return std::string(words.construct_word) + "localelseor" + decimal(number);
  };

  std::vector<ConditionLine> lines;
  for (const Step& step : steps) {
    switch (step.kind) {
      case ConditionLineKind::label:
        lines.push_back(label_line(name(step.label)));
        break;
      case ConditionLineKind::go_to:
        lines.push_back(goto_line(name(step.label)));
        break;
      case ConditionLineKind::term: {
        ConditionLine line;
        line.kind = ConditionLineKind::term;
        line.term_index = step.term_index;
        line.term_text = terms[static_cast<std::size_t>(step.term_index)];
        // The local-and code takes the first number and the next-and code the second;
        // trading the codes inverts the test and keeps the numbers in place.
        const LabelCode local_code = words.codes.local_and;
        const LabelCode next_code = words.codes.next_and;
        line.true_code = step.negated ? next_code : local_code;
        line.false_code = step.negated ? local_code : next_code;
        line.first_number = numbers[static_cast<std::size_t>(step.local_label)];
        line.second_number = numbers[static_cast<std::size_t>(step.next_label)];
        lines.push_back(line);
        break;
      }
    }
  }
  return lines;
}

}  // namespace vonx
