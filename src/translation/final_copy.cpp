#include "translation/final_copy.hpp"

#include <algorithm>

#include "common/jump_marker.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "translation/matcher.hpp"

namespace vonx {

namespace {

bool is_goto_line(std::string_view line) {
  const std::string_view start = after_white(line, line.size());
  return start.starts_with("goto ") || start.starts_with("goto\t");
}

// What a line left untranslated says on standard error. The jump marker is the
// converter's own: the line is shown without it. A continue outside any loop
// carries the marker of no label.
std::string untranslated(std::string_view line) {
  const std::size_t marker = line.find(kJumpMarkerOpen);
  if (marker != std::string_view::npos) {
    const MarkerReading reading = read_jump_marker(line.substr(marker));
    if (begins_with(after_white(line, line.size()), "continue") && reading.field_count == 2 &&
        reading.fields[0] == 0)
      return quoted(line.substr(0, marker)) + " stands outside any loop";
  }
  return "no rule translates " + quoted(line.substr(0, marker));
}

}  // namespace

GotoLines::GotoLines(const RuleTable& table) {
  const std::size_t usable = usable_rule_count(table);
  for (std::size_t position = 0; position < usable && !has_goto_rule_; ++position) {
    const auto& pattern = table.rules[position].pattern_lines;
    has_goto_rule_ = !pattern.empty() && !pattern[0].empty() && pattern[0][0] == "goto";
  }
}

void GotoLines::note(std::string_view line, LineOrigin origin) {
  if (has_goto_rule_ && is_goto_line(line)) lines_.emplace_back(key(origin), line);
}

void GotoLines::noted_all() {
  std::sort(lines_.begin(), lines_.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
}

bool GotoLines::left_untranslated(std::string_view line, LineOrigin origin) const {
  if (lines_.empty() || !is_goto_line(line)) return false;
  const std::uint64_t wanted = key(origin);
  auto at = std::lower_bound(lines_.begin(), lines_.end(), wanted,
                             [](const auto& entry, std::uint64_t k) { return entry.first < k; });
  for (; at != lines_.end() && at->first == wanted; ++at)
    if (at->second == line) return true;
  return false;
}

std::uint64_t GotoLines::key(LineOrigin origin) {
  return (std::uint64_t{origin.file} << 32) | origin.line;
}

WorkText final_copy(FileSession& session, LineStore& store, const GotoLines& gotos) {
  WorkText result;
  std::string& out = result.text;
  out.reserve(store.bytes() + (session.line_numbering_start != 0 ? 8 * store.lines() : 0));
  result.origins.reserve(store.lines());
  long long number = session.line_numbering_start;
  store.drain([&](const StoredLine& stored) {
    const std::string_view line = store.text(stored);
    const LineOrigin origin = store.origin(stored);
    result.origins.push_back(origin);
    if (session.line_numbering_start != 0) {
      out += decimal(number);
      out += ' ';
      number += 10;
    }
    out += line;
    if (holds_well_formed_marker(line) || gotos.left_untranslated(line, origin)) {
      const std::size_t before = out.size();
      report(session, Severity::error, at_line(session, origin, untranslated(line)),
             Message::macro_not_defined, {}, &out);
      for_each_line_start(out, before, [&](std::size_t) { result.origins.push_back(origin); });
    }
  });
  return result;
}

}  // namespace vonx
