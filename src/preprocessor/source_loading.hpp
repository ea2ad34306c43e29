// Source loading: one source file becomes a single comment-free text with every
// included file copied in; the CPU directive of that text selects the rule section.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/session.hpp"
#include "common/work_text.hpp"

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

// Reads the source, removes its comments and expands its includes. Sets source_stem.
WorkText load_source(FileSession& session);
// The same for a source already read (as the driver reads it to measure it).
WorkText load_source(FileSession& session, std::string_view source);

// Number of lines that begin, after white space, with "#define" or "#undef".
std::size_t count_defines(std::string_view text, std::size_t line_width);

// The directive text of the first line beginning with "." (cut at "//", else at
// "/*", trailing white space removed), checked against the rule file's lines.
// Stops the run when it is empty or no line of config.txt begins with it.
std::string find_cpu_directive(FileSession& session, const WorkText& text);

}  // namespace vonx
