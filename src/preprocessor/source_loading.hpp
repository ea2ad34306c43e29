// Source loading: one source file becomes a single comment-free text with every
// included file copied in; the CPU directive of that text selects the rule section.
#pragma once

#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// The path up to (not including) the first ".7pp" of the base name, letter case
// ignored; empty when the base name holds no ".7pp".
std::string source_stem_of(std::string_view path);

// Removes "//" line comments and "/* */" block comments; quotes are not recognised.
// A line joined around a block comment keeps the origin of the line it began on.
WorkText remove_comments(const WorkText& text);

// Repeats include expansion passes until a pass changes nothing. Each file is
// included at most once per source; a file that cannot be opened stops the run.
// Each included file joins session.origin_files and its lines keep their numbers.
WorkText expand_includes(FileSession& session, const WorkText& text);

// Removes the comments of the source (as the driver read it to measure it) and
// expands its includes. Sets source_stem.
WorkText load_source(FileSession& session, std::string_view source);

// The directive text of the first line beginning with "." (cut at "//", else at
// "/*", trailing white space removed), checked against the rule file's lines.
// Stops the run when it is empty or no line of config.txt begins with it.
std::string find_cpu_directive(FileSession& session, const WorkText& text);

}  // namespace vonx
