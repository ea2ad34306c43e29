#include "program_text.hpp"

#include <sstream>

namespace differential {

namespace {

// Every loop body first counts its turns in its own memory slot and leaves the
// loop after this many, so that every program ends whatever its conditions do.
constexpr int kTurnLimit = 3;

const char* const kCNames[] = {"a", "b", "c", "d", "e", "p", "(*(long*)p)"};

// How a function is written for one CPU. On x86-64 the memory variable e and
// the loop counters are memory operands below rsp. A load/store CPU keeps e in
// a register and stores it into its memory cell after each statement that
// writes it, so that a read through p sees it; its loop counters are loaded,
// counted and stored in a block of memory of the function's own.
struct CpuWords {
  const char* directive;
  const char* syntax;    // lines after the directive (and .inorder), each ending with "\n"
  const char* names[7];  // a, b, c, d, e, p and the cell p points to
  const char* hash;      // the running hash, returned
  bool load_store;
  // Load/store CPUs only: the register holding the block's address (e's cell
  // first, then the counters), a register for counters and exchanges, the zero
  // register, and the load and store of a register at an offset of the block.
  const char* base = nullptr;
  const char* temp = nullptr;
  const char* zero = nullptr;
  const char* load = nullptr;        // of register %r at offset %o from the base %b
  const char* store = nullptr;       // the same for a store
  const char* result = nullptr;      // the register a function returns its value in
  const char* add_number = nullptr;  // the instruction of v = w + n
};

const CpuWords kX86_64 = {
    .directive = ".x86-64",
    .syntax = ".intel_syntax noprefix\n",
    .names = {"rdi", "rsi", "rdx", "rcx", "qword ptr [rsp - 8]", "r8", "qword ptr [r8]"},
    .hash = "rax",
    .load_store = false};
const CpuWords kAarch64 = {.directive = ".aarch64",
                           .syntax = "",
                           .names = {"x0", "x1", "x2", "x3", "x4", "x5", "[x5]"},
                           .hash = "x9",
                           .load_store = true,
                           .base = "x10",
                           .temp = "x11",
                           .zero = "xzr",
                           .load = "ldr %r, [%b, %o]",
                           .store = "str %r, [%b, %o]",
                           .result = "x0",
                           .add_number = "add"};
const CpuWords kRiscv64 = {.directive = ".riscv64",
                           .syntax = "",
                           .names = {"a0", "a1", "a2", "a3", "a4", "a5", "[a5]"},
                           .hash = "t0",
                           .load_store = true,
                           .base = "a6",
                           .temp = "a7",
                           .zero = "zero",
                           .load = "ld %r, %o(%b)",
                           .store = "sd %r, %o(%b)",
                           .result = "a0",
                           .add_number = "addi"};

const CpuWords& words_of(Cpu cpu) {
  switch (cpu) {
    case Cpu::aarch64:
      return kAarch64;
    case Cpu::riscv64:
      return kRiscv64;
    case Cpu::x86_64:
      break;
  }
  return kX86_64;
}

// The bytes of the function's block: e's cell, then one counter per loop.
constexpr int kBlockBytes = 8 + 8 * 14;

int slot_offset(int slot) {
  return 8 + 8 * slot;
}

std::string slot_c(int slot) {
  return "lc[" + std::to_string(slot) + "]";
}

std::string operand_7pp(const Operand& o, const CpuWords& w) {
  return o.variable < 0 ? std::to_string(o.number) : w.names[o.variable];
}
std::string operand_c(const Operand& o) {
  return o.variable < 0 ? "(long)" + std::to_string(o.number) : kCNames[o.variable];
}

std::string comparison_7pp(const Comparison& c, const CpuWords& w) {
  if (c.op.empty()) return operand_7pp(c.left, w);
  return operand_7pp(c.left, w) + " " + c.op + " " + operand_7pp(c.right, w);
}

std::string comparison_c(const Comparison& c) {
  if (c.op.empty()) return "(" + operand_c(c.left) + " != 0)";
  if (c.op[0] == 'u')
    return "((unsigned long)" + operand_c(c.left) + " " + c.op.substr(1) + " (unsigned long)" +
           operand_c(c.right) + ")";
  return "(" + operand_c(c.left) + " " + c.op + " " + operand_c(c.right) + ")";
}

// The .7pp form: "!" binds tighter than "&&", which binds tighter than "||";
// a "!" directly before a comparison negates the whole comparison.
std::string condition_7pp(const Condition& c, bool top, const CpuWords& w) {
  std::string text;
  switch (c.kind) {
    case Condition::Kind::comparison:
      text = comparison_7pp(c.comparison, w);
      // A lone comparison in parentheses is no compound condition, and a simple
      // condition ends at its first ")": keep such parentheses away.
      if (c.parenthesised && !top) text = "(" + text + ")";
      return text;
    case Condition::Kind::negation: {
      std::string inner = condition_7pp(*c.left, false, w);
      bool bare = c.left->kind == Condition::Kind::comparison ||
                  c.left->kind == Condition::Kind::negation || c.left->parenthesised;
      return bare ? "!" + inner : "!(" + inner + ")";
    }
    case Condition::Kind::conjunction:
    case Condition::Kind::disjunction: {
      auto side = [&c, &w](const Condition& child) {
        std::string t = condition_7pp(child, false, w);
        bool needs = c.kind == Condition::Kind::conjunction &&
                     child.kind == Condition::Kind::disjunction && !child.parenthesised;
        return needs ? "(" + t + ")" : t;
      };
      text = side(*c.left) + (c.kind == Condition::Kind::conjunction ? " && " : " || ") +
             side(*c.right);
      return c.parenthesised ? "(" + text + ")" : text;
    }
  }
  return text;
}

std::string condition_c(const Condition& c) {
  switch (c.kind) {
    case Condition::Kind::comparison:
      return comparison_c(c.comparison);
    case Condition::Kind::negation:
      return "!" + condition_c(*c.left);
    case Condition::Kind::conjunction:
      return "(" + condition_c(*c.left) + " && " + condition_c(*c.right) + ")";
    case Condition::Kind::disjunction:
      return "(" + condition_c(*c.left) + " || " + condition_c(*c.right) + ")";
  }
  return "";
}

std::string assignment_7pp(const Statement& s, const CpuWords& w) {
  std::string target = w.names[s.variable];
  if (s.op == "++" || s.op == "--") return target + s.op;
  return target + " " + s.op + " " + operand_7pp(s.operand, w);
}

std::string assignment_c(const Statement& s) {
  std::string target = kCNames[s.variable];
  if (s.op == "++" || s.op == "--") return target + s.op;
  return target + " " + s.op + " " + operand_c(s.operand);
}

template <typename Write>
std::string joined(const std::vector<Statement>& pieces, Write write) {
  std::string text;
  for (std::size_t i = 0; i < pieces.size(); ++i) text += (i ? ", " : "") + write(pieces[i]);
  return text;
}

class Writer {
 public:
  Writer(const Function& f, Cpu cpu) : function_(f), w_(words_of(cpu)) {}

  std::string seven_pp() {
    std::string name = "vx_" + std::to_string(function_.seed);
    if (w_.load_store)
      out_ << "\t.bss\n\t.balign 8\n"
           << name << "_block:\n\t.zero " << kBlockBytes << "\n\t.text\n";
    out_ << "\t.globl\t" << name << "\n" << name << ":\n";
    if (w_.load_store) line(1, std::string(w_.base) + " = " + name + "_block");
    line(1, std::string(w_.hash) + " = 0");
    line(1, std::string(w_.names[kMemoryVariable]) + " = 0");
    after_write(kMemoryVariable, 1);
    if (function_.in_order) {
      // p starts as the address of e for an odd a, else as 0.
      if (w_.load_store) {
        line(1, std::string(w_.names[kPointer]) + " = 0");
        line(1, std::string(w_.temp) + " = " + w_.names[0]);
        line(1, std::string(w_.temp) + " &= 1");
        line(1, "if (" + std::string(w_.temp) + ") {");
        line(2, std::string(w_.names[kPointer]) + " = " + w_.base);
        line(1, "}");
      } else {
        line(1, "r8 = 0");
        line(1, "lea r9, [rsp - 8]");
        line(1, "test rdi, 1");
        line(1, "cmovnz r8, r9");
      }
    }
    block_7pp(function_.body, 1);
    return_7pp(1);
    return out_.str();
  }

  std::string c() {
    out_ << "u64 c_" << function_.seed << "(long a, long b, long c, long d) {\n";
    line(1, "u64 h = 0;");
    line(1, "long e = 0;");
    line(1, "long lc[14];");
    line(1, "(void)a; (void)b; (void)c; (void)d; (void)e; (void)lc;");
    if (function_.in_order) line(1, "long p = (a & 1) ? (long)&e : 0; (void)p;");
    block_c(function_.body, 1);
    line(1, "return h;");
    out_ << "}\n";
    return out_.str();
  }

 private:
  void line(int depth, const std::string& text) {
    out_ << std::string(depth, '\t') << text << "\n";
  }

  std::string user_label(int id) const {
    return ".Lu" + std::to_string(function_.seed) + "x" + std::to_string(id);
  }

  // A load or store of `reg` at `offset` of the function's block.
  std::string block_access(const char* form, const std::string& reg, int offset) const {
    std::string text = form;
    for (auto [mark, value] : {std::pair<std::string, std::string>{"%r", reg},
                               {"%b", w_.base},
                               {"%o", std::to_string(offset)}})
      text.replace(text.find(mark), 2, value);
    return text;
  }

  // A load/store CPU stores e into its cell after each statement that writes it.
  void after_write(int variable, int depth) {
    if (w_.load_store && variable == kMemoryVariable)
      line(depth, block_access(w_.store, w_.names[kMemoryVariable], 0));
  }

  void return_7pp(int depth) {
    if (w_.load_store) line(depth, std::string(w_.result) + " = " + w_.hash);
    line(depth, "return");
  }

  std::string slot_operand(int slot) const {
    return "qword ptr [rsp - " + std::to_string(16 + 8 * slot) + "]";
  }

  void slot_reset(int slot, int depth) {
    if (w_.load_store)
      line(depth, block_access(w_.store, w_.zero, slot_offset(slot)));
    else
      line(depth, slot_operand(slot) + " = 0");
  }

  void block_7pp(const Block& block, int depth) {
    for (const auto& s : block) statement_7pp(*s, depth);
  }

  void loop_guard_7pp(int slot, int depth) {
    std::string counter = slot_operand(slot);
    if (w_.load_store) {
      counter = w_.temp;
      line(depth, block_access(w_.load, counter, slot_offset(slot)));
      line(depth, counter + "++");
      line(depth, block_access(w_.store, counter, slot_offset(slot)));
    } else {
      line(depth, counter + "++");
    }
    line(depth, "if (" + counter + " > " + std::to_string(kTurnLimit) + ") {");
    line(depth + 1, "break");
    line(depth, "}");
  }

  // lea v, [w + n] / neg v / xchg v, w, on the registers of a, b, c and d.
  void plain_7pp(const Statement& s, int d) {
    std::string v = w_.names[s.variable], other = w_.names[s.operand.variable];
    std::string n = std::to_string(s.operand.number);
    if (!w_.load_store) {
      if (s.op == "lea") line(d, "lea " + v + ", [" + other + " + " + n + "]");
      if (s.op == "neg") line(d, "neg " + v);
      if (s.op == "xchg") line(d, "xchg " + v + ", " + other);
      return;
    }
    if (s.op == "lea") line(d, std::string(w_.add_number) + " " + v + ", " + other + ", " + n);
    if (s.op == "neg") line(d, "neg " + v + ", " + v);
    if (s.op == "xchg") {
      line(d, std::string(w_.temp) + " = " + v);
      line(d, v + " = " + other);
      line(d, other + " = " + w_.temp);
    }
  }

  std::string condition(const Condition& c) const { return condition_7pp(c, true, w_); }
  std::string assignment(const Statement& s) const { return assignment_7pp(s, w_); }

  void statement_7pp(const Statement& s, int d) {
    using K = Statement::Kind;
    const std::string hash = w_.hash;
    switch (s.kind) {
      case K::mark:
        line(d, hash + " *= 31");
        line(d, hash + " += " + std::to_string(s.id));
        break;
      case K::mark_add:
        line(d, hash + " += " + std::to_string(s.id));
        break;
      case K::mark_value:
        line(d, hash + " += " + w_.names[s.variable]);
        break;
      case K::assign:
        line(d, assignment(s));
        after_write(s.variable, d);
        break;
      case K::plain:
        plain_7pp(s, d);
        break;
      case K::if_chain:
        if (s.braceless) {
          for (std::size_t i = 0; i < s.conditions.size(); ++i) {
            line(d, (i == 0 ? "if (" : "else if (") + condition(*s.conditions[i]) + ")");
            block_7pp(s.blocks[i], d + 1);
          }
          if (s.has_else) {
            line(d, "else");
            block_7pp(s.blocks.back(), d + 1);
          }
          break;
        }
        for (std::size_t i = 0; i < s.conditions.size(); ++i) {
          std::string head = i == 0 ? "if (" : "} else if (";
          line(d, head + condition(*s.conditions[i]) + ") {");
          block_7pp(s.blocks[i], d + 1);
        }
        if (s.has_else) {
          line(d, "} else {");
          block_7pp(s.blocks.back(), d + 1);
        }
        line(d, "}");
        break;
      case K::while_loop:
        slot_reset(s.id, d);
        line(d, "while (" +
                    (s.conditions.empty() ? std::string("1") : condition(*s.conditions[0])) +
                    ") {");
        loop_guard_7pp(s.id, d + 1);
        block_7pp(s.blocks[0], d + 1);
        line(d, "}");
        break;
      case K::do_loop:
        slot_reset(s.id, d);
        line(d, "do {");
        loop_guard_7pp(s.id, d + 1);
        block_7pp(s.blocks[0], d + 1);
        line(d, "} while (" +
                    (s.conditions.empty() ? std::string("1") : condition(*s.conditions[0])) + ")");
        break;
      case K::for_loop: {
        slot_reset(s.id, d);
        std::string condition_text = s.conditions.empty() ? "" : " " + condition(*s.conditions[0]);
        auto write = [this](const Statement& piece) { return assignment(piece); };
        std::string step = s.step.empty() ? "" : " " + joined(s.step, write);
        line(d, "for (" + joined(s.init, write) + ";" + condition_text + ";" + step + ") {");
        loop_guard_7pp(s.id, d + 1);
        block_7pp(s.blocks[0], d + 1);
        line(d, "}");
        break;
      }
      case K::switch_block:
        line(d, std::string("switch (") + w_.names[s.variable] + ") {");
        for (const CaseGroup& group : s.cases) {
          if (group.values.empty()) line(d, "default:");
          for (int v : group.values) line(d, "case " + std::to_string(v) + ":");
          block_7pp(group.body, d + 1);
          if (group.ends_with_break) line(d + 1, "break");
        }
        line(d, "}");
        break;
      case K::break_jump:
        line(d, "break");
        break;
      case K::continue_jump:
        line(d, "continue");
        break;
      case K::goto_jump:
        line(d, "goto " + user_label(s.id));
        break;
      case K::label:
        out_ << user_label(s.id) << ":\n";
        break;
      case K::return_jump:
        return_7pp(d);
        break;
      case K::point: {
        const std::string p = w_.names[kPointer];
        if (w_.load_store)
          line(d, p + " = " + (s.id ? w_.base : "0"));
        else
          line(d, s.id ? "lea r8, [rsp - 8]" : "r8 = 0");
        break;
      }
    }
  }

  void block_c(const Block& block, int depth) {
    for (const auto& s : block) statement_c(*s, depth);
  }

  void loop_guard_c(int slot, int depth) {
    line(depth, "if (++" + slot_c(slot) + " > " + std::to_string(kTurnLimit) + ") break;");
  }

  void statement_c(const Statement& s, int d) {
    using K = Statement::Kind;
    switch (s.kind) {
      case K::mark:
        line(d, "h = h * 31 + " + std::to_string(s.id) + ";");
        break;
      case K::mark_add:
        line(d, "h += " + std::to_string(s.id) + ";");
        break;
      case K::mark_value:
        line(d, std::string("h += (u64)") + kCNames[s.variable] + ";");
        break;
      case K::assign:
        line(d, assignment_c(s) + ";");
        break;
      case K::plain: {
        std::string v = kCNames[s.variable], w = kCNames[s.operand.variable];
        if (s.op == "lea") line(d, v + " = " + w + " + " + std::to_string(s.operand.number) + ";");
        if (s.op == "neg") line(d, v + " = -" + v + ";");
        if (s.op == "xchg")
          line(d, "{ long t = " + v + "; " + v + " = " + w + "; " + w + " = t; }");
        break;
      }
      case K::if_chain:
        for (std::size_t i = 0; i < s.conditions.size(); ++i) {
          std::string head = i == 0 ? "if (" : "} else if (";
          line(d, head + condition_c(*s.conditions[i]) + ") {");
          block_c(s.blocks[i], d + 1);
        }
        if (s.has_else) {
          line(d, "} else {");
          block_c(s.blocks.back(), d + 1);
        }
        line(d, "}");
        break;
      case K::while_loop:
        line(d, slot_c(s.id) + " = 0;");
        line(d, "while (" +
                    (s.conditions.empty() ? std::string("1") : condition_c(*s.conditions[0])) +
                    ") {");
        loop_guard_c(s.id, d + 1);
        block_c(s.blocks[0], d + 1);
        line(d, "}");
        break;
      case K::do_loop:
        line(d, slot_c(s.id) + " = 0;");
        line(d, "do {");
        loop_guard_c(s.id, d + 1);
        block_c(s.blocks[0], d + 1);
        line(d, "} while (" +
                    (s.conditions.empty() ? std::string("1") : condition_c(*s.conditions[0])) +
                    ");");
        break;
      case K::for_loop: {
        line(d, slot_c(s.id) + " = 0;");
        std::string condition = s.conditions.empty() ? "" : " " + condition_c(*s.conditions[0]);
        std::string step = s.step.empty() ? "" : " " + joined(s.step, assignment_c);
        line(d, "for (" + joined(s.init, assignment_c) + ";" + condition + ";" + step + ") {");
        loop_guard_c(s.id, d + 1);
        block_c(s.blocks[0], d + 1);
        line(d, "}");
        break;
      }
      case K::switch_block:
        line(d, std::string("switch (") + kCNames[s.variable] + ") {");
        for (std::size_t i = 0; i < s.cases.size(); ++i) {
          const CaseGroup& group = s.cases[i];
          if (group.values.empty()) line(d, "default:");
          for (int v : group.values) line(d, "case " + std::to_string(v) + ":");
          block_c(group.body, d + 1);
          // default: ends the case body before it, break or not; a default body
          // runs on into the next case body as in C.
          bool default_follows = i + 1 < s.cases.size() && s.cases[i + 1].values.empty();
          if (group.ends_with_break || (!group.values.empty() && default_follows))
            line(d + 1, "break;");
        }
        line(d, "}");
        break;
      case K::break_jump:
        line(d, "break;");
        break;
      case K::continue_jump:
        line(d, "continue;");
        break;
      case K::goto_jump:
        line(d, "goto L" + std::to_string(s.id) + ";");
        break;
      case K::label:
        out_ << "L" << s.id << ": ;\n";
        break;
      case K::return_jump:
        line(d, "return h;");
        break;
      case K::point:
        line(d, s.id ? "p = (long)&e;" : "p = 0;");
        break;
    }
  }

  const Function& function_;
  const CpuWords& w_;
  std::ostringstream out_;
};

}  // namespace

std::string seven_pp_function(const Function& function, Cpu cpu) {
  return Writer(function, cpu).seven_pp();
}
std::string c_function(const Function& function) {
  return Writer(function, Cpu::x86_64).c();
}

std::string seven_pp_file(const std::vector<Function>& functions, Cpu cpu) {
  std::string text = std::string(words_of(cpu).directive) + "\n";
  if (!functions.empty() && functions.front().in_order) text += ".inorder\n";
  text += words_of(cpu).syntax;
  text += "\t.section .note.GNU-stack,\"\",@progbits\n\t.text\n";
  for (const Function& f : functions) text += seven_pp_function(f, cpu);
  return text;
}

std::string c_file(const std::vector<Function>& functions) {
  std::ostringstream out;
  out << "#include <stdio.h>\n\ntypedef unsigned long u64;\n\n";
  for (const Function& f : functions) {
    out << "u64 vx_" << f.seed << "(long a, long b, long c, long d);\n" << c_function(f) << "\n";
  }
  out << "struct entry {\n  unsigned long seed;\n  u64 (*converted)(long, long, long, long);\n"
         "  u64 (*reference)(long, long, long, long);\n  long arguments[6][4];\n};\n\n"
         "static const struct entry entries[] = {\n";
  for (const Function& f : functions) {
    out << "  {" << f.seed << "UL, vx_" << f.seed << ", c_" << f.seed << ", {";
    for (std::size_t i = 0; i < f.arguments.size(); ++i) {
      out << (i ? ", " : "") << "{";
      for (std::size_t j = 0; j < 4; ++j) out << (j ? ", " : "") << f.arguments[i][j];
      out << "}";
    }
    out << "}},\n";
  }
  out << "};\n\n"
         "int main(void) {\n"
         "  int passed = 0, failed = 0;\n"
         "  for (unsigned i = 0; i < sizeof entries / sizeof entries[0]; ++i) {\n"
         "    const struct entry* e = &entries[i];\n"
         "    int agrees = 1;\n"
         "    for (int k = 0; k < 6; ++k) {\n"
         "      const long* x = e->arguments[k];\n"
         "      u64 got = e->converted(x[0], x[1], x[2], x[3]);\n"
         "      u64 want = e->reference(x[0], x[1], x[2], x[3]);\n"
         "      if (got != want) {\n"
         "        printf(\"seed %lu: arguments %ld %ld %ld %ld: converted %lu, C %lu\\n\",\n"
         "               e->seed, x[0], x[1], x[2], x[3], got, want);\n"
         "        agrees = 0;\n"
         "      }\n"
         "    }\n"
         "    if (agrees) ++passed; else ++failed;\n"
         "  }\n"
         "  printf(\"%d passed, %d failed\\n\", passed, failed);\n"
         "  return failed != 0;\n"
         "}\n";
  return out.str();
}

}  // namespace differential
