// Random structured programs for the differential test. One tree is built per
// seed and written twice (program_text.hpp): as a .7pp function for the rules of
// one CPU and as the equivalent C function. Both add an id into a running hash at
// the start of every block they enter, so equal hashes mean equal paths.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace differential {

// splitmix64: the same numbers on every platform and compiler.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(int percent) { return below(100) < percent; }

 private:
  std::uint64_t state_;
};

// The CPUs a program is written for (program_text.hpp). On a load/store CPU the
// memory variable lives in a register and is stored after each statement that
// writes it; the pieces of a for header, single statements, never write it.
enum class Cpu { x86_64, aarch64, riscv64 };
const std::vector<std::pair<std::string, Cpu>>& cpu_names();

// Constructs whose lowering departs from C; each can be left out of the
// generated programs by name (see construct_names()).
enum class Construct {
  break_before_case_end,   // a switch break directly in a case body, with statements after it
  fall_into_default,       // a case body without break directly before default: (it ends there)
  default_before_case,     // a default: that is not the last label of its switch
  nested_default_break,    // a default body ending with break, in a switch inside a case body
  default_only_switch,     // a switch whose only label is default:
  compound_for_with_step,  // a for loop whose compound condition is followed by a step
  many_terms,              // a condition with more than ten comparisons
  braceless_body,          // an if chain written without braces, one statement per body
  unreachable_code,        // statements after a jump, comparisons whose value is fixed
};
const std::vector<std::pair<std::string, Construct>>& construct_names();

// Operands: the variables a, b, c, d (registers), e (a memory slot), or a number.
// Programs that test in source order (.inorder) also have a pointer p, which is 0
// or the address of e, and the cell it points to, read only behind a guard.
struct Operand {
  int variable = -1;  // 0..4 (kPointer, kPointee in guarded terms), or -1 for a number
  int number = 0;
};
constexpr int kVariables = 5;
constexpr int kMemoryVariable = 4;
constexpr int kPointer = 5;
constexpr int kPointee = 6;

struct Comparison {
  Operand left;
  std::string op;  // ==, !=, <, <=, >, >=, u<, u<=, u>, u>=; empty: a lone register
  Operand right;
};

struct Condition {
  enum class Kind { comparison, negation, conjunction, disjunction } kind;
  Comparison comparison;
  std::unique_ptr<Condition> left, right;  // negation uses left only
  bool parenthesised = false;              // extra parentheses that change nothing
};

struct Statement;
using Block = std::vector<std::unique_ptr<Statement>>;

struct CaseGroup {
  std::vector<int> values;  // empty: default
  Block body;
  bool ends_with_break = false;
};

struct Statement {
  enum class Kind {
    mark,        // hash = hash * 31 + id
    mark_add,    // hash += id: a mark on one source line, for bodies without braces
    mark_value,  // hash += variable
    assign,      // variable op= operand (op: =, +=, -=) or ++ / --
    plain,       // a plain x86-64 instruction and its C meaning
    if_chain,    // conditions.size() branches, plus else when else_block is set
    while_loop,  // condition may be null: while (1)
    do_loop,     // condition may be null: } while (1)
    for_loop,    // init/step texts; condition may be null
    switch_block,
    break_jump,
    continue_jump,
    goto_jump,
    label,
    return_jump,
    point,  // p = 0 (id 0) or p = the address of e (id 1)
  } kind;
  int id = 0;        // mark id, label number, loop counter slot
  int variable = 0;  // target of assign / mark_value / switch
  std::string op;    // assign: "=", "+=", "-=", "++", "--"; plain: instruction kind
  Operand operand;
  std::vector<std::unique_ptr<Condition>> conditions;
  std::vector<Block> blocks;  // if: one per condition (+ else); loops: one
  bool has_else = false;
  bool braceless = false;             // if chain: written without braces (every body one statement)
  std::vector<Statement> init, step;  // for: assign statements, each written as one piece
  std::vector<CaseGroup> cases;
};

struct Function {
  std::uint64_t seed;
  // Written with .inorder: conditions hold guarded reads through p
  // ("p != 0 && *p == 3", "p == 0 || *p > 1") that fault unless tested in order.
  bool in_order = false;
  Block body;
  int loop_slots = 0;
  std::vector<std::vector<long>> arguments;  // argument tuples (a, b, c, d) to call with
};

Function random_function(std::uint64_t seed, const std::set<Construct>& avoided,
                         bool in_order = false, Cpu cpu = Cpu::x86_64);

// Statements are numbered in the order they are written, nested ones after the
// statement that holds them. These serve the search for a smaller program that
// still disagrees: remove_statements drops the numbered statements (with
// everything inside them) and keeps the numbers of the others.
int count_statements(const Function& function);
void remove_statements(Function& function, const std::set<int>& numbers);

}  // namespace differential
