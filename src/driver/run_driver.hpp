// The run driver: the banner, the rule file check and the conversion of every
// file named on the command line, one after another.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/session.hpp"
#include "driver/options.hpp"

namespace vonx {

// Runs the whole program for the words after the program name; returns the exit
// status: 0, 1 when a file failed, 2 for a wrong command line (nothing converted).
int run_command_line(const std::vector<std::string>& words, std::string program_dir,
                     Console& console);

// Converts the files the options name; returns the exit status.
// Every fatal stop ends here: the message has been printed, the wait follows.
int run_program(const Options& options, std::string program_dir, Console& console);

// Converts one source file. Returns normally to go on with the next file (with
// session.failed telling whether the file failed); throws FatalStop to end the run.
// Once the output is named, a file that stops leaves no output of an earlier run
// behind, unless the pass that ended the run left the output what it had lowered.
// With `from_standard_input` the source's text is read from standard input; the
// session names it "<stdin>", its includes are found from the current folder and
// the make rule names no source.
void run_source_file(FileSession& session, bool from_standard_input = false);

// Reads the section's settings, once for every pass, and names the output: -o
// names the output of the one source; otherwise it sits beside the source, the
// stem's base name up to its first ".", then "." and the section's extension (so
// "prog.v2.7pp" gives "prog.<ext>").
void name_output_file(FileSession& session);

// 3 x the larger of (longest source line + 1) and the longest config.txt line;
// a last line without a line end is not measured.
std::size_t measure_line_width(std::string_view source, std::string_view config);

// The directory of the running program, ending with a separator: from the
// executable's own path when the platform tells it, else from argv[0].
std::string find_program_dir(const char* argv0);

}  // namespace vonx
