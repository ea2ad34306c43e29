// The shortcuts of the #define sweeps: tables and texts whose sweeps can be
// foreseen are settled without running every sweep, with the same result and the
// same stops. Each answers nothing when its text or table needs the sweeps.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "preprocessor/define_sweep_bounds.hpp"
#include "preprocessor/define_table.hpp"

namespace vonx {

// The rings of a table of definitions (A's value uses B, B's value uses A).
struct DefineRings {
  // Entries that sit on a ring, where a replacement by one of them certainly never
  // settles: each of its replacements puts the next name of the ring into the
  // line, whole and outside quotes, and nothing else can take it away. None is
  // marked unless every live name is one word of name characters without
  // parameters; values that hold a quote or their own name make no ring.
  std::vector<bool> endless;
  // The rings are all there is: every live name is one word of name characters
  // (no name hides inside another and none takes parameters) and every value
  // holds no quote, not its own name (which would set the self flag) and ends on
  // a whole character. A replacement then puts in only the names its value uses,
  // so the sweeps settle unless they reach a ring: nothing else is a cycle, and
  // only the work limit ends a text that grows. Otherwise the line and sweep
  // bounds of the sweeps also take a text for a cycle.
  bool exact = false;
};
DefineRings define_rings(const std::vector<DefineEntry>& entries);

// The sweeps' end in one walk for a table of plain words (see PlainExpansion), or
// nothing when the table or the text (a #define or #undef line left) needs sweeps.
std::optional<WorkText> settle_plain_table(FileSession& session, const DefineTable& table,
                                           const std::vector<bool>& endless, const WorkText& text);

// The sweeps' end line by line, or nothing when lines depend on each other. After
// the first sweep the table is complete; when no #define or #undef line is left
// and no value holds its own name, no self flag is ever set, so what a sweep does
// to a line depends on that line alone. Each line is then swept until it
// settles, with the bounds of the sweeps, and the lines that settled are not read
// again while one line still changes.
std::optional<WorkText> settle_lines_apart(FileSession& session, DefineTable& table,
                                           const std::vector<bool>& endless, const WorkText& text,
                                           std::size_t line_bound, std::size_t sweep_bound,
                                           SweepReading& reading);

}  // namespace vonx
