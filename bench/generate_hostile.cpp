// Writes the inputs of one growth row of the benchmark into a folder: a source
// prog.7pp, its config.txt and any include files, in a shape that once made the
// work grow with the square of its size.
//   rules N       a section of N rules
//   long-word N   a defined name inside a word of N letters
//   uses N        one defined name used N times on one line
//   quoted N      one defined name quoted N times on one line, then used once
//   chain N       N files, each including the next
//   flat N        one file including N files
//   long-line N   one line of N bytes: an instruction with N / 2 operand words
//   tall-rule N   a rule of N pattern lines over 5,000 lines that it matches
//   rule-bytes N  a source of the same bytes as the rules of "rules N", under one rule
//   nested N      a rule that writes each line of one token twice, over such a line and
//                 a line of N nested "(": 10 + N call passes, until the work limit
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

void write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string include_line(const std::string& dir, long i) {
  return "#include \"" + dir + "/inc" + std::to_string(i) + ".inc\"\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(
        stderr,
        "usage: generate_hostile "
        "rules|long-word|uses|quoted|chain|flat|long-line|tall-rule|rule-bytes|nested N FOLDER\n");
    return 2;
  }
  std::string shape = argv[1];
  long n = std::atol(argv[2]);
  std::string dir = argv[3];
  std::string config = ".bench\n#nop:nop\n";
  std::string source = ".bench\n";
  if (shape == "rules") {
    for (long i = 0; i < n; ++i) {
      std::string op = "op" + std::to_string(i);
      config += "#" + op + " <imm>:" + op + " #<imm>\n";
    }
    source += "op7 5\n";
  } else if (shape == "long-word") {
    source += "#define A 1\n" + std::string(static_cast<std::size_t>(n), 'A') + "\n";
  } else if (shape == "uses") {
    source += "#define A 1\n";
    for (long i = 0; i < n; ++i) source += "A ";
    source += "\n";
  } else if (shape == "quoted") {
    source += "#define A 1\n";
    for (long i = 0; i < n; ++i) source += "\"A\" ";
    source += "A\n";
  } else if (shape == "chain") {
    source += include_line(dir, 0);
    for (long i = 0; i < n; ++i)
      write(dir + "/inc" + std::to_string(i) + ".inc",
            "nop\n" + (i + 1 < n ? include_line(dir, i + 1) : std::string()));
  } else if (shape == "flat") {
    for (long i = 0; i < n; ++i) {
      source += include_line(dir, i);
      write(dir + "/inc" + std::to_string(i) + ".inc", "nop\n");
    }
  } else if (shape == "rule-bytes") {
    for (long i = 0; i < n; ++i) {
      std::string op = "op" + std::to_string(i);
      source += " " + op + "  imm :" + op + " # imm \n";
    }
  } else if (shape == "nested") {
    config += "#<c>:x:y\n";
    source += "x\nq " + std::string(static_cast<std::size_t>(n), '(') + "1" +
              std::string(static_cast<std::size_t>(n), ')') + "\n";
  } else if (shape == "long-line") {
    source += "mov";
    for (long i = 0; i < n / 2; ++i) source += " a";
    source += "\n";
  } else if (shape == "tall-rule") {
    // Three replacement lines make the matching window high enough for the rule.
    config += "#mark <a>:marked <a>\n";
    for (long i = 1; i < n; ++i) config += "mark <a>\n";
    config += ":nop\n:nop\n";
    for (long i = 0; i < 5000; ++i) source += "mark 1\n";
  } else {
    std::fprintf(stderr, "generate_hostile: unknown shape %s\n", shape.c_str());
    return 2;
  }
  config += "#\n";
  write(dir + "/config.txt", config);
  write(dir + "/prog.7pp", source);
  return 0;
}
