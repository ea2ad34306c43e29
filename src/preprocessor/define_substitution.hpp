// The substitution sweeps: the #define constants are replaced in the text, one
// occurrence per line and entry per sweep, until a sweep changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "preprocessor/define_table.hpp"

namespace vonx {

// One sweep over the text into `out`. #define lines fill the table and #undef
// lines empty entries (neither is written); every other line is tested against
// the entries in table order and the first entry that applies replaces one
// occurrence. Returns whether a replacement asks for another sweep. A whole-word
// replacement by an entry marked in `endless` stops the run with define_cycle; a
// text that grows past the file's work limit stops the file (work_limit_define).
bool substitute_sweep(FileSession& session, DefineTable& table, const WorkText& text, WorkText& out,
                      const std::vector<bool>& endless = {});

// Sweeps until one changes nothing, starting from an empty table. Stops the run
// with define_cycle as soon as a replacement by names defined through each other
// is made, or when the sweeps come back to an earlier text or a line grows without
// end: such names would never settle.
WorkText substitute_defines(FileSession& session, const WorkText& text);

}  // namespace vonx
