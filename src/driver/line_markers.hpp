// Line markers (-g): after translation, lines in the rule section's marker form
// are written among the output lines, so that the assembler, and the debugger
// after it, name the source file and line each instruction came from. No rule
// ever sees them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/rule_section.hpp"
#include "common/session.hpp"

namespace vonx {

// The translated text with markers: `settings.line_mark_text` with "<line>",
// "<file>", "<rawfile>" and "<fileno>" filled in, before each line whose origin
// the assembler would not know otherwise. A "#linemark=" marker holds until the
// next one, so it goes where a line's origin differs from the last marker's; a
// "#linecount=" marker names the line after it, and the assembler counts on from
// there, so it goes where a line's origin is not the one counted. Before the first
// marker naming a file stands `settings.line_file_text`, when there is one.
// Lines from no file (line 0) get no marker. `files` are the names of
// LineOrigin::file. The markers take the origin of the line they stand before.
// Nothing when the text would grow past `limit` bytes.
std::optional<WorkText> with_line_markers(const WorkText& text, const SectionSettings& settings,
                                          std::span<const std::string> files, std::size_t limit);

// A file name inside a C-style string, as GNU as reads one: "\" and the double
// quote preceded by "\", other control bytes as three octal digits.
std::string c_string_name(std::string_view name);

// The -g step of one file: the markers written into the translated text, or,
// when the rule section has no marker form, the source numbers its lines
// (".line") or the markers would make the text grow past the file's work limit,
// a warning on standard error and the text as it was.
void add_line_markers(FileSession& session, WorkText& translated);

}  // namespace vonx
