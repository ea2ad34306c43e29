// vonx: converts structured assembly sources (.7pp) into assembler text for the
// target that config.txt beside the program (or the rule file of -r) describes.
#include <iostream>
#include <string>
#include <vector>

#include "driver/run_driver.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  vonx::Console console(std::cout, std::cin, std::cerr);
  return vonx::run_command_line(words, vonx::find_program_dir(argc > 0 ? argv[0] : nullptr),
                                console);
}
