#include "lowering/compound_lowering.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "common/text.hpp"
#include "lowering/term_locator.hpp"

namespace vonx {

namespace {

// The operand stack shared by the scans: popping an empty stack yields 0.
class OperandStack {
 public:
  void push(char c) { items_.push_back(c); }
  char pop() {
    if (items_.empty()) return 0;
    const char c = items_.back();
    items_.pop_back();
    return c;
  }

 private:
  std::string items_;
};

// The six node tables of one condition, indexed by node number. They start at 0
// for every condition; an index past the condition's tokens reads 0.
class NodeTables {
 public:
  explicit NodeTables(std::size_t size) : size_(size) {
    for (auto& table : tables_) table.assign(size, 0);
  }
  enum Table { or_link_low, or_link_high, or_node, and_link_low, and_link_high, negated_node };

  long get(Table table, long index) const {
    return index >= 0 && static_cast<std::size_t>(index) < size_
               ? tables_[table][static_cast<std::size_t>(index)]
               : 0;
  }
  // Every index written is a node number or at most the token count, both inside
  // the tables; anything else lands in a cell that is never read.
  long& at(Table table, long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= size_) return discarded_ = 0;
    return tables_[table][static_cast<std::size_t>(index)];
  }

 private:
  std::size_t size_;
  long discarded_ = 0;
  std::array<std::vector<long>, 6> tables_;
};

class LinkedLowerer {
 public:
  LinkedLowerer(CompoundCounters& counters, ConditionOwner owner, const ConditionWords& words,
                std::string_view postfix, std::size_t token_count,
                const std::vector<std::string_view>& terms)
      : counters_(counters),
        count_(counters.words[static_cast<std::size_t>(owner)]),
        is_if_(owner == ConditionOwner::if_statement),
        words_(words),
        postfix_(postfix),
        token_count_(static_cast<long>(token_count)),
        terms_(terms),
        tables_(std::max(token_count, postfix.size()) + 2) {}

  LinkedLowering run() {
    link_nodes();
    emit();
    return std::move(result_);
  }

 private:
  using T = NodeTables;

  // The linking pre-pass. A sub-expression stands on the stack as a letter; its
  // node number is recovered from how often that letter has been popped.
  void link_nodes() {
    const bool has_negation = postfix_.find('!') != std::string_view::npos;
    OperandStack stack;
    std::array<long, 26> letter_counts{};
    long node = 0;
    long last_node = 0;
    bool chain = false;
    auto pop = [&](long& node_number) {
      const char c = stack.pop();
      if (is_upper(c)) node_number = letter_counts[c - 'A']++ * 26 + (c - 'A');
      return c;
    };
    for (char c : postfix_) {
      long right_node = 0;
      long left_node = 0;
      if (is_digit(c)) {
        stack.push(c);
        continue;
      }
      if (c == '!') {
        const char operand = pop(right_node);
        chain = false;
        if (!is_upper(operand)) {
          last_node = node;
        } else {
          tables_.at(T::negated_node, last_node) ^= 1;
        }
      } else if (c == '&') {
        const char right = pop(right_node);
        const char left = pop(left_node);
        if (has_negation) {
          if (is_upper(right) && is_upper(left)) {
            const long link = ++counters_.and_link;
            tables_.at(T::and_link_low, std::min(left_node, right_node)) = link;
            tables_.at(T::and_link_high, std::max(left_node, right_node)) = link;
            chain = true;
          } else {
            if (chain) shift_and_links();
            last_node = node;
          }
        }
      } else if (c == '|') {
        tables_.at(T::or_node, node) = 1;
        const char right = pop(right_node);
        const char left = pop(left_node);
        chain = false;
        if (is_upper(right) && is_upper(left)) {
          const long link = ++counters_.or_link;
          tables_.at(T::or_link_low, std::min(left_node, right_node)) = link;
          tables_.at(T::or_link_high, std::max(left_node, right_node)) = link;
        } else {
          last_node = node;
        }
      } else {
        continue;
      }
      stack.push(static_cast<char>('A' + node % 26));
      ++node;
    }
  }

  void shift_and_links() {
    for (long i = token_count_; i >= 1; --i) {
      tables_.at(T::and_link_high, i) = tables_.get(T::and_link_high, i - 1);
    }
    result_.and_links_shifted = true;
  }

  // The emission walk.
  void emit() {
    OperandStack stack;
    std::array<int, 10> occurrences{};
    bool operator_seen = false;
    auto pop = [&](int& occurrence) {
      const char c = stack.pop();
      if (is_digit(c)) occurrence = ++occurrences[c - '0'];
      return c;
    };
    for (char c : postfix_) {
      if (is_digit(c)) {
        stack.push(c);
        continue;
      }
      Operand x;
      Operand y;
      if (c == '!') {
        x.digit = pop(x.occurrence);
        pending_flush();
        if (x.digit != '-') and_unit(x, tables_.get(T::negated_node, node_) == 1 ? 0 : 1);
      } else if (c == '&' || c == '|') {
        x.digit = pop(x.occurrence);
        y.digit = pop(y.occurrence);
        pending_flush();
        const int s = tables_.get(T::negated_node, node_) == 1 ? 1 : 0;
        const bool x_term = x.digit != '-';
        const bool y_term = y.digit != '-';
        // A negated and node is written as an or pair and a negated or node as an and pair.
        const bool and_form = (c == '&') != (s == 1);
        if (x_term && y_term) {
          if (and_form) {
            and_unit(x, s);
            and_unit(y, s);
          } else {
            ++count_.next_or;
            or_unit(x, true, s);
            or_unit(y, false, s);
          }
        } else if (x_term || y_term) {
          const Operand& term = x_term ? x : y;
          if (c == '&') {
            and_unit(term, s);
          } else {
            or_join(term, s);
          }
        }
      } else {
        continue;
      }
      node_tail();
      stack.push('-');
      ++node_;
      operator_seen = true;
    }
    if (operator_seen) condition_tail();
  }

  struct Operand {
    char digit = 0;
    int occurrence = 0;
  };

  std::string word(std::string_view suffix, long number) const {
    return std::string(words_.construct_word) + std::string(suffix) + decimal(number);
  }
  void label(std::string name) { result_.lines.push_back(label_line(std::move(name))); }
  void go_to(std::string name) { result_.lines.push_back(goto_line(std::move(name))); }

  void term(const Operand& operand, LabelCode true_code, long first, LabelCode false_code,
            long second) {
    ConditionLine line;
    line.kind = ConditionLineKind::term;
    line.term_index = term_for_digit(terms_, operand.digit, operand.occurrence);
    // A term that cannot be found is written with an empty text.
    if (line.term_index >= 0) line.term_text = terms_[static_cast<std::size_t>(line.term_index)];
    line.true_code = true_code;
    line.first_number = first;
    line.false_code = false_code;
    line.second_number = second;
    result_.lines.push_back(line);
  }

  // Places the and-link labels of the finished left side (entries up to N - 2).
  void place_and_links() {
    for (long i = 0; i < token_count_; ++i) {
      const long link = tables_.get(T::and_link_high, i);
      if (link > 0 && i <= node_ - 2) {
        label(word("localelseandgotonot", link));
        tables_.at(T::and_link_high, i) = 0;
      }
    }
  }

  void pending_flush() {
    if (node_ > 0 && tables_.get(T::or_link_low, node_ - 1) > 0) {
      label(word("nextelseandjmp", count_.next_and++));
      label(word("localelseorgoto", count_.false_exit++));
      place_and_links();
    }
  }

  void node_tail() {
    if (const long link = tables_.get(T::or_link_low, node_); link > 0) {
      go_to(word("localelseorgotonot", link));
    }
    if (const long link = tables_.get(T::or_link_high, node_); link > 0) {
      label(word("localelseorgotonot", link));
    }
  }

  std::string failure_target() {
    if (const long link = tables_.get(T::and_link_low, node_); link > 0) {
      return word("localelseandgotonot", link);
    }
    const long next_link = tables_.get(T::and_link_low, node_ + 1);
    if (is_if_ && next_link > 0 &&
        (tables_.get(T::or_link_high, node_) > 0 ||
         (node_ >= 1 && tables_.get(T::or_link_low, node_ - 1) > 0) ||
         tables_.get(T::or_node, node_ + 1) == 0)) {
      return word("localelseandgotonot", next_link);
    }
    return word("localelseorgoto", count_.false_exit);
  }

  void and_unit(const Operand& operand, int s) {
    const ConditionCodes& codes = words_.codes;
    term(operand, s ? codes.next_and : codes.local_and, count_.local_and,
         s ? codes.local_and : codes.next_and, count_.next_and);
    label(word("nextelseandjmp", count_.next_and++));
    go_to(failure_target());
    label(word("localelseand", count_.local_and++));
  }

  void or_unit(const Operand& operand, bool first, int s) {
    const ConditionCodes& codes = words_.codes;
    term(operand, s ? codes.next_or : codes.local_or, count_.local_or,
         s ? codes.local_or : codes.next_or, count_.next_or);
    label(word("nextelseorjmp", count_.next_or));
    if (first) {
      ++count_.next_or;
      return;
    }
    go_to(failure_target());
    label(word("localelseor", count_.local_or++));
  }

  void or_join(const Operand& operand, int s) {
    result_.or_join_written = true;
    go_to(word("localelseorgoto", ++count_.false_exit));
    label(word("nextelseandjmp", count_.next_and++));
    label(word("localelseorgoto", count_.false_exit - 1));
    place_and_links();
    ++count_.false_exit;
    ++count_.next_or;
    or_unit(operand, false, s);
    label(word("localelseorgoto", count_.false_exit - 1));
  }

  void condition_tail() {
    go_to(words_.true_target);
    label(word("nextelseandjmp", count_.next_and++));
    label(word("localelseorgoto", count_.false_exit++));
    for (long i = 0; i < token_count_; ++i) {
      if (const long link = tables_.get(T::and_link_high, i); link > 0) {
        label(word("localelseandgotonot", link));
      }
    }
    go_to(words_.false_target);
  }

  CompoundCounters& counters_;
  CompoundCounters::WordCounters& count_;
  bool is_if_;
  const ConditionWords& words_;
  std::string_view postfix_;
  long token_count_;
  const std::vector<std::string_view>& terms_;
  NodeTables tables_;
  long node_ = 0;  // N of the emission walk
  LinkedLowering result_;
};

}  // namespace

LinkedLowering lower_linked_condition(CompoundCounters& counters, ConditionOwner owner,
                                      const ConditionWords& words, std::string_view postfix,
                                      std::size_t token_count,
                                      const std::vector<std::string_view>& terms) {
  return LinkedLowerer(counters, owner, words, postfix, token_count, terms).run();
}

}  // namespace vonx
