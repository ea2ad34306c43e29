// vonx: converts structured assembly sources (.7pp) into assembler text for the
// target that config.txt, kept beside the program, describes.
#include <iostream>
#include <string>
#include <vector>

#include "driver/run_driver.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> file_names(argv + (argc > 0 ? 1 : 0), argv + argc);
  vonx::Console console(std::cout, std::cin, std::cerr);
  return vonx::run_program(file_names, vonx::find_program_dir(argc > 0 ? argv[0] : nullptr),
                           console);
}
