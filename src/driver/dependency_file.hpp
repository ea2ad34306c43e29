// The make dependency file of one conversion, in the form compilers write with
// -MD -MP: one rule naming every file the output was made from, then an empty
// rule for each of them but the source, so that make goes on when one is removed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vonx {

// "OUTPUT: SOURCE PREREQUISITE…" with long lines continued by " \", and an empty
// rule for every prerequisite but the source: the first, unless the source was
// no file (standard input). Names are escaped for make: a blank as "\ ", "$" as
// "$$", "#" as "\#".
std::string dependency_rules(std::string_view output, const std::vector<std::string>& prerequisites,
                             bool first_is_source = true);

// Beside the output: its name with the extension replaced by ".d".
std::string dependency_path_of(std::string_view output_path);

}  // namespace vonx
