// vonx: converts structured assembly sources (.7pp) into assembler text for the
// target that config.txt beside the program (or the rule file of -r) describes.
#include <iostream>
#include <string>
#include <vector>

#include "common/platform.hpp"
#include "driver/run_driver.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> words = vonx::command_line_words(argc, argv);
  vonx::use_binary_console_output();
  bool unicode = vonx::console_reads_unicode();
  vonx::Console console(vonx::console_stream(unicode), std::cin, vonx::error_stream(), unicode,
                        vonx::standard_input_is_terminal());
  std::vector<std::string> arguments(words.begin() + (words.empty() ? 0 : 1), words.end());
  return vonx::run_command_line(
      arguments, vonx::find_program_dir(words.empty() ? nullptr : words[0].c_str()), console);
}
