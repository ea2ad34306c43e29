// differential_generator [--cpu=CPU] [--all | --avoid=NAME,...] [--inorder] [--remove=N,...]
//                        FOLDER SEED...
// differential_generator [--cpu=CPU] [--all | --avoid=NAME,...] [--inorder] --count SEED
//
// Writes FOLDER/programs.7pp (one function vx_SEED per seed, for the rules of
// examples/CPU/config.txt; CPU is x86-64, aarch64 or riscv64, x86-64 by default)
// and FOLDER/programs.c (the equivalent C functions c_SEED and a main that
// compares the two). A SEED is a number or a range FIRST-LAST.
//
// By default the constructs whose meaning in this language differs from C are
// left out (known_departures below); --all generates every construct, --avoid names
// the constructs to leave out instead. --remove drops the statements with
// these numbers from every program (see remove_statements); --count prints how
// many statements the program of SEED has. --inorder writes the programs with
// .inorder and reads through a pointer that is 0 or valid behind guards
// ("p != 0 && *p == 3") that only C's order of testing keeps from faulting.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "program_text.hpp"
#include "random_program.hpp"

namespace {

using differential::Construct;

// Constructs left out unless --all or --avoid says otherwise: none. (A case
// body that runs into default: ends there, by the design of the language; the C
// twin says so with a break.)
const std::set<Construct> known_departures = {};

int usage() {
  std::cerr << "usage: differential_generator [--cpu=CPU] [--all | --avoid=NAME,...] [--inorder] "
               "[--remove=N,...] FOLDER SEED...\n"
               "       differential_generator [--cpu=CPU] [--all | --avoid=NAME,...] [--inorder] "
               "--count SEED\n"
               "  SEED is a number or a range FIRST-LAST; CPUs:";
  for (const auto& [name, cpu] : differential::cpu_names()) std::cerr << " " << name;
  std::cerr << "; constructs:";
  for (const auto& [name, construct] : differential::construct_names()) std::cerr << " " << name;
  std::cerr << "\n";
  return 2;
}

bool parse_cpu(const std::string& name, differential::Cpu& cpu) {
  for (const auto& [known, value] : differential::cpu_names())
    if (known == name) {
      cpu = value;
      return true;
    }
  return false;
}

bool parse_avoid(const std::string& list, std::set<Construct>& avoided) {
  avoided.clear();
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    if (item.empty()) continue;
    bool found = false;
    for (const auto& [name, construct] : differential::construct_names())
      if (name == item) avoided.insert(construct), found = true;
    if (!found) return false;
  }
  return true;
}

bool parse_seeds(const std::string& word, std::vector<unsigned long>& seeds) {
  char* end = nullptr;
  unsigned long first = std::strtoul(word.c_str(), &end, 10);
  if (end == word.c_str()) return false;
  unsigned long last = first;
  if (*end == '-') {
    const char* rest = end + 1;
    last = std::strtoul(rest, &end, 10);
    if (end == rest || last < first) return false;
  }
  if (*end != '\0') return false;
  for (unsigned long s = first; s <= last; ++s) seeds.push_back(s);
  return true;
}

bool write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::set<Construct> avoided = known_departures;
  std::set<int> removed;
  bool count_only = false;
  bool in_order = false;
  differential::Cpu cpu = differential::Cpu::x86_64;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--all") {
      avoided.clear();
    } else if (arg.rfind("--avoid=", 0) == 0) {
      if (!parse_avoid(arg.substr(8), avoided)) return usage();
    } else if (arg.rfind("--remove=", 0) == 0) {
      std::stringstream items(arg.substr(9));
      std::string item;
      while (std::getline(items, item, ','))
        if (!item.empty()) removed.insert(std::atoi(item.c_str()));
    } else if (arg.rfind("--cpu=", 0) == 0) {
      if (!parse_cpu(arg.substr(6), cpu)) return usage();
    } else if (arg == "--inorder") {
      in_order = true;
    } else if (arg == "--count") {
      count_only = true;
    } else {
      words.push_back(arg);
    }
  }
  std::vector<unsigned long> seeds;
  if (count_only) {
    if (words.size() != 1 || !parse_seeds(words[0], seeds) || seeds.size() != 1) return usage();
    std::cout << differential::count_statements(
                     differential::random_function(seeds[0], avoided, in_order, cpu))
              << "\n";
    return 0;
  }
  if (words.size() < 2) return usage();
  for (std::size_t i = 1; i < words.size(); ++i)
    if (!parse_seeds(words[i], seeds)) return usage();

  std::vector<differential::Function> functions;
  for (unsigned long seed : seeds) {
    functions.push_back(differential::random_function(seed, avoided, in_order, cpu));
    differential::remove_statements(functions.back(), removed);
  }
  const std::string& folder = words[0];
  if (!write_file(folder + "/programs.7pp", differential::seven_pp_file(functions, cpu)) ||
      !write_file(folder + "/programs.c", differential::c_file(functions))) {
    std::cerr << "differential_generator: cannot write into " << folder << "\n";
    return 1;
  }
  return 0;
}
