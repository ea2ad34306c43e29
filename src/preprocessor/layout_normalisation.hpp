// Layout normalisation: the line shapes the control pass expects. A "[case]" line
// follows every run of case lines, brace-less bodies get their closing "}" line,
// and a closing brace line takes up a following else line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Inserts the "\t[case]\n" and "\t}\n" lines, takes the source directives ".line",
// ".block", ".inorder", ".optimize" and ".preprocessor" into the session (their lines are
// dropped) and checks that a line begins with the CPU directive (stops the run
// otherwise). A "[case]" line comes from the last case line before it, a closing
// line from the header of the body it ends.
WorkText layout_normalisation(FileSession& session, const WorkText& text);

// Joins a line that begins with "}" with a following line that begins with "else";
// the joined line comes from the "}" line.
WorkText join_closing_braces(const WorkText& text, std::size_t line_width);

}  // namespace vonx
