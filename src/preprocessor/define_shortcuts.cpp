#include "preprocessor/define_shortcuts.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "common/text.hpp"
#include "preprocessor/define_entry.hpp"

namespace vonx {

namespace {

// A table of plain words: every live entry's name is one word of name characters
// that takes no parameters, and its value is not empty, holds no quote and not
// its own name, and ends on a whole character. Such entries never set their self
// flag and leave quoting, word edges and character starts of the rest of a line
// as they were, so each line settles on its own, and on the same text whatever
// the order of replacements: every whole-word use outside quotes replaced by its
// value with the uses in that value replaced in turn, trailing white space
// removed. Settling each line in one walk gives what the sweeps come to, without
// a sweep for every use.
class PlainExpansion {
 public:
  static std::optional<PlainExpansion> of(const std::vector<DefineEntry>& entries,
                                          const std::vector<bool>& endless) {
    PlainExpansion plain;
    plain.entries_ = &entries;
    plain.endless_ = &endless;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const DefineEntry& entry = entries[i];
      if (entry.name.empty()) continue;
      const std::string& value = entry.value;
      CharacterStarts starts(value);
      if (!std::all_of(entry.name.begin(), entry.name.end(), is_name_char) || value.empty() ||
          value == "\n" || value.find_first_of("'\"") != std::string::npos ||
          value.find(entry.name) != std::string::npos || !starts.at(value.size()) ||
          parameter_form(entry.name, value, entry.name))
        return std::nullopt;
      plain.by_name_.emplace(entry.name, i);  // the first live entry of a name wins
    }
    plain.uses_.resize(entries.size());
    plain.length_.assign(entries.size(), kUnknown);
    for (const auto& named : plain.by_name_) {
      const std::size_t i = named.second;
      std::string_view value = entries[i].value;
      for_each_word(value, [&](std::string_view word) {
        if (auto found = plain.by_name_.find(word); found != plain.by_name_.end())
          plain.uses_[i].push_back(
              {static_cast<std::size_t>(word.data() - value.data()), word.size(), found->second});
      });
    }
    return plain;
  }

  // The settled line, or nothing when no entry applies to it. Stops the run when
  // a use reaches a ring of definitions, and the file when the text, `written`
  // bytes before the line, would outgrow its limit: the table's rings are known
  // exactly (see DefineRings), so a long line is no sign of a cycle.
  std::optional<std::string> settle(FileSession& session, std::string_view line, LineOrigin origin,
                                    std::size_t written) {
    std::vector<Use> uses;
    QuotedSpans quoted(line);
    for_each_word(line, [&](std::string_view word) {
      std::size_t pos = static_cast<std::size_t>(word.data() - line.data());
      auto found = by_name_.find(word);
      if (found != by_name_.end() && !quoted.covers(pos, word.size()))
        uses.push_back({pos, word.size(), found->second});
    });
    if (uses.empty()) return std::nullopt;
    std::size_t length = line.size();
    for (const Use& use : uses)
      length = saturated(length - use.length, expanded_length(session, origin, line, use.entry));
    std::size_t grown = written + line.size();
    for (const Use& use : uses) {
      grown = saturated(grown - use.length, length_[use.entry]);
      if (grown > session.work_limit) stop_growth(session, origin, (*entries_)[use.entry].name);
    }
    std::string out;
    out.reserve(length);
    std::size_t copied = 0;
    for (const Use& use : uses) {
      out.append(line, copied, use.pos - copied);
      write_expansion(use.entry, out);
      copied = use.pos + use.length;
    }
    out += trim_right(line.substr(copied));
    out += '\n';
    return out;
  }

 private:
  struct Use {
    std::size_t pos, length, entry;
  };
  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
  static constexpr std::size_t kHuge = kUnknown / 4;

  static std::size_t saturated(std::size_t a, std::size_t b) { return std::min(kHuge, a + b); }

  // Bytes of the entry's full expansion, at most kHuge; a ring ends the run.
  std::size_t expanded_length(FileSession& session, LineOrigin origin, std::string_view line,
                              std::size_t root) {
    std::vector<std::pair<std::size_t, std::size_t>> walk{{root, 0}};  // entry, next use
    while (!walk.empty()) {
      auto& [entry, next] = walk.back();
      if ((*endless_)[entry]) stop_cycle(session, origin, line);
      if (length_[entry] != kUnknown) {
        walk.pop_back();
        continue;
      }
      if (next < uses_[entry].size()) {
        std::size_t child = uses_[entry][next++].entry;
        walk.emplace_back(child, 0);
        continue;
      }
      std::size_t length = (*entries_)[entry].value.size();
      for (const Use& use : uses_[entry])
        length = saturated(length - use.length, length_[use.entry]);
      length_[entry] = length;
      walk.pop_back();
    }
    return length_[root];
  }

  void write_expansion(std::size_t root, std::string& out) const {
    std::vector<std::pair<std::size_t, std::size_t>> walk{{root, 0}};  // entry, next use
    std::vector<std::size_t> copied{0};
    while (!walk.empty()) {
      auto [entry, next] = walk.back();
      const std::string& value = (*entries_)[entry].value;
      if (next == uses_[entry].size()) {
        out.append(value, copied.back(), std::string::npos);
        walk.pop_back();
        copied.pop_back();
        continue;
      }
      const Use& use = uses_[entry][next];
      out.append(value, copied.back(), use.pos - copied.back());
      copied.back() = use.pos + use.length;
      ++walk.back().second;
      walk.emplace_back(use.entry, 0);
      copied.push_back(0);
    }
  }

  const std::vector<DefineEntry>* entries_ = nullptr;
  const std::vector<bool>* endless_ = nullptr;
  std::unordered_map<std::string_view, std::size_t> by_name_;
  std::vector<std::vector<Use>> uses_;  // the uses of names in each entry's value
  std::vector<std::size_t> length_;
};

// True when a #define or #undef line is left in the text: later sweeps would
// change the table, so lines cannot be settled one by one.
bool holds_table_lines(const WorkText& text, std::size_t width) {
  for (WorkLine work : lines_of(text))
    if (is_define_line(work.line, width) || is_undef_line(work.line, width)) return true;
  return false;
}

}  // namespace

DefineRings define_rings(const std::vector<DefineEntry>& entries) {
  DefineRings rings{std::vector<bool>(entries.size(), false), true};
  std::vector<bool>& on_ring = rings.endless;
  std::unordered_map<std::string_view, std::size_t> by_name;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DefineEntry& entry = entries[i];
    if (entry.name.empty()) continue;
    if (!std::all_of(entry.name.begin(), entry.name.end(), is_name_char) ||
        parameter_form(entry.name, entry.value, entry.name))
      return {std::vector<bool>(entries.size(), false), false};
    const std::string& value = entry.value;
    if (value.find(entry.name) == std::string::npos &&
        value.find_first_of("'\"") == std::string::npos)
      by_name.emplace(entry.name, i);
    else
      rings.exact = false;
    if (!CharacterStarts(value).at(value.size())) rings.exact = false;
  }
  // Edges to the entries a value uses; then the strongly connected components
  // (Tarjan's, without recursion) of more than one entry are the rings.
  std::vector<std::vector<std::size_t>> uses(entries.size());
  for (const auto& named : by_name) {
    const std::size_t i = named.second;
    for_each_word(entries[i].value, [&](std::string_view word) {
      if (auto found = by_name.find(word); found != by_name.end()) uses[i].push_back(found->second);
    });
  }
  const std::size_t unseen = static_cast<std::size_t>(-1);
  std::vector<std::size_t> order(entries.size(), unseen), low(entries.size(), 0), stack;
  std::vector<bool> on_stack(entries.size(), false);
  std::size_t counter = 0;
  for (const auto& [root_name, root] : by_name) {
    if (order[root] != unseen) continue;
    std::vector<std::pair<std::size_t, std::size_t>> walk{{root, 0}};
    order[root] = low[root] = counter++;
    stack.push_back(root);
    on_stack[root] = true;
    while (!walk.empty()) {
      auto [node, edge] = walk.back();
      if (edge < uses[node].size()) {
        ++walk.back().second;
        std::size_t next = uses[node][edge];
        if (order[next] == unseen) {
          order[next] = low[next] = counter++;
          stack.push_back(next);
          on_stack[next] = true;
          walk.emplace_back(next, 0);
        } else if (on_stack[next]) {
          low[node] = std::min(low[node], order[next]);
        }
        continue;
      }
      walk.pop_back();
      if (!walk.empty()) low[walk.back().first] = std::min(low[walk.back().first], low[node]);
      if (low[node] != order[node]) continue;
      std::size_t first = stack.size();
      while (stack[--first] != node) {
      }
      bool ring = stack.size() - first > 1;
      for (std::size_t k = first; k < stack.size(); ++k) {
        on_stack[stack[k]] = false;
        on_ring[stack[k]] = ring;
      }
      stack.resize(first);
    }
  }
  return rings;
}

std::optional<WorkText> settle_plain_table(FileSession& session, const DefineTable& table,
                                           const std::vector<bool>& endless, const WorkText& text) {
  std::optional<PlainExpansion> plain = PlainExpansion::of(table.entries(), endless);
  if (!plain) return std::nullopt;
  std::string out;
  out.reserve(text.text.size());
  for (auto [line, origin] : lines_of(text)) {
    if (is_define_line(line, session.line_width) || is_undef_line(line, session.line_width))
      return std::nullopt;
    std::optional<std::string> settled = plain->settle(session, line, origin, out.size());
    if (settled)
      out += *settled;
    else
      out += line;
  }
  // Each line settles into one line.
  return WorkText{std::move(out), text.origins};
}

std::optional<WorkText> settle_lines_apart(FileSession& session, DefineTable& table,
                                           const std::vector<bool>& endless, const WorkText& text,
                                           std::size_t line_bound, std::size_t sweep_bound,
                                           SweepReading& reading) {
  for (const DefineEntry& entry : table.entries())
    if (entry.self || (!entry.name.empty() && entry.value.find(entry.name) != std::string::npos))
      return std::nullopt;
  if (holds_table_lines(text, session.line_width)) return std::nullopt;
  std::string out;
  out.reserve(text.text.size());
  OriginRecorder origins(out);
  std::string current, next, checkpoint;
  EntryIndex index;
  for (auto [line, origin] : lines_of(text)) {
    current.assign(line);
    checkpoint = current;
    CheckpointSchedule schedule;
    std::size_t sweeps = 1;
    for (;;) {
      next.clear();
      std::optional<Applied> applied = substitute_line(table, index, current, next);
      if (!applied) break;
      if (applied->plain && applied->entry < endless.size() && endless[applied->entry])
        stop_cycle(session, origin, current);
      if (out.size() + next.size() > session.work_limit)
        stop_growth(session, origin, table.entries()[applied->entry].name);
      if (next.size() > line_bound || ++sweeps > sweep_bound || next == checkpoint)
        stop_cycle(session, origin, current);
      if (!reading.read(next.size())) reading.stop(session, origin, current);
      std::swap(current, next);
      if (schedule.moves()) checkpoint = current;
    }
    out += current;
    origins.lines_from(origin);
  }
  return origins.finish(std::move(out));
}

}  // namespace vonx
