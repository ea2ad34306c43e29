// Lowers every condition of up to four terms (every shape of "&&" and "||", with
// and without "!" on each operand and sub-expression, with minimal and with
// redundant parentheses) under each owner, and random conditions of 5 to 16 terms,
// and runs the written lines through an interpreter of this file's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/constant_expression.hpp"
#include "lowering/compound_condition.hpp"
#include "lowering/compound_lowering.hpp"
#include "lowering/condition_tokens.hpp"
#include "lowering/term_locator.hpp"

namespace vonx {
namespace {

constexpr std::size_t kLineWidth = 400;
const LabelStyle kStyle{"L_", ":\n", false, kLineWidth};

// ---- Conditions as this test builds them ----

struct Expr {
  enum Kind { term, conjunction, disjunction } kind = term;
  int term_index = 0;
  int left = -1;
  int right = -1;
  int negations = 0;
};

struct Condition {
  std::vector<Expr> nodes;  // the root is nodes[root]
  int root = 0;
  int term_count = 0;

  bool value(int node, std::uint64_t terms) const {
    const Expr& e = nodes[static_cast<std::size_t>(node)];
    bool v = e.kind == Expr::term          ? ((terms >> e.term_index) & 1U) != 0
             : e.kind == Expr::conjunction ? value(e.left, terms) && value(e.right, terms)
                                           : value(e.left, terms) || value(e.right, terms);
    return (e.negations % 2 == 1) ? !v : v;
  }
  bool value(std::uint64_t terms) const { return value(root, terms); }

  bool negates_sub_expression() const {
    for (const Expr& e : nodes) {
      if (e.kind != Expr::term && e.negations > 0) return true;
    }
    return false;
  }
};

// Distinct texts, some with blanks and "!=" inside, so that term lines can be
// told apart and the rereading of terms is exercised.
const std::string& term_text(int index) {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> made;
    for (int i = 0; i < 16; ++i) {
      const std::string n = std::to_string(i);
      made.push_back(i % 3 == 0 ? "x" + n : i % 3 == 1 ? "r" + n + " != 0" : "m" + n + " == k");
    }
    return made;
  }();
  return texts[static_cast<std::size_t>(index)];
}

std::string render(const Condition& c, int node, bool redundant) {
  const Expr& e = c.nodes[static_cast<std::size_t>(node)];
  std::string body;
  if (e.kind == Expr::term) {
    body = redundant ? "(" + term_text(e.term_index) + ")" : term_text(e.term_index);
  } else {
    // Without redundant parentheses an operand is wrapped only where the text would
    // otherwise group differently: an or under an and ("&&" binds tighter), and a
    // left operand of its own operator (a chain groups from the right).
    auto operand = [&](int child, bool left) {
      const std::string text = render(c, child, redundant);
      const Expr& ce = c.nodes[static_cast<std::size_t>(child)];
      const bool wrap =
          ce.kind != Expr::term && ce.negations == 0 &&
          (redundant || (ce.kind == Expr::disjunction && e.kind == Expr::conjunction) ||
           (left && ce.kind == e.kind));
      return wrap ? "(" + text + ")" : text;
    };
    body = operand(e.left, true) + (e.kind == Expr::conjunction ? " && " : " || ") +
           operand(e.right, false);
    if (e.negations > 0) body = "(" + body + ")";
  }
  return std::string(static_cast<std::size_t>(e.negations), '!') + body;
}

// ---- The interpreter of this test: reads the written text back ----

struct OwnerCase {
  ConditionOwner owner;
  std::string_view word;
  int base;
  std::string_view true_word;
  std::string_view false_word;
  std::string_view header_end;  // what follows the condition in the text handed over
};

const OwnerCase kOwners[] = {
    {ConditionOwner::if_statement, "if", 18, "localelse", "nextelse", ") {\n"},
    {ConditionOwner::for_loop, "for", 22, "localfor", "exitfor", ")"},
    {ConditionOwner::while_loop, "while", 26, "localwhile", "exitwhile", ") {\n"},
    {ConditionOwner::do_while, "dowhile", 30, "localdowhile", "exitdowhile", ")\n"},
};

constexpr int kTrue = -1;
constexpr int kFalse = -2;

// One line read back: where it sends control when its term holds and when it
// fails (a label or goto line the same way both times): a line index or a target.
struct Line {
  int term_index = -1;
  int on_true = 0;
  int on_false = 0;
};

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

const char* const kPlaces[] = {"localelseand", "localelseor", "nextelseandjmp", "nextelseorjmp"};

// The label a code of a marker names: the local places take the first number,
// the next places the second.
std::string marker_label(const OwnerCase& owner, long code, long n1, long n2) {
  const long place = code - owner.base;
  if (place < 0 || place > 3) return "?";
  return std::string(owner.word) + kPlaces[place] + std::to_string(place < 2 ? n1 : n2);
}

bool read_marker(std::string_view raw, long (&fields)[4]) {
  const std::size_t marker = raw.rfind("  [+++");
  if (marker == std::string_view::npos) return false;
  const std::string tail(raw.substr(marker));
  return std::sscanf(tail.c_str(), "  [+++%ld,%ld,%ld,%ld+++]", &fields[0], &fields[1], &fields[2],
                     &fields[3]) == 4;
}

// Parses the lines of one condition and resolves every jump; empty when a line
// has none of the three forms, a term is unknown, a label is defined twice or a
// jump names a label that is neither defined nor a target.
std::optional<std::vector<Line>> parse(std::string_view text, const OwnerCase& owner,
                                       int term_count, const std::string& true_target,
                                       const std::string& false_target) {
  const std::vector<std::string_view> raws = split_lines(text);
  std::unordered_map<std::string_view, int> labels;
  std::vector<std::pair<std::string, std::string>> names(raws.size());
  std::vector<Line> program(raws.size());
  constexpr std::string_view go = "     goto     L_";
  for (std::size_t i = 0; i < raws.size(); ++i) {
    const std::string_view raw = raws[i];
    const std::size_t marker = raw.rfind("  [+++");
    if (raw.starts_with(go)) {
      names[i] = {std::string(raw.substr(go.size())), std::string(raw.substr(go.size()))};
    } else if (raw.starts_with("  ") && marker != std::string_view::npos) {
      std::string_view term = raw.substr(2, marker - 2);
      while (!term.empty() && term.back() == ' ') term.remove_suffix(1);
      int index = 0;
      while (index < term_count && term != term_text(index)) ++index;
      long f[4];
      if (index == term_count || !read_marker(raw, f)) return std::nullopt;
      program[i].term_index = index;
      names[i] = {marker_label(owner, f[0], f[1], f[3]), marker_label(owner, f[2], f[1], f[3])};
    } else if (raw.starts_with("L_") && raw.ends_with(':')) {
      if (!labels.emplace(raw.substr(2, raw.size() - 3), static_cast<int>(i)).second) {
        return std::nullopt;
      }
      program[i].on_true = program[i].on_false = static_cast<int>(i) + 1;
    } else {
      return std::nullopt;
    }
  }
  auto resolve = [&](const std::string& name, int& to) {
    if (name == true_target) return to = kTrue, true;
    if (name == false_target) return to = kFalse, true;
    const auto found = labels.find(name);
    if (found == labels.end()) return false;
    return to = found->second, true;
  };
  for (std::size_t i = 0; i < raws.size(); ++i) {
    if (names[i].first.empty()) continue;  // a label line
    if (!resolve(names[i].first, program[i].on_true) ||
        !resolve(names[i].second, program[i].on_false)) {
      return std::nullopt;
    }
  }
  return program;
}

// Where control ends for one assignment: the true or the false target; empty for
// a loop or running off the end. `tested` gets the terms tested, in turn.
std::optional<bool> run(const std::vector<Line>& program, std::uint64_t values,
                        std::vector<int>* tested = nullptr) {
  int at = 0;
  for (std::size_t steps = 0; steps <= program.size(); ++steps) {
    if (at == kTrue) return true;
    if (at == kFalse) return false;
    if (at < 0 || static_cast<std::size_t>(at) >= program.size()) return std::nullopt;
    const Line& line = program[static_cast<std::size_t>(at)];
    if (tested && line.term_index >= 0) tested->push_back(line.term_index);
    const bool holds = line.term_index < 0 || ((values >> line.term_index) & 1U);
    at = holds ? line.on_true : line.on_false;
  }
  return std::nullopt;  // a loop
}

// True when the text sends control to the right target for the assignments tried
// (all of them up to 12 terms, a fixed sample beyond).
bool lowers_correctly(const std::string& text, const Condition& c, const OwnerCase& owner,
                      long target) {
  const std::string true_target = std::string(owner.true_word) + std::to_string(target);
  const std::string false_target = std::string(owner.false_word) + std::to_string(target);
  const auto program = parse(text, owner, c.term_count, true_target, false_target);
  if (!program) return false;
  std::vector<std::uint64_t> assignments;
  if (c.term_count <= 12) {
    for (std::uint64_t v = 0; v < (std::uint64_t{1} << c.term_count); ++v) assignments.push_back(v);
  } else {
    std::mt19937_64 pick(static_cast<std::uint64_t>(c.term_count));
    for (int i = 0; i < 400; ++i) assignments.push_back(pick() & ((1U << c.term_count) - 1));
  }
  for (std::uint64_t v : assignments) {
    const std::optional<bool> reached = run(*program, v);
    if (!reached || *reached != c.value(v)) return false;
  }
  return true;
}

// The terms C tests for one assignment, in turn: left to right, each "&&" and
// "||" stopping as soon as its left operand decides it.
bool c_evaluation(const Condition& c, int node, std::uint64_t values, std::vector<int>& tested) {
  const Expr& e = c.nodes[static_cast<std::size_t>(node)];
  bool v = false;
  if (e.kind == Expr::term) {
    tested.push_back(e.term_index);
    v = ((values >> e.term_index) & 1U) != 0;
  } else if (e.kind == Expr::conjunction) {
    v = c_evaluation(c, e.left, values, tested) && c_evaluation(c, e.right, values, tested);
  } else {
    v = c_evaluation(c, e.left, values, tested) || c_evaluation(c, e.right, values, tested);
  }
  return (e.negations % 2 == 1) ? !v : v;
}

// True when the text tests, for every assignment (up to 12 terms; a sample
// beyond), exactly the terms C would test, in C's order.
bool tests_in_c_order(const std::string& text, const Condition& c, const OwnerCase& owner,
                      long target) {
  const auto program =
      parse(text, owner, c.term_count, std::string(owner.true_word) + std::to_string(target),
            std::string(owner.false_word) + std::to_string(target));
  if (!program) return false;
  std::mt19937_64 pick(static_cast<std::uint64_t>(c.term_count));
  const std::uint64_t all = std::uint64_t{1} << c.term_count;
  for (std::uint64_t i = 0; i < std::min<std::uint64_t>(all, 4096); ++i) {
    const std::uint64_t v = all <= 4096 ? i : pick() & (all - 1);
    std::vector<int> tested;
    std::vector<int> by_c;
    c_evaluation(c, c.root, v, by_c);
    if (!run(*program, v, &tested) || tested != by_c) return false;
  }
  return true;
}

// ---- The sweep ----

struct OwnerText {
  CompoundCounters counters;
  std::string text;  // every condition lowered for this owner, one after another
};

struct Tally {
  int conditions = 0;
  int kept = 0;
  std::map<std::string, int> fell_back;
};

class Sweep {
 public:
  // Lowers the condition under the owners listed (indices into kOwners), each
  // owner's conditions one after another in one text with the file's counters.
  void add(const Condition& c, bool redundant, const std::vector<std::size_t>& owners) {
    const std::string cond = render(c, c.root, redundant);
    if (!seen_.insert(cond).second) return;
    struct Lowered {
      std::size_t owner = 0;
      std::string source;
      ConditionTokens tokens{};
      long target = 0;
      std::optional<LinkedLowering> linked{};
      std::string linked_text{};
      bool linked_right = false;
    };
    std::vector<Lowered> all;
    for (std::size_t o : owners) {
      Lowered l;
      l.owner = o;
      l.source = cond + std::string(kOwners[o].header_end);
      l.tokens = scan_condition(l.source, kLineWidth);
      if (!l.tokens.compound) return;  // a simple condition never reaches the compiler
      l.target = ++targets_;
      if (c.term_count <= 10) {
        CompoundCounters trial = files_[o].counters;
        l.linked = lower_linked_condition(
            trial, kOwners[o].owner, condition_words(kOwners[o].owner, l.target),
            to_postfix(l.tokens.tokens, kLineWidth), l.tokens.tokens.size(),
            locate_terms(l.source, kLineWidth));
        write_condition_lines(l.linked->lines, kStyle, l.linked_text);
        l.linked_right = lowers_correctly(l.linked_text, c, kOwners[o], l.target);
      }
      all.push_back(std::move(l));
    }
    for (const Lowered& l : all) {
      const OwnerCase& owner = kOwners[l.owner];
      OwnerText& file = files_[l.owner];
      std::string out;
      compile_compound_condition(file.counters, {owner.owner, l.target, l.source, l.tokens.tokens},
                                 kStyle, out);
      file.text += out;
      ++tally_.conditions;
      if (l.linked_right) {
        ++tally_.kept;
        EXPECT_EQ(out, l.linked_text) << owner.word << " (" << l.source;
        continue;
      }
      ASSERT_TRUE(lowers_correctly(out, c, owner, l.target)) << owner.word << " (" << l.source;
      if (l.linked) {
        EXPECT_NE(out, l.linked_text) << owner.word << " (" << l.source;
      }
      // The short-circuit lowering writes no false-exit labels.
      EXPECT_EQ(out.find("localelseorgoto"), std::string::npos) << l.source;
      bool right_under_if = false;
      bool right_under_a_loop = false;
      for (const Lowered& other : all) {
        (other.owner == 0 ? right_under_if : right_under_a_loop) |= other.linked_right;
      }
      ++tally_.fell_back[fallback_class(c, l.owner == 0, right_under_if, right_under_a_loop,
                                        l.linked)];
    }
  }

  // No label defined twice and no label of the conditions' own words left
  // undefined, over everything one owner wrote; the counted label words are
  // numbered without gaps, so nothing the discarded lowering counted shows.
  void check_files() const {
    for (std::size_t o = 0; o < 4; ++o) {
      const std::string word(kOwners[o].word);
      std::unordered_set<std::string_view> defined;
      std::vector<std::string> referenced;
      std::unordered_map<std::string_view, std::vector<long>> numbers;
      for (const std::string_view raw : split_lines(files_[o].text)) {
        if (raw.starts_with("L_")) {
          const std::string_view name = raw.substr(2, raw.size() - 3);
          EXPECT_TRUE(defined.insert(name).second) << "defined twice: " << name;
          const std::size_t digits = name.find_first_of("0123456789");
          long number = 0;
          for (char d : name.substr(digits)) number = number * 10 + (d - '0');
          numbers[name.substr(0, digits)].push_back(number);
        } else if (raw.starts_with("     goto     L_")) {
          if (raw.substr(16).starts_with(word)) referenced.emplace_back(raw.substr(16));
        } else {
          long f[4];
          ASSERT_TRUE(read_marker(raw, f)) << raw;
          referenced.push_back(marker_label(kOwners[o], f[0], f[1], f[3]));
          referenced.push_back(marker_label(kOwners[o], f[2], f[1], f[3]));
        }
      }
      for (const std::string& name : referenced) {
        EXPECT_TRUE(defined.count(name)) << "undefined: " << name;
      }
      for (const char* counted :
           {"localelseand", "nextelseandjmp", "localelseor", "localelseorgoto"}) {
        std::vector<long> used = numbers[word + counted];
        std::sort(used.begin(), used.end());
        for (std::size_t i = 0; i < used.size(); ++i) {
          ASSERT_EQ(used[i], static_cast<long>(i)) << word << counted;
        }
      }
    }
  }

  const Tally& tally() const { return tally_; }

 private:
  // Sorts a condition the linked lowering gets wrong by the first cause that applies.
  static std::string fallback_class(const Condition& c, bool under_if, bool right_under_if,
                                    bool right_under_a_loop,
                                    const std::optional<LinkedLowering>& linked) {
    if (!linked) return "more than ten terms";
    if (c.negates_sub_expression()) return "negation over a sub-expression";
    if (under_if && right_under_a_loop) return "failure targets of the if form";
    if (!under_if && right_under_if) return "failure targets of the loop forms";
    if (linked->and_links_shifted) return "and-link shift";
    if (linked->or_join_written) return "or_join reusing a false exit";
    return "false exit shared by two sub-expressions";
  }

  std::set<std::string> seen_;
  OwnerText files_[4];
  long targets_ = 0;
  Tally tally_;
};

// Every binary tree over the terms first..last (in source order).
void shapes(int first, int last, Condition& pool, std::vector<int>& out) {
  if (first == last) {
    pool.nodes.push_back({Expr::term, first});
    out.push_back(static_cast<int>(pool.nodes.size()) - 1);
    return;
  }
  for (int split = first; split < last; ++split) {
    std::vector<int> lefts, rights;
    shapes(first, split, pool, lefts);
    shapes(split + 1, last, pool, rights);
    for (int l : lefts) {
      for (int r : rights) {
        pool.nodes.push_back({Expr::conjunction, -1, l, r});
        out.push_back(static_cast<int>(pool.nodes.size()) - 1);
      }
    }
  }
}

// Copies the tree under `root` into a condition of its own.
int copy_tree(const Condition& pool, int root, Condition& c) {
  Expr e = pool.nodes[static_cast<std::size_t>(root)];
  if (e.kind != Expr::term) {
    e.left = copy_tree(pool, e.left, c);
    e.right = copy_tree(pool, e.right, c);
  }
  c.nodes.push_back(e);
  return static_cast<int>(c.nodes.size()) - 1;
}

void print(const Tally& tally, const char* what) {
  std::cout << what << ": " << tally.conditions << " conditions, " << tally.kept
            << " kept as linked";
  for (const auto& [name, count] : tally.fell_back) std::cout << ", " << name << " " << count;
  std::cout << "\n";
}

TEST(CompoundConditionSweep, EveryConditionOfUpToFourTermsUnderEveryOwner) {
  Sweep sweep;
  for (int n = 1; n <= 4; ++n) {
    Condition pool;
    std::vector<int> roots;
    shapes(0, n - 1, pool, roots);
    // How many "!" a node may carry: zero, one or two up to two terms and on the
    // terms of three; zero or one elsewhere.
    auto choices_for = [n](const Expr& e) -> std::size_t {
      return n <= 2 || (n == 3 && e.kind == Expr::term) ? 3 : 2;
    };
    for (int root : roots) {
      Condition base;
      base.root = copy_tree(pool, root, base);
      base.term_count = n;
      std::vector<std::size_t> operators;
      for (std::size_t i = 0; i < base.nodes.size(); ++i) {
        if (base.nodes[i].kind != Expr::term) operators.push_back(i);
      }
      std::size_t negation_sets = 1;
      for (const Expr& e : base.nodes) negation_sets *= choices_for(e);
      for (std::size_t ops = 0; ops < (std::size_t{1} << operators.size()); ++ops) {
        for (std::size_t neg = 0; neg < negation_sets; ++neg) {
          Condition c = base;
          for (std::size_t k = 0; k < operators.size(); ++k) {
            c.nodes[operators[k]].kind = (ops >> k) & 1U ? Expr::disjunction : Expr::conjunction;
          }
          std::size_t rest = neg;
          for (Expr& e : c.nodes) {
            e.negations = static_cast<int>(rest % choices_for(e));
            rest /= choices_for(e);
          }
          // Up to three terms every owner; with four, "if" and one of the loop forms in
          // turn (the loop forms differ only in their words and counters).
          const std::vector<std::size_t> owners =
              n <= 3 ? std::vector<std::size_t>{0, 1, 2, 3}
                     : std::vector<std::size_t>{0, 1 + static_cast<std::size_t>(ops % 3)};
          sweep.add(c, false, owners);
          // Redundant parentheses change no postfix order, only the text the terms are
          // reread from: every condition of up to three terms, a sample of the rest.
          if (n <= 3 || neg % 5 == 0) sweep.add(c, true, owners);
          if (::testing::Test::HasFatalFailure()) return;
        }
      }
    }
  }
  sweep.check_files();
  print(sweep.tally(), "up to four terms");
}

// A random tree over terms first..last with "!" on about one node in five.
int random_tree(int first, int last, std::mt19937& rng, Condition& c) {
  Expr e;
  if (first == last) {
    e.term_index = first;
  } else {
    const int split = std::uniform_int_distribution<int>(first, last - 1)(rng);
    e.kind = rng() % 2 ? Expr::conjunction : Expr::disjunction;
    e.left = random_tree(first, split, rng, c);
    e.right = random_tree(split + 1, last, rng, c);
  }
  e.negations = rng() % 5 == 0 ? 1 : 0;
  c.nodes.push_back(e);
  return static_cast<int>(c.nodes.size()) - 1;
}

TEST(CompoundConditionSweep, RandomConditionsOfFiveToSixteenTerms) {
  std::mt19937 rng(20240611);
  Sweep sweep;
  for (int i = 0; i < 400; ++i) {
    Condition c;
    c.term_count = std::uniform_int_distribution<int>(5, 16)(rng);
    c.root = random_tree(0, c.term_count - 1, rng, c);
    sweep.add(c, rng() % 2 == 0, {0, 1, 2, 3});
    if (::testing::Test::HasFatalFailure()) return;
  }
  sweep.check_files();
  print(sweep.tally(), "5 to 16 terms");
}

// With ".inorder" every condition, whatever the linked lowering would make of it,
// tests its terms as C does, and its lines give its value.
TEST(CompoundConditionSweep, InOrderTestsTheTermsAsCDoes) {
  std::mt19937 rng(20261207);
  LabelStyle in_order = kStyle;
  in_order.in_order = true;
  CompoundCounters counters[4];
  long target = 0;
  for (int i = 0; i < 600; ++i) {
    Condition c;
    c.term_count = std::uniform_int_distribution<int>(2, 16)(rng);
    c.root = random_tree(0, c.term_count - 1, rng, c);
    const std::size_t o = static_cast<std::size_t>(i % 4);
    const OwnerCase& owner = kOwners[o];
    const std::string source = render(c, c.root, rng() % 2 == 0) + std::string(owner.header_end);
    const ConditionTokens tokens = scan_condition(source, kLineWidth);
    std::string out;
    EXPECT_TRUE(compile_compound_condition(
        counters[o], {owner.owner, ++target, source, tokens.tokens}, in_order, out));
    ASSERT_TRUE(lowers_correctly(out, c, owner, target)) << owner.word << " (" << source;
    ASSERT_TRUE(tests_in_c_order(out, c, owner, target)) << owner.word << " (" << source;
  }
}

}  // namespace
}  // namespace vonx
