// The generator must write the same program twice: a fault here would make the
// differential test report agreement (or disagreement) that the converter did
// not earn. These tests pin the places where the two languages differ.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

#include "program_text.hpp"
#include "random_program.hpp"

namespace differential {
namespace {

std::unique_ptr<Condition> term(int variable, const std::string& op, int number) {
  auto c = std::make_unique<Condition>();
  c->kind = Condition::Kind::comparison;
  c->comparison.left = Operand{variable, 0};
  c->comparison.op = op;
  c->comparison.right = Operand{-1, number};
  return c;
}

std::unique_ptr<Condition> join(Condition::Kind kind, std::unique_ptr<Condition> left,
                                std::unique_ptr<Condition> right) {
  auto c = std::make_unique<Condition>();
  c->kind = kind;
  c->left = std::move(left);
  c->right = std::move(right);
  return c;
}

std::unique_ptr<Condition> negate(std::unique_ptr<Condition> inner) {
  auto c = std::make_unique<Condition>();
  c->kind = Condition::Kind::negation;
  c->left = std::move(inner);
  return c;
}

// A function whose body is one if statement with the given condition.
Function with_condition(std::unique_ptr<Condition> condition) {
  Function f;
  f.seed = 7;
  auto s = std::make_unique<Statement>();
  s->kind = Statement::Kind::if_chain;
  s->conditions.push_back(std::move(condition));
  s->blocks.emplace_back();
  f.body.push_back(std::move(s));
  return f;
}

std::string if_line(const std::string& text) {
  std::smatch m;
  std::regex_search(text, m, std::regex("if \\((.*)\\) \\{"));
  return m[1];
}

TEST(ProgramText, ConditionsKeepTheirMeaningInBothLanguages) {
  using K = Condition::Kind;
  struct Case {
    const char* name;
    std::function<std::unique_ptr<Condition>()> make;
    const char* seven_pp;
    const char* c;
  };
  const Case cases[] = {
      {"a lone comparison is never put in parentheses",
       [] {
         auto t = term(0, "<", 3);
         t->parenthesised = true;
         return t;
       },
       "rdi < 3", "(a < (long)3)"},
      {"a negated comparison negates the whole comparison", [] { return negate(term(1, "==", 2)); },
       "!rsi == 2", "!(b == (long)2)"},
      {"an or inside an and keeps its parentheses",
       [] {
         return join(K::conjunction, join(K::disjunction, term(0, "==", 1), term(1, "==", 2)),
                     term(2, "!=", 0));
       },
       "(rdi == 1 || rsi == 2) && rdx != 0",
       "(((a == (long)1) || (b == (long)2)) && (c != (long)0))"},
      {"a negated compound condition is put in parentheses",
       [] { return negate(join(K::disjunction, term(0, "u<", 1), term(4, ">=", -2))); },
       "!(rdi u< 1 || qword ptr [rsp - 8] >= -2)",
       "!(((unsigned long)a < (unsigned long)(long)1) || (e >= (long)-2))"},
      {"a lone register is true when it is not zero",
       [] {
         auto t = term(3, "", 0);
         return negate(std::move(t));
       },
       "!rcx", "!(d != 0)"},
  };
  for (const Case& c : cases) {
    Function f = with_condition(c.make());
    EXPECT_EQ(if_line(seven_pp_function(f)), c.seven_pp) << c.name;
    EXPECT_EQ(if_line(c_function(f)), c.c) << c.name;
  }
}

TEST(ProgramText, EveryLoopCountsItsTurnsFirst) {
  // Over many seeds: each loop header is preceded by the reset of its slot and
  // followed by the count, so no program can run forever.
  for (std::uint64_t seed = 1; seed <= 200; ++seed) {
    std::string text = seven_pp_function(random_function(seed, {}));
    std::regex header(
        "\t*(qword ptr \\[rsp - [0-9]+\\]) = 0\n\t*(while|for|do)[^\n]*\\{\n\t*(qword ptr \\[rsp - "
        "[0-9]+\\])\\+\\+\n");
    std::size_t headers = 0;
    for (std::size_t at = 0; (at = text.find("while (", at)) != std::string::npos; ++at)
      if (text.compare(at - 2, 2, "} ") != 0) ++headers;  // "} while" closes a do loop
    for (std::size_t at = 0; (at = text.find("for (", at)) != std::string::npos; ++at) ++headers;
    for (std::size_t at = 0; (at = text.find("do {", at)) != std::string::npos; ++at) ++headers;
    std::size_t guarded = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), header);
         it != std::sregex_iterator(); ++it) {
      EXPECT_EQ((*it)[1], (*it)[3]) << "seed " << seed;
      ++guarded;
    }
    EXPECT_EQ(guarded, headers) << "seed " << seed;
  }
}

// Visits every case group of every switch in a block.
void each_switch(const Block& block, const std::function<void(const Statement&, bool)>& visit,
                 bool in_case = false) {
  for (const auto& s : block) {
    if (s->kind == Statement::Kind::switch_block) visit(*s, in_case);
    for (const Block& inner : s->blocks) each_switch(inner, visit, in_case);
    for (const CaseGroup& group : s->cases) each_switch(group.body, visit, true);
  }
}

TEST(RandomProgram, AvoidedConstructsDoNotAppear) {
  const std::set<Construct> avoided = {
      Construct::break_before_case_end, Construct::fall_into_default,
      Construct::nested_default_break, Construct::default_only_switch,
      Construct::default_before_case};
  int switches = 0;
  for (std::uint64_t seed = 1; seed <= 500; ++seed) {
    Function f = random_function(seed, avoided);
    each_switch(f.body, [&](const Statement& s, bool in_case) {
      ++switches;
      EXPECT_FALSE(s.cases.empty() || s.cases.front().values.empty()) << "seed " << seed;
      for (std::size_t g = 0; g < s.cases.size(); ++g) {
        const CaseGroup& group = s.cases[g];
        for (const auto& inner : group.body)
          EXPECT_NE(inner->kind, Statement::Kind::break_jump) << "seed " << seed;
        if (!group.values.empty()) continue;
        if (g > 0) {
          EXPECT_TRUE(s.cases[g - 1].ends_with_break) << "seed " << seed;
        }
        if (in_case) {
          EXPECT_FALSE(group.ends_with_break) << "seed " << seed;
        }
      }
    });
  }
  EXPECT_GT(switches, 100);  // the property was really exercised
}

// Without unreachable code no statement follows a jump in its block (nor, at
// the top, before the next label), and no unsigned comparison has 0 or -1,
// which can fix its value.
TEST(RandomProgram, UnreachableCodeLeftOut) {
  using Kind = Statement::Kind;
  const auto jumps = [](const Statement& s) {
    return s.kind == Kind::break_jump || s.kind == Kind::continue_jump ||
           s.kind == Kind::goto_jump || s.kind == Kind::return_jump;
  };
  std::function<void(const Condition&)> check_condition = [&](const Condition& c) {
    if (c.kind == Condition::Kind::comparison && c.comparison.op.starts_with('u')) {
      for (const Operand& side : {c.comparison.left, c.comparison.right}) {
        EXPECT_FALSE(side.variable < 0 && (side.number == 0 || side.number == -1));
      }
    }
    for (const auto* inner : {c.left.get(), c.right.get()})
      if (inner) check_condition(*inner);
  };
  std::function<void(const Block&)> check_block = [&](const Block& block) {
    for (std::size_t i = 0; i < block.size(); ++i) {
      const Statement& s = *block[i];
      if (jumps(s) && i + 1 < block.size()) {
        EXPECT_TRUE(block[i + 1]->kind == Kind::label);
      }
      for (const auto& c : s.conditions) check_condition(*c);
      for (const Block& inner : s.blocks) check_block(inner);
      for (const CaseGroup& group : s.cases) check_block(group.body);
    }
  };
  for (std::uint64_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE(seed);
    check_block(random_function(seed, {Construct::unreachable_code}).body);
  }
}

// default: ends the case body before it, break or not; a default body without
// break runs on into the next case body in both languages.
TEST(ProgramText, DefaultEndsTheCaseBodyBeforeIt) {
  auto group = [](std::vector<int> values, bool ends_with_break) {
    CaseGroup g;
    g.values = std::move(values);
    g.ends_with_break = ends_with_break;
    return g;
  };
  Function f;
  f.seed = 7;
  auto s = std::make_unique<Statement>();
  s->kind = Statement::Kind::switch_block;
  s->cases.push_back(group({1}, false));
  s->cases.push_back(group({}, false));
  s->cases.push_back(group({2}, false));
  f.body.push_back(std::move(s));
  std::string c = c_function(f);
  EXPECT_NE(c.find("case 1:\n\t\tbreak;\n\tdefault:\n\tcase 2:\n\t}"), std::string::npos) << c;
  std::string seven_pp = seven_pp_function(f);
  EXPECT_NE(seven_pp.find("case 1:\n\tdefault:\n\tcase 2:\n\t}"), std::string::npos) << seven_pp;
}

// On a load/store CPU e lives in a register, and a read through p reads e's
// memory cell: every statement that writes e stores it at once, and no for
// header (whose pieces are single statements) writes it.
TEST(ProgramText, LoadStoreCpusStoreEAfterEveryWrite) {
  struct Target {
    Cpu cpu;
    std::string e;
    std::string store;
  } targets[] = {{Cpu::aarch64, "x4", "str x4, [x10, 0]"}, {Cpu::riscv64, "a4", "sd a4, 0(a6)"}};
  for (const Target& target : targets) {
    int writes = 0;
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
      std::string text = seven_pp_function(random_function(seed, {}, true, target.cpu), target.cpu);
      std::istringstream lines(text);
      std::string line;
      bool store_due = false;
      const std::string writes_e[] = {
          target.e + " = ", target.e + " += ", target.e + " -= ", target.e + "++", target.e + "--"};
      while (std::getline(lines, line)) {
        const std::string code = line.substr(line.find_first_not_of('\t'));
        if (store_due) {
          EXPECT_EQ(code, target.store) << "seed " << seed;
        }
        store_due = false;
        for (const std::string& write : writes_e) {
          if (code.starts_with("for (")) {
            EXPECT_EQ(code.find(write), std::string::npos) << "seed " << seed << ": " << code;
          } else if (code.starts_with(write)) {
            store_due = true;
          }
        }
        writes += store_due;
      }
    }
    EXPECT_GT(writes, 200);  // the property was really exercised
  }
}

TEST(RandomProgram, SameSeedSameProgram) {
  std::string first = seven_pp_function(random_function(42, {}));
  EXPECT_EQ(first, seven_pp_function(random_function(42, {})));
  EXPECT_NE(first, seven_pp_function(random_function(43, {})));
}

TEST(RandomProgram, RemovingStatementsKeepsTheOthersNumbers) {
  for (std::uint64_t seed = 1; seed <= 50; ++seed) {
    Function whole = random_function(seed, {});
    int count = count_statements(whole);
    // Removing everything leaves nothing; removing the first statement of the
    // body takes exactly its subtree along.
    Function emptied = random_function(seed, {});
    std::set<int> all;
    for (int i = 0; i < count; ++i) all.insert(i);
    remove_statements(emptied, all);
    EXPECT_TRUE(emptied.body.empty());

    Function trimmed = random_function(seed, {});
    Block first;
    first.push_back(std::move(whole.body.front()));
    Function only_first;
    only_first.body = std::move(first);
    int subtree = count_statements(only_first);
    // Numbers name statements of the whole program: the last number stays the
    // last statement even when the first statement's subtree goes too.
    std::set<int> removed = {0};
    if (count - 1 >= subtree) removed.insert(count - 1);
    remove_statements(trimmed, removed);
    EXPECT_EQ(count_statements(trimmed), count - subtree - static_cast<int>(removed.size() - 1))
        << "seed " << seed;
  }
}

}  // namespace
}  // namespace differential
