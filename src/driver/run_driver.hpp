// The run driver: the banner, the rule file check and the conversion of every
// file named on the command line, one after another.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/session.hpp"

namespace vonx {

// Runs the whole program for the given file names; returns the exit status.
// Every fatal stop ends here: the message has been printed, the wait follows.
int run_program(const std::vector<std::string>& file_names, std::string program_dir,
                Console& console);

// Converts one source file. Returns normally to go on with the next file (with
// session.failed telling whether the file failed); throws FatalStop to end the run.
void run_source_file(FileSession& session);

// 3 x the larger of (longest source line + 1) and the longest config.txt line;
// a last line without a line end is not measured.
std::size_t measure_line_width(std::string_view source, std::string_view config);

// The directory of the running program, ending with a separator: from the
// executable's own path when the platform tells it, else from argv[0].
std::string find_program_dir(const char* argv0);

}  // namespace vonx
