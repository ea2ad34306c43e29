#include "random_program.hpp"

#include <algorithm>

namespace differential {

std::uint64_t Rng::next() {
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

const std::vector<std::pair<std::string, Construct>>& construct_names() {
  static const std::vector<std::pair<std::string, Construct>> names = {
      {"break-before-case-end", Construct::break_before_case_end},
      {"fall-into-default", Construct::fall_into_default},
      {"default-before-case", Construct::default_before_case},
      {"nested-default-break", Construct::nested_default_break},
      {"default-only-switch", Construct::default_only_switch},
      {"compound-for-with-step", Construct::compound_for_with_step},
      {"many-terms", Construct::many_terms},
      {"braceless-body", Construct::braceless_body},
      {"unreachable-code", Construct::unreachable_code},
  };
  return names;
}

const std::vector<std::pair<std::string, Cpu>>& cpu_names() {
  static const std::vector<std::pair<std::string, Cpu>> names = {
      {"x86-64", Cpu::x86_64}, {"aarch64", Cpu::aarch64}, {"riscv64", Cpu::riscv64}};
  return names;
}

namespace {

constexpr int kLoopSlots = 14;  // memory slots below the hash's red zone slot
constexpr int kMaxDepth = 4;

// Where a statement stands: what break and continue may leave, and which
// labels a goto may reach (only labels of the function body further down, so
// every goto jumps forward and every program ends).
struct Place {
  enum class Breakable { none, loop, switch_block } breakable = Breakable::none;
  bool in_loop = false;
  bool directly_in_case = false;  // the statement list of a case body itself
  bool inside_case_body = false;  // anywhere within some case body
  int depth = 0;
  int first_reachable_label = 0;  // labels with this number or higher lie ahead
};

class Builder {
 public:
  Builder(std::uint64_t seed, const std::set<Construct>& avoided, bool in_order, Cpu cpu)
      : rng_(seed * 0x2545f4914f6cdd1dULL + 17),
        avoided_(avoided),
        in_order_(in_order),
        load_store_(cpu != Cpu::x86_64) {}

  Function build(std::uint64_t seed) {
    Function function;
    function.seed = seed;
    function.in_order = in_order_;
    for (int i = 0; i < 6; ++i)
      function.arguments.push_back(
          {rng_.between(-3, 6), rng_.between(-3, 6), rng_.between(-3, 6), rng_.between(-3, 6)});
    budget_ = rng_.between(12, 34);
    int top = rng_.between(4, 9);
    labels_ = rng_.chance(60) ? rng_.between(1, 3) : 0;
    // Label k stands after top-level statement label_after_[k].
    std::vector<int> label_after;
    for (int k = 0; k < labels_; ++k) label_after.push_back(rng_.between(0, top - 1));
    std::sort(label_after.begin(), label_after.end());

    function.body.push_back(mark());
    int next_label = 0;
    bool unreachable = false;  // after a jump, until a label
    for (int i = 0; i < top; ++i) {
      Place place;
      place.first_reachable_label = next_label;
      if (!unreachable) {
        function.body.push_back(statement(place));
        unreachable = ends_path(*function.body.back());
      }
      while (next_label < labels_ && label_after[next_label] == i) {
        // Code after a label is reached again only when a goto reached goes there.
        if (targeted_labels_.count(next_label)) unreachable = false;
        auto label = std::make_unique<Statement>();
        label->kind = Statement::Kind::label;
        label->id = next_label++;
        function.body.push_back(std::move(label));
        function.body.push_back(mark());
      }
    }
    function.loop_slots = slots_;
    return function;
  }

 private:
  bool allowed(Construct construct) const { return !avoided_.count(construct); }

  std::unique_ptr<Statement> mark() {
    auto s = std::make_unique<Statement>();
    s->kind = Statement::Kind::mark;
    s->id = ++marks_;
    return s;
  }

  Operand number() { return Operand{-1, rng_.between(-3, 8)}; }
  Operand variable() { return Operand{rng_.below(kVariables), 0}; }

  // A statement after which, unless unreachable code is allowed, its block
  // ends: a jump, or an if chain with else whose every branch ends in one. At
  // the top, what follows one starts again at a label that a goto goes to.
  bool ends_path(const Statement& s) const {
    if (allowed(Construct::unreachable_code)) return false;
    using Kind = Statement::Kind;
    if (s.kind == Kind::if_chain)
      return s.has_else && std::all_of(s.blocks.begin(), s.blocks.end(), [this](const Block& b) {
               return !b.empty() && ends_path(*b.back());
             });
    return s.kind == Kind::break_jump || s.kind == Kind::continue_jump ||
           s.kind == Kind::goto_jump || s.kind == Kind::return_jump;
  }

  // A statement list that starts with a mark, as every block does.
  Block block(const Place& place, int most) {
    Block b;
    b.push_back(mark());
    int count = rng_.between(0, most);
    for (int i = 0; i < count && budget_ > 0; ++i) {
      b.push_back(statement(place));
      if (ends_path(*b.back())) break;
    }
    return b;
  }

  std::unique_ptr<Statement> statement(const Place& place) {
    --budget_;
    if (in_order_ && rng_.chance(8)) {
      auto s = std::make_unique<Statement>();
      s->kind = Statement::Kind::point;
      s->id = rng_.below(2);
      return s;
    }
    bool nest = place.depth < kMaxDepth && budget_ > 0;
    int roll = rng_.below(100);
    if (nest && roll < 16) return if_chain(place);
    if (nest && roll < 24) return loop(place, Statement::Kind::while_loop);
    if (nest && roll < 31) return loop(place, Statement::Kind::do_loop);
    if (nest && roll < 39) return loop(place, Statement::Kind::for_loop);
    if (nest && roll < 46) return switch_block(place);
    if (roll < 53 && place.breakable == Place::Breakable::loop)
      return jump(Statement::Kind::break_jump);
    if (roll < 53 && place.breakable == Place::Breakable::switch_block &&
        (!place.directly_in_case || allowed(Construct::break_before_case_end)))
      return jump(Statement::Kind::break_jump);
    if (roll < 58 && place.in_loop) return jump(Statement::Kind::continue_jump);
    if (roll < 62 && place.first_reachable_label < labels_) {
      auto s = jump(Statement::Kind::goto_jump);
      s->id = rng_.between(place.first_reachable_label, labels_ - 1);
      targeted_labels_.insert(s->id);
      return s;
    }
    if (roll < 64) return jump(Statement::Kind::return_jump);
    if (roll < 70) {
      auto s = std::make_unique<Statement>();
      s->kind = Statement::Kind::mark_value;
      s->variable = rng_.below(kVariables);
      return s;
    }
    if (roll < 78) return plain();
    return assignment();
  }

  std::unique_ptr<Statement> jump(Statement::Kind kind) {
    auto s = std::make_unique<Statement>();
    s->kind = kind;
    return s;
  }

  std::unique_ptr<Statement> assignment() {
    auto s = std::make_unique<Statement>();
    s->kind = Statement::Kind::assign;
    s->variable = rng_.below(kVariables);
    static const char* const ops[] = {"=", "+=", "-=", "++", "--"};
    s->op = ops[rng_.below(5)];
    s->operand = rng_.chance(50) ? number() : variable();
    // x86 has no memory-to-memory forms.
    if (s->variable == kMemoryVariable && s->operand.variable == kMemoryVariable)
      s->operand = number();
    return s;
  }

  // Simple assignment for the init and step parts of a for loop.
  Statement loop_piece(bool init) {
    Statement s;
    s.kind = Statement::Kind::assign;
    s.variable = rng_.below(kVariables);
    if (init) {
      s.op = "=";
      s.operand = number();
    } else {
      static const char* const ops[] = {"++", "--", "+="};
      s.op = ops[rng_.below(3)];
      s.operand = Operand{-1, rng_.between(1, 3)};
    }
    // d instead of e: drawn as on every CPU, so the rest of the program is the same.
    if (load_store_ && s.variable == kMemoryVariable) s.variable = 3;
    return s;
  }

  std::unique_ptr<Statement> plain() {
    auto s = std::make_unique<Statement>();
    s->kind = Statement::Kind::plain;
    static const char* const kinds[] = {"lea", "neg", "xchg"};
    s->op = kinds[rng_.below(3)];
    s->variable = rng_.below(4);  // registers only
    s->operand = Operand{rng_.below(4), rng_.between(-2, 5)};
    if (s->op == "xchg" && s->operand.variable == s->variable) s->op = "lea";
    return s;
  }

  Comparison comparison() {
    Comparison c;
    if (rng_.chance(12)) {
      c.left = Operand{rng_.below(4), 0};  // a lone register
      return c;
    }
    static const char* const ops[] = {"==", "!=", "<", "<=", ">", ">=", "u<", "u<=", "u>", "u>="};
    c.op = ops[rng_.below(10)];
    if (rng_.chance(18)) {
      c.left = number();
      c.right = variable();
    } else {
      c.left = variable();
      c.right = rng_.chance(55) ? number() : variable();
      if (c.left.variable == kMemoryVariable && c.right.variable == kMemoryVariable)
        c.right = number();
    }
    // An unsigned comparison with 0 or -1 (the smallest and the largest value)
    // can have a fixed value (x u< 0, -1 u< x).
    if (!allowed(Construct::unreachable_code) && c.op.starts_with('u'))
      for (Operand* side : {&c.left, &c.right})
        if (side->variable < 0 && (side->number == 0 || side->number == -1))
          side->number = rng_.between(1, 8);
    return c;
  }

  // A read through p behind its guard, as two terms: p != 0 && *p OP x, or
  // p == 0 || *p OP x.
  std::unique_ptr<Condition> guarded_read() {
    auto c = std::make_unique<Condition>();
    const bool conjunction = rng_.chance(50);
    c->kind = conjunction ? Condition::Kind::conjunction : Condition::Kind::disjunction;
    c->left = std::make_unique<Condition>();
    c->left->kind = Condition::Kind::comparison;
    c->left->comparison =
        Comparison{Operand{kPointer, 0}, conjunction ? "!=" : "==", Operand{-1, 0}};
    c->right = std::make_unique<Condition>();
    c->right->kind = Condition::Kind::comparison;
    Comparison read = comparison();
    read.left = Operand{kPointee, 0};
    if (read.op.empty()) read.op = "!=";
    if (read.right.variable == kMemoryVariable) read.right = number();
    c->right->comparison = read;
    return c;
  }

  std::unique_ptr<Condition> condition(int terms) {
    auto c = std::make_unique<Condition>();
    if (terms == 1 && in_order_ && rng_.chance(35)) {
      c = guarded_read();
    } else if (terms == 1) {
      c->kind = Condition::Kind::comparison;
      c->comparison = comparison();
    } else {
      int left = rng_.between(1, terms - 1);
      c->kind = rng_.chance(50) ? Condition::Kind::conjunction : Condition::Kind::disjunction;
      c->left = condition(left);
      c->right = condition(terms - left);
    }
    if (rng_.chance(15)) c->parenthesised = true;
    if (rng_.chance(terms == 1 ? 18 : 12)) {
      auto negation = std::make_unique<Condition>();
      negation->kind = Condition::Kind::negation;
      negation->left = std::move(c);
      return negation;
    }
    return c;
  }

  std::unique_ptr<Condition> any_condition() {
    int roll = rng_.below(100);
    int terms = roll < 35   ? 1
                : roll < 65 ? 2
                : roll < 85 ? 3
                : roll < 95 ? rng_.between(4, 6)
                            : rng_.between(7, 10);
    if (allowed(Construct::many_terms) && rng_.chance(3)) terms = rng_.between(11, 13);
    return condition(terms);
  }

  std::unique_ptr<Statement> if_chain(const Place& place) {
    auto s = std::make_unique<Statement>();
    s->kind = Statement::Kind::if_chain;
    int branches = rng_.chance(60) ? 1 : rng_.between(2, 3);
    Place inner = place;
    inner.depth++;
    inner.directly_in_case = false;
    s->braceless = allowed(Construct::braceless_body) && rng_.chance(25);
    bool has_else = rng_.chance(50);
    for (int i = 0; i < branches; ++i) {
      s->conditions.push_back(any_condition());
      bool else_follows = i + 1 < branches || has_else;
      s->blocks.push_back(s->braceless ? braceless_block(inner, else_follows) : block(inner, 3));
    }
    if (has_else) {
      s->has_else = true;
      s->blocks.push_back(s->braceless ? braceless_block(inner, false) : block(inner, 3));
    }
    return s;
  }

  // The body of a header without braces: one statement that stands on one line,
  // or an if chain of its own. An if chain never stands before an else: C gives
  // that else to the inner if.
  Block braceless_block(const Place& place, bool else_follows) {
    Block b;
    int roll = rng_.below(100);
    if (roll < 15 && !else_follows && place.depth < kMaxDepth && budget_ > 0) {
      --budget_;
      b.push_back(if_chain(place));
    } else if (roll < 25 && place.breakable == Place::Breakable::loop) {
      b.push_back(jump(Statement::Kind::break_jump));
    } else if (roll < 30 && place.in_loop) {
      b.push_back(jump(Statement::Kind::continue_jump));
    } else {
      auto s = std::make_unique<Statement>();
      s->kind = Statement::Kind::mark_add;
      s->id = ++marks_;
      b.push_back(std::move(s));
    }
    return b;
  }

  std::unique_ptr<Statement> loop(const Place& place, Statement::Kind kind) {
    if (slots_ == kLoopSlots) return if_chain(place);
    auto s = std::make_unique<Statement>();
    s->kind = kind;
    s->id = slots_++;
    bool endless = rng_.chance(kind == Statement::Kind::for_loop ? 8 : 14);
    if (kind == Statement::Kind::for_loop) {
      bool bare = endless && rng_.chance(50);  // for (;;)
      if (!bare) {
        for (int i = rng_.between(0, 2); i > 0; --i) s->init.push_back(loop_piece(true));
        for (int i = rng_.between(0, 2); i > 0; --i) s->step.push_back(loop_piece(false));
      }
    }
    if (!endless) {
      s->conditions.push_back(any_condition());
      bool compound = s->conditions[0]->kind != Condition::Kind::comparison;
      if (kind == Statement::Kind::for_loop && compound &&
          !allowed(Construct::compound_for_with_step))
        s->step.clear();
    }
    Place inner = place;
    inner.depth++;
    inner.directly_in_case = false;
    inner.in_loop = true;
    inner.breakable = Place::Breakable::loop;
    s->blocks.push_back(block(inner, 4));
    return s;
  }

  std::unique_ptr<Statement> switch_block(const Place& place) {
    auto s = std::make_unique<Statement>();
    s->kind = Statement::Kind::switch_block;
    s->variable = rng_.below(kVariables);
    Place inner = place;
    inner.depth++;
    inner.breakable = Place::Breakable::switch_block;
    inner.directly_in_case = true;
    inner.inside_case_body = true;
    std::vector<int> values = {-2, -1, 0, 1, 2, 3, 4, 5, 6};
    for (std::size_t i = values.size(); i > 1; --i)
      std::swap(values[i - 1], values[rng_.below(static_cast<int>(i))]);
    std::size_t used = 0;
    bool default_only = allowed(Construct::default_only_switch) && rng_.chance(8);
    int groups = default_only ? 0 : rng_.between(1, 4);
    for (int g = 0; g < groups; ++g) {
      CaseGroup group;
      for (int v = rng_.chance(25) ? 2 : 1; v > 0 && used < values.size(); --v)
        group.values.push_back(values[used++]);
      group.body = block(inner, 2);
      group.ends_with_break = rng_.chance(60);
      s->cases.push_back(std::move(group));
    }
    if (default_only || rng_.chance(45)) {
      // Anywhere among the case labels, or last.
      std::size_t at = s->cases.size();
      if (allowed(Construct::default_before_case) && rng_.chance(50))
        at = static_cast<std::size_t>(rng_.below(static_cast<int>(s->cases.size()) + 1));
      if (at > 0 && !allowed(Construct::fall_into_default)) s->cases[at - 1].ends_with_break = true;
      CaseGroup fallback;
      fallback.body = block(inner, 2);
      fallback.ends_with_break = rng_.chance(30);
      if (place.inside_case_body && !allowed(Construct::nested_default_break))
        fallback.ends_with_break = false;
      s->cases.insert(s->cases.begin() + static_cast<std::ptrdiff_t>(at), std::move(fallback));
    }
    return s;
  }

  Rng rng_;
  const std::set<Construct>& avoided_;
  bool in_order_;
  bool load_store_;
  int budget_ = 0;
  int marks_ = 0;
  int slots_ = 0;
  int labels_ = 0;
  std::set<int> targeted_labels_;  // labels that a goto drawn so far goes to
};

}  // namespace

Function random_function(std::uint64_t seed, const std::set<Construct>& avoided, bool in_order,
                         Cpu cpu) {
  return Builder(seed, avoided, in_order, cpu).build(seed);
}

namespace {

std::vector<Block*> inner_blocks(Statement& s) {
  std::vector<Block*> blocks;
  for (Block& b : s.blocks) blocks.push_back(&b);
  for (CaseGroup& group : s.cases) blocks.push_back(&group.body);
  return blocks;
}

int count_block(const Block& block) {
  int count = 0;
  for (const auto& s : block) {
    ++count;
    for (const Block& inner : s->blocks) count += count_block(inner);
    for (const CaseGroup& group : s->cases) count += count_block(group.body);
  }
  return count;
}

void remove_in_block(Block& block, const std::set<int>& numbers, int& next) {
  Block kept;
  for (auto& s : block) {
    int number = next++;
    if (numbers.count(number)) {
      for (Block* inner : inner_blocks(*s)) next += count_block(*inner);
      continue;
    }
    for (Block* inner : inner_blocks(*s)) remove_in_block(*inner, numbers, next);
    kept.push_back(std::move(s));
  }
  block = std::move(kept);
}

}  // namespace

int count_statements(const Function& function) {
  return count_block(function.body);
}

void remove_statements(Function& function, const std::set<int>& numbers) {
  int next = 0;
  remove_in_block(function.body, numbers, next);
}

}  // namespace differential
