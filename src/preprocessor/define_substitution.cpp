#include "preprocessor/define_substitution.hpp"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "preprocessor/define_entry.hpp"
#include "preprocessor/define_shortcuts.hpp"
#include "preprocessor/define_sweep_bounds.hpp"

namespace vonx {

namespace {

std::size_t longest_line(std::string_view text) {
  std::size_t longest = 0;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) longest = std::max(longest, line.size());
  return longest;
}

// Where sweeps that go on are reported: the first line the last sweep changed.
WorkLine first_changed_line(const WorkText& before, const WorkText& after) {
  const WorkLines new_lines(after);
  WorkLines::iterator changed = new_lines.begin();
  WorkLine found{};
  for (WorkLine old : lines_of(before)) {
    found.line = old.line;
    if (changed == new_lines.end()) break;
    found.origin = (*changed).origin;
    if (old.line != (*changed).line) break;
    ++changed;
  }
  return found;
}

}  // namespace

bool substitute_sweep(FileSession& session, DefineTable& table, const WorkText& text,
                      WorkText& next, const std::vector<bool>& endless) {
  const std::size_t width = session.line_width;
  bool changed = false;
  std::string out;
  out.reserve(text.text.size());
  OriginRecorder origins(out);
  EntryIndex index;
  for (auto [line, origin] : lines_of(text)) {
    if (is_define_line(line, width)) {
      DefineLine define = read_define_line(line, width);
      if (table.defined(define.name)) {
        out += without_newline(line);
        out += '\n';
        report_redefinition(session, define.name, origin, &out);
      } else {
        table.add(std::move(define.name), std::move(define.value));
      }
    } else if (is_undef_line(line, width)) {
      table.undefine(undef_name(line, width));
      index.forget();
    } else if (std::optional<Applied> applied = substitute_line(table, index, line, out)) {
      const DefineEntry& entry = table.entries()[applied->entry];
      if (!entry.self) changed = true;
      if (applied->plain && applied->entry < endless.size() && endless[applied->entry])
        stop_cycle(session, origin, line);
      // Definitions that double the text with every sweep would fill the memory.
      if (out.size() > session.work_limit) stop_growth(session, origin, entry.name);
    }
    origins.lines_from(origin);
  }
  next = origins.finish(std::move(out));
  return changed;
}

WorkText substitute_defines(FileSession& session, const WorkText& text) {
  DefineTable table;
  WorkText current = text;
  WorkText next;
  if (!substitute_sweep(session, table, current, next)) return next;
  std::swap(current, next);

  // From here on a sweep depends only on the text and the table, so coming back to
  // an earlier pair means the sweeps would never end (see CheckpointSchedule).
  // A line that grows a little with every sweep is caught by the line bound, but
  // only after as many sweeps as the bound is long; the sweep bound ends it sooner.
  // One sweep replaces one use per line, so a line of n bytes that settles needs
  // about n / 2 sweeps per level of nesting.
  // The table is complete after the first sweep: rings among its definitions are
  // known from here on, and the first replacement by one of them is the end.
  const DefineRings rings = define_rings(table.entries());
  const std::vector<bool>& endless = rings.endless;
  if (auto settled = settle_plain_table(session, table, endless, current))
    return std::move(*settled);
  // Where the table does not allow that certainty, a line that grows far past the
  // longest line of the text, or sweeps past this bound, are taken for names that
  // feed each other. Where it does, only the work limit ends the sweeps.
  const std::size_t longest_source_line = longest_line(text.text);
  const std::size_t unbounded = static_cast<std::size_t>(-1);
  const std::size_t line_bound =
      rings.exact ? unbounded : 32 * std::max(session.line_width, longest_source_line);
  const std::size_t sweep_bound = rings.exact ? unbounded : 4096 + 2 * longest_source_line;
  SweepReading reading(session.work_limit, rings.exact);
  if (auto settled =
          settle_lines_apart(session, table, endless, current, line_bound, sweep_bound, reading))
    return std::move(*settled);
  std::string checkpoint_text = current.text;
  std::vector<DefineEntry> checkpoint_entries = table.entries();
  CheckpointSchedule schedule;
  std::size_t sweeps = 1;
  while (substitute_sweep(session, table, current, next, endless)) {
    std::swap(current, next);
    const bool cycle = (!rings.exact && longest_line(current.text) > line_bound) ||
                       ++sweeps > sweep_bound ||
                       (current.text == checkpoint_text && table.entries() == checkpoint_entries);
    if (cycle || !reading.read(current.text.size())) {
      const WorkLine changed = first_changed_line(next, current);
      if (cycle) stop_cycle(session, changed.origin, changed.line);
      reading.stop(session, changed.origin, changed.line);
    }
    if (schedule.moves()) {
      checkpoint_text = current.text;
      checkpoint_entries = table.entries();
    }
  }
  return next;
}

}  // namespace vonx
