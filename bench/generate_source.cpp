// Writes a structured assembly source of a given number of statements for the
// benchmark: nested if / else if / else, while, for, do-while and switch blocks,
// compound conditions, constants, plain instruction lines and data lines with many
// operands, in the shape users write. The same seed always gives the same text.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

class SourceWriter {
 public:
  SourceWriter(unsigned seed, long statements, int defines)
      : random_(seed), budget_(statements), defines_(defines) {}

  void write() {
    std::printf(".bench\n");
    for (int i = 0; i < defines_; ++i) std::printf("#define LIMIT%d %d\n", i, i * 7);
    while (budget_ > 0) block(0);
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  std::string reg() {
    static const char* names[] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7"};
    return names[pick(8)];
  }
  // A register other than `left`: no rule translates a register compared with
  // or moved to itself, and the benchmark measures sources that convert.
  std::string other_reg(const std::string& left) {
    std::string right = reg();
    while (right == left) right = reg();
    return right;
  }
  std::string term() {
    static const char* ops[] = {"==", "!=", "<", "<=", ">", ">="};
    std::string left = reg();
    return left + " " + ops[pick(6)] + " " +
           (pick(2) || defines_ == 0 ? other_reg(left) : "LIMIT" + std::to_string(pick(defines_)));
  }
  std::string condition(int depth = 0) {
    switch (depth < 2 ? pick(5) : 0) {
      case 1:
        return condition(depth + 1) + " && " + condition(depth + 1);
      case 2:
        return condition(depth + 1) + " || " + condition(depth + 1);
      case 3:
        return "!(" + condition(depth + 1) + ")";
      default:
        return term();
    }
  }
  void indent(int depth) {
    for (int i = 0; i < depth; ++i) std::printf("    ");
  }
  void plain(int depth) {
    indent(depth);
    if (pick(16) == 0) {
      // A data line: many operands, one per comma.
      std::printf("db %d", pick(256));
      for (int i = 1 + pick(40); i > 0; --i) std::printf(",%d", pick(256));
      std::printf("\n");
    } else {
      std::string left = reg();
      std::printf("%s = %s\n", left.c_str(), pick(2) ? other_reg(left).c_str() : "LIMIT3");
    }
    --budget_;
  }
  void body(int depth) {
    int lines = 1 + pick(4);
    for (int i = 0; i < lines && budget_ > 0; ++i) block(depth);
  }
  void block(int depth) {
    int kind = depth < 6 ? pick(12) : 0;
    --budget_;
    switch (kind) {
      case 1:
        indent(depth), std::printf("if (%s) {\n", condition().c_str());
        body(depth + 1);
        indent(depth), std::printf("} else if (%s) {\n", condition().c_str());
        body(depth + 1);
        indent(depth), std::printf("} else {\n");
        body(depth + 1);
        indent(depth), std::printf("}\n");
        break;
      case 2:
        indent(depth), std::printf("while (%s) {\n", condition().c_str());
        body(depth + 1);
        indent(depth + 1), std::printf("break\n");
        indent(depth), std::printf("}\n");
        break;
      case 3:
        indent(depth), std::printf("for (r7 = 0; %s; r7++) {\n", condition().c_str());
        body(depth + 1);
        indent(depth + 1), std::printf("continue\n");
        indent(depth), std::printf("}\n");
        break;
      case 4:
        indent(depth), std::printf("do {\n");
        body(depth + 1);
        indent(depth), std::printf("} while (%s)\n", condition().c_str());
        break;
      case 5:
        indent(depth), std::printf("switch (%s) {\n", reg().c_str());
        for (int c = 0; c < 3; ++c) {
          indent(depth), std::printf("case %d:\n", c);
          body(depth + 1);
          if (pick(2)) indent(depth + 1), std::printf("break\n");
        }
        indent(depth), std::printf("default:\n");
        body(depth + 1);
        indent(depth), std::printf("}\n");
        break;
      default:
        plain(depth);
    }
  }

  std::mt19937 random_;
  long budget_;
  int defines_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: generate_source STATEMENTS [SEED [DEFINES]]\n");
    return 2;
  }
  long statements = std::atol(argv[1]);
  unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1u;
  int defines = argc > 3 ? std::atoi(argv[3]) : 20;
  SourceWriter(seed, statements, defines).write();
  return 0;
}
