// The command line: options in the GNU form, anywhere among the file names;
// "--" ends them. Started with file names only, nothing changes.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "common/session.hpp"

namespace vonx {

// The name "-": standard input where it names the source, standard output where
// it names the output (-o) or the dependency file (-MF).
inline constexpr std::string_view kStandardStream = "-";

struct Options {
  std::vector<std::string> file_names;
  bool show_help = false;     // -h, --help
  bool show_version = false;  // --version
  bool quiet = false;         // -q, --quiet: nothing on standard output
  bool no_wait = false;       // --no-wait: never wait for a key
  ConversionOptions conversion;
  std::string usage_error;  // not empty: the command line is wrong; nothing is converted

  // A source is "-": the run reads standard input.
  bool reads_standard_input() const {
    return std::ranges::find(file_names, kStandardStream) != file_names.end();
  }
};

// Reads the words after the program name. Stops at -h/--help or --version (what
// follows is not examined) and at the first wrong word.
Options parse_options(const std::vector<std::string>& words);

// The text -h/--help prints.
std::string usage_text();

}  // namespace vonx
