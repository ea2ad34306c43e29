// Jump tightening (-O, ".optimize"): the lowered text with fewer jumps and the
// same meaning, before it reaches the rules. A jump whose label stands right
// after it is dropped, a jump to a label whose next instruction is a jump goes
// straight to that jump's label, a jump that nothing can reach is dropped, and
// the marker of a term says which of its labels is the next line, so that the
// rules may write a test that branches one way only.
#pragma once

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Tightens the text the control pass wrote. Only the lines lowering writes are
// touched: goto lines and break and continue lines to its labels, term lines and
// its label lines. Every other line, a label of the user's own among them, stays
// where it is and ends what the tightening may look past. Labels stay, whether
// anything jumps to them or not. A line kept keeps its origin.
WorkText tighten_jumps(const FileSession& session, const WorkText& lowered);

}  // namespace vonx
