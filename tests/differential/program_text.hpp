// Writes one random function twice: as a .7pp function for the rules of
// examples/CPU/config.txt and as the equivalent C function, plus the C test
// harness that calls both on the same arguments and compares the hashes.
#pragma once

#include <string>
#include <vector>

#include "random_program.hpp"

namespace differential {

// Name of the generated functions: vx_SEED (converted) and c_SEED (C).
std::string seven_pp_function(const Function& function, Cpu cpu = Cpu::x86_64);
std::string c_function(const Function& function);

// The .7pp file: the CPU directive, the assembler's syntax lines and every function.
std::string seven_pp_file(const std::vector<Function>& functions, Cpu cpu = Cpu::x86_64);
// The C file: every C function and a main that compares vx_SEED with c_SEED
// for every argument tuple, prints each disagreement and a closing count.
std::string c_file(const std::vector<Function>& functions);

}  // namespace differential
