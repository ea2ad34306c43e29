// Layout normalisation: the line shapes the control pass expects. A "[case]" line
// follows every run of case lines, brace-less bodies get their closing "}" line,
// and a closing brace line takes up a following else line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/session.hpp"

namespace vonx {

// Inserts the "\t[case]\n" and "\t}\n" lines, takes the source directives ".line",
// ".block" and ".preprocessor" into the session (their lines are dropped) and checks
// that a line begins with the CPU directive (stops the run otherwise).
std::string layout_normalisation(FileSession& session, std::string_view text);

// Joins a line that begins with "}" with a following line that begins with "else".
std::string join_closing_braces(std::string_view text, std::size_t line_width);

}  // namespace vonx
