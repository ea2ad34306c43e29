// The work text of the macro pass: the lowered program, checked for angle
// brackets that do not pair up, without its CPU directive lines.
#pragma once

#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Reports every line whose angle brackets do not pair up (lines with a jump
// marker are not checked), each at its line of the source on both channels,
// then stops the run if any did.
void check_angle_brackets(FileSession& session, const WorkText& lowered);

// Reports every line whose statement or term names a scratch register of the
// section ("#scratch="): the rules may overwrite it between the source's own
// instructions. The message follows the line in the text returned; the
// conversion goes on, and the file fails.
WorkText check_scratch_registers(FileSession& session, WorkText work_text);

// The lowered text without the lines that begin with the CPU directive.
WorkText without_directive_lines(const FileSession& session, const WorkText& lowered);

}  // namespace vonx
