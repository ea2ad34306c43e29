#include "preprocessor/define_substitution.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"

namespace vonx {

namespace {

// Names defined through each other would be replaced without end: the run stops
// at the line where that shows.
[[noreturn]] void stop_cycle(FileSession& session, LineOrigin origin, std::string_view line) {
  stop(session,
       at_line(session, origin,
               "#define constants replace each other without end in " + quoted(line)),
       Message::define_cycle);
}

// The replacements of one constant make the text outgrow the file's work limit.
[[noreturn]] void stop_growth(FileSession& session, LineOrigin origin, const std::string& name) {
  stop_file(session,
            at_line(session, origin,
                    "replacing " + quoted(name) + " makes the text outgrow the work limit"),
            Message::work_limit_define, name);
}

// Quoted spans of a line: a single or double quote opens a span that the next
// quote of the same kind closes. An unclosed quote protects nothing.
class QuotedSpans {
 public:
  explicit QuotedSpans(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\'' && line[i] != '"') continue;
      std::size_t close = line.find(line[i], i + 1);
      if (close == std::string_view::npos) continue;
      spans_.emplace_back(i, close);
      i = close;
    }
  }

  // The bytes [pos, pos + length) touch a quoted span. The spans follow each other
  // without overlapping: only the first that does not end before `pos` can.
  bool covers(std::size_t pos, std::size_t length) const {
    auto span = std::lower_bound(spans_.begin(), spans_.end(), pos,
                                 [](const auto& s, std::size_t at) { return s.second < at; });
    return span != spans_.end() && pos + length > span->first;
  }

 private:
  std::vector<std::pair<std::size_t, std::size_t>> spans_;
};

// Letters, digits and "_" make up names: TOP is not replaced inside TOP_ADDR or
// MY_TOP, whose meaning would change.
// By table: the word walk tests every byte of a line once per sweep.
constexpr std::array<bool, 256> kNameBytes = [] {
  std::array<bool, 256> bytes{};
  for (int c = 0; c < 256; ++c)
    bytes[static_cast<std::size_t>(c)] =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  return bytes;
}();
bool is_name_char(char c) {
  return kNameBytes[static_cast<unsigned char>(c)];
}

// The places where `word` begins a name, from left to right: at a character
// start, after no letter, digit or "_" of a name. With `whole`, no such character
// may follow it either. A two-byte character is never part of a name, whatever
// its second byte looks like. The line is walked once, however many places are
// passed over.
class NamePlaces {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  NamePlaces(std::string_view line, std::string_view word, bool whole)
      : line_(line), word_(word), whole_(whole) {}

  // The next place; npos when there is none.
  std::size_t next() {
    for (std::size_t pos = line_.find(word_, search_); pos != npos;
         pos = line_.find(word_, pos + 1)) {
      while (cursor_ < pos) {
        before_ = cursor_;
        cursor_ = next_character(line_, cursor_);
      }
      if (cursor_ != pos) continue;  // inside a two-byte character
      bool free_before =
          before_ == npos || character_length(line_, before_) == 2 || !is_name_char(line_[before_]);
      std::size_t after = pos + word_.size();
      bool free_after = !whole_ || after >= line_.size() || !is_name_char(line_[after]);
      if (free_before && free_after) {
        search_ = pos + 1;
        return pos;
      }
    }
    search_ = line_.size() + 1;
    return npos;
  }

 private:
  std::string_view line_;
  std::string_view word_;
  bool whole_;
  std::size_t search_ = 0;     // where the next search for the word begins
  std::size_t cursor_ = 0;     // a character start, walked up to each place found
  std::size_t before_ = npos;  // the character before the cursor
};

// The written line: the text before the use, the replacement, and the rest of the
// line with its trailing white space removed, then a newline.
std::string rebuilt_line(std::string_view line, std::size_t pos, std::size_t length,
                         std::string_view replacement) {
  std::string out(line.substr(0, pos));
  out += replacement;
  out += trim_right(line.substr(pos + length));
  out += '\n';
  return out;
}

// A name such as ADD(A,B) or REG_A split around its parameter list: the opening
// part (ADD( or REG_), the parameters (A and B) and the closing part ()) or none).
struct ParameterForm {
  std::string_view opening;
  std::vector<std::string_view> parameters;
  std::string_view closing;
};

// Each whole word of the value that is a parameter becomes the argument in the
// same position.
std::string bind_parameters(std::string_view value, const ParameterForm& form,
                            const std::vector<std::string_view>& arguments) {
  std::string out;
  std::size_t i = 0;
  while (i < value.size()) {
    if (character_length(value, i) == 2 || !is_name_char(value[i])) {
      out += value.substr(i, character_length(value, i));
      i = next_character(value, i);
      continue;
    }
    std::size_t end = i;
    while (end < value.size() && is_name_char(value[end])) ++end;
    std::string_view word = value.substr(i, end - i);
    auto found = std::find(form.parameters.begin(), form.parameters.end(), word);
    if (found != form.parameters.end())
      out += arguments[static_cast<std::size_t>(found - form.parameters.begin())];
    else
      out += word;
    i = end;
  }
  return out;
}

bool value_uses_a_parameter(std::string_view value, const ParameterForm& form) {
  for (std::string_view parameter : form.parameters) {
    if (parameter.empty()) continue;
    if (NamePlaces(value, parameter, true).next() != NamePlaces::npos) return true;
  }
  return false;
}

// The parameter form of an entry's name, when the name has one and its opening
// part occurs in the line: the closing part is the text after the name's last
// upper-case letter, the parameter list the run of upper-case letters and ","
// before it, the opening part everything before that. A name only counts as having
// parameters when some upper-case letter of it occurs in the value, the opening
// part is not empty and a parameter occurs in the value as a whole word: otherwise
// a plain constant such as STACK_TOP would capture every STACK_ word.
std::optional<ParameterForm> parameter_form(std::string_view name, std::string_view value,
                                            std::string_view line) {
  std::size_t last = name.size();
  while (last > 0 && !is_upper(name[last - 1])) --last;
  std::size_t start = last;
  while (start > 0 && (is_upper(name[start - 1]) || name[start - 1] == ',')) --start;
  if (start == 0 || line.find(name.substr(0, start)) == std::string_view::npos) return std::nullopt;
  bool shares_upper = std::any_of(name.begin(), name.end(), [value](char c) {
    return is_upper(c) && value.find(c) != std::string_view::npos;
  });
  if (!shares_upper) return std::nullopt;

  ParameterForm form;
  form.opening = name.substr(0, start);
  form.closing = name.substr(last);
  std::string_view list = name.substr(start, last - start);
  for (std::size_t pos = 0;;) {
    std::size_t comma = list.find(',', pos);
    form.parameters.push_back(list.substr(pos, comma - pos));
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  if (!value_uses_a_parameter(value, form)) return std::nullopt;
  return form;
}

// The arguments of a use that starts at `pos` (just after the opening part), up to
// the closing part. Commas inside parentheses or quotes do not separate arguments.
// Sets `end` to the position after the closing part.
std::optional<std::vector<std::string_view>> use_arguments(std::string_view line, std::size_t pos,
                                                           std::string_view closing,
                                                           std::size_t& end) {
  std::vector<std::string_view> arguments;
  std::size_t argument_start = pos;
  int depth = 0;
  for (std::size_t i = pos; i < line.size() && line[i] != '\n'; i = next_character(line, i)) {
    char c = line[i];
    if (depth == 0 && line.substr(i, closing.size()) == closing) {
      arguments.push_back(trim_right(trim_left(line.substr(argument_start, i - argument_start))));
      end = i + closing.size();
      return arguments;
    }
    if (c == '\'' || c == '"') {
      std::size_t close = line.find(c, i + 1);
      if (close != std::string_view::npos) i = close;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (c == ',' && depth == 0) {
      arguments.push_back(trim_right(trim_left(line.substr(argument_start, i - argument_start))));
      argument_start = i + 1;
    }
  }
  return std::nullopt;
}

struct Replacement {
  std::string line;
  bool writes_own_name;  // the result holds the entry's name again: no further sweep is asked
  bool plain = false;    // a whole-word use of the name, not a use with parameters
};

// A use of a name with parameters: ADD(1,2) for ADD(A,B), or REG_B for REG_A.
std::optional<Replacement> replace_parameter_use(const DefineTable& table, const DefineEntry& entry,
                                                 std::string_view line, const QuotedSpans& quoted) {
  std::optional<ParameterForm> form = parameter_form(entry.name, entry.value, line);
  if (!form) return std::nullopt;
  NamePlaces places(line, form->opening, false);
  for (std::size_t pos = places.next(); pos != NamePlaces::npos; pos = places.next()) {
    if (quoted.covers(pos, form->opening.size())) continue;
    std::size_t after_opening = pos + form->opening.size();
    std::vector<std::string_view> arguments;
    std::size_t end = after_opening;
    if (!form->closing.empty()) {
      auto found = use_arguments(line, after_opening, form->closing, end);
      if (!found || found->size() != form->parameters.size()) continue;
      arguments = std::move(*found);
    } else {
      // The letters right after the opening part take the parameter's place; a
      // word that is itself a defined name is that name's own business.
      while (end < line.size() && is_alpha(line[end])) ++end;
      if (end == after_opening || form->parameters.size() != 1) continue;
      if (end < line.size() && is_digit(line[end])) continue;
      if (table.defined(line.substr(pos, end - pos))) continue;
      arguments.push_back(line.substr(after_opening, end - after_opening));
    }
    std::string value = bind_parameters(entry.value, *form, arguments);
    return Replacement{rebuilt_line(line, pos, end - pos, value),
                       entry.value.find(entry.name) != std::string::npos};
  }
  return std::nullopt;
}

// What one entry does to a line, or nothing when the entry does not apply and the
// next entry is to be tried.
std::optional<Replacement> apply_entry(const DefineTable& table, const DefineEntry& entry,
                                       std::string_view line, const QuotedSpans& quoted) {
  const std::string& name = entry.name;
  if (name.empty()) return std::nullopt;
  std::string_view value = entry.value == "\n" ? std::string_view() : entry.value;
  // A value that holds its own name is not put in again where it already stands.
  if (value.find(name) != std::string_view::npos && line.find(value) != std::string_view::npos)
    return std::nullopt;
  // An entry whose last replacement wrote its own name again steps aside.
  if (entry.self && line.find(name) != std::string_view::npos) return std::nullopt;
  NamePlaces places(line, name, true);
  for (std::size_t pos = places.next(); pos != NamePlaces::npos; pos = places.next()) {
    if (quoted.covers(pos, name.size())) continue;
    return Replacement{rebuilt_line(line, pos, name.size(), value), name == value, true};
  }
  return replace_parameter_use(table, entry, line, quoted);
}

struct Applied {
  std::size_t entry;  // position in the table
  bool plain;
};

// The whole words of a text: its maximal runs of one-byte name characters. A
// two-byte character ends a word, whatever its second byte is.
template <typename Visit>
void for_each_word(std::string_view text, Visit visit) {
  // Walked by pointer: this runs over every byte of a line once per sweep.
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at < end) {
    if (is_name_char(*at)) {
      const char* start = at;
      while (++at < end && is_name_char(*at)) {
      }
      visit(std::string_view(start, static_cast<std::size_t>(at - start)));
    } else {
      at += is_lead_byte(*at) && at + 1 < end && is_second_byte(at[1]) ? 2 : 1;
    }
  }
}

// The entries of a table sorted by how a line can meet them. A plain entry (a
// name of name characters that takes no parameters and whose value does not hold
// it) applies exactly where its name stands as a whole word outside quotes, and
// never sets its self flag; it is found by looking the line's words up by name.
// Every other live entry is tried in table order, as the sweeps do. Entries
// added since the last look are sorted in then; an #undef sorts them afresh.
class EntryIndex {
 public:
  void forget() {
    by_name_.clear();
    first_bytes_.fill(false);
    others_.clear();
    sorted_ = 0;
  }

  // The first entry in table order that applies to the line, with what it makes
  // of the line; nothing when none does.
  std::optional<std::pair<std::size_t, Replacement>> first_applying(const DefineTable& table,
                                                                    std::string_view line,
                                                                    const QuotedSpans& quoted) {
    const std::vector<DefineEntry>& entries = table.entries();
    sort_in(entries);
    if (by_name_.empty() && others_.empty()) return std::nullopt;
    std::size_t best = entries.size();
    for_each_word(line, [&](std::string_view word) {
      // Most words of a line are no name: their first byte tells that without a hash.
      if (!first_bytes_[static_cast<unsigned char>(word[0])]) return;
      auto found = by_name_.find(word);
      const std::size_t pos = static_cast<std::size_t>(word.data() - line.data());
      if (found != by_name_.end() && found->second < best && !quoted.covers(pos, word.size()))
        best = found->second;
    });
    for (std::size_t i : others_) {
      if (i >= best) break;
      if (auto replacement = apply_entry(table, entries[i], line, quoted))
        return std::make_pair(i, std::move(*replacement));
    }
    if (best == entries.size()) return std::nullopt;
    // The word found is a use of the entry: it applies there or earlier.
    if (auto replacement = apply_entry(table, entries[best], line, quoted))
      return std::make_pair(best, std::move(*replacement));
    return std::nullopt;
  }

 private:
  void sort_in(const std::vector<DefineEntry>& entries) {
    for (; sorted_ < entries.size(); ++sorted_) {
      const DefineEntry& entry = entries[sorted_];
      if (entry.name.empty()) continue;
      const bool plain = std::all_of(entry.name.begin(), entry.name.end(), is_name_char) &&
                         entry.value.find(entry.name) == std::string::npos &&
                         !parameter_form(entry.name, entry.value, entry.name);
      if (plain) {
        by_name_.emplace(entry.name, sorted_);
        first_bytes_[static_cast<unsigned char>(entry.name[0])] = true;
      } else {
        others_.push_back(sorted_);
      }
    }
  }

  std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> by_name_;
  std::array<bool, 256> first_bytes_{};  // the first bytes of the names in by_name_
  std::vector<std::size_t> others_;      // ascending
  std::size_t sorted_ = 0;
};

// Writes the line after the first entry that applies; returns which entry that was.
std::optional<Applied> substitute_line(DefineTable& table, EntryIndex& index, std::string_view line,
                                       std::string& out) {
  QuotedSpans quoted(line);
  auto applied = index.first_applying(table, line, quoted);
  if (!applied) {
    out += line;
    return std::nullopt;
  }
  auto& [entry, replacement] = *applied;
  out += replacement.line;
  table.entries()[entry].self = replacement.writes_own_name;
  return Applied{entry, replacement.plain};
}

// Entries that sit on a ring of definitions (A's value uses B, B's value uses A),
// where a replacement by one of them certainly never settles: each of its
// replacements puts the next name of the ring into the line, whole and outside
// quotes, and nothing else can take it away. That holds when every name is one
// word of name characters (no name hides inside another and none takes
// parameters) and the ring's values hold no quote and not their own name (which
// would set the self flag). Other tables are left to the checks of the sweeps.
std::vector<bool> endless_entries(const std::vector<DefineEntry>& entries) {
  std::vector<bool> on_ring(entries.size(), false);
  std::unordered_map<std::string_view, std::size_t> by_name;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DefineEntry& entry = entries[i];
    if (entry.name.empty()) continue;
    if (!std::all_of(entry.name.begin(), entry.name.end(), is_name_char) ||
        parameter_form(entry.name, entry.value, entry.name))
      return on_ring;
    const std::string& value = entry.value;
    if (value.find(entry.name) == std::string::npos &&
        value.find_first_of("'\"") == std::string::npos)
      by_name.emplace(entry.name, i);
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
  return on_ring;
}

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
  // a use reaches a ring of definitions or the line outgrows `line_bound`, and the
  // file when the text, `written` bytes before the line, would outgrow its limit.
  std::optional<std::string> settle(FileSession& session, std::string_view line, LineOrigin origin,
                                    std::size_t line_bound, std::size_t written) {
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
    if (length > line_bound) stop_cycle(session, origin, line);
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

std::size_t longest_line(std::string_view text) {
  std::size_t longest = 0;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) longest = std::max(longest, line.size());
  return longest;
}

// The sweeps' end in one walk for a table of plain words (see PlainExpansion), or
// nothing when the table or the text (a #define or #undef line left) needs sweeps.
std::optional<WorkText> settle_plain_table(FileSession& session, const DefineTable& table,
                                           const std::vector<bool>& endless, const WorkText& text,
                                           std::size_t line_bound) {
  std::optional<PlainExpansion> plain = PlainExpansion::of(table.entries(), endless);
  if (!plain) return std::nullopt;
  std::string out;
  out.reserve(text.text.size());
  for (auto [line, origin] : lines_of(text)) {
    if (is_define_line(line, session.line_width) || is_undef_line(line, session.line_width))
      return std::nullopt;
    std::optional<std::string> settled =
        plain->settle(session, line, origin, line_bound, out.size());
    if (settled)
      out += *settled;
    else
      out += line;
  }
  // Each line settles into one line.
  return WorkText{std::move(out), text.origins};
}

// When to move the checkpoint that the state after each sweep is compared with:
// at doubling distances, which finds any cycle of states while holding only one
// earlier state.
class CheckpointSchedule {
 public:
  // One more sweep was made: true when the checkpoint moves to the state now.
  bool moves() {
    if (++steps_ < distance_) return false;
    distance_ *= 2;
    steps_ = 0;
    return true;
  }

 private:
  std::size_t distance_ = 1;
  std::size_t steps_ = 0;
};

// True when a #define or #undef line is left in the text: later sweeps would
// change the table, so lines cannot be settled one by one.
bool holds_table_lines(const WorkText& text, std::size_t width) {
  for (WorkLine work : lines_of(text))
    if (is_define_line(work.line, width) || is_undef_line(work.line, width)) return true;
  return false;
}

// What the sweeps after the first have read. A line that grows by a few bytes
// with every sweep stays under the line and sweep bounds for long enough to read
// the square of those bounds, so the reading is bounded too: by four times the
// file's work limit. A line that settles needs one sweep per use it replaces, so
// only lines of many thousand uses each come near that. Reading past it is taken
// for names that feed each other.
class SweepReading {
 public:
  explicit SweepReading(std::size_t work_limit) : left_(4 * work_limit) {}

  // One more sweep reads `bytes`: false once the sweeps have read past the limit.
  bool read(std::size_t bytes) {
    if (bytes > left_) return false;
    left_ -= bytes;
    return true;
  }

 private:
  std::size_t left_;
};

// The sweeps' end line by line, or nothing when lines depend on each other. After
// the first sweep the table is complete; when no #define or #undef line is left
// and no value holds its own name, no self flag is ever set, so what a sweep does
// to a line depends on that line alone. Each line is then swept until it
// settles, with the bounds of the sweeps, and the lines that settled are not read
// again while one line still changes.
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
      if (next.size() > line_bound || ++sweeps > sweep_bound || next == checkpoint ||
          !reading.read(next.size()))
        stop_cycle(session, origin, current);
      std::swap(current, next);
      if (schedule.moves()) checkpoint = current;
    }
    out += current;
    origins.lines_from(origin);
  }
  return origins.finish(std::move(out));
}

// The sweeps never settle: reported at the first line the last sweep changed.
[[noreturn]] void report_cycle(FileSession& session, const WorkText& before,
                               const WorkText& after) {
  const WorkLines new_lines(after);
  WorkLines::iterator changed = new_lines.begin();
  std::string_view old_line;
  LineOrigin origin;
  for (WorkLine old : lines_of(before)) {
    old_line = old.line;
    if (changed == new_lines.end()) break;
    origin = (*changed).origin;
    if (old.line != (*changed).line) break;
    ++changed;
  }
  stop_cycle(session, origin, old_line);
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
  const std::vector<bool> endless = endless_entries(table.entries());
  // Where the table does not allow that certainty, a line that grows far past the
  // longest line of the text is taken for names that feed each other.
  const std::size_t longest_source_line = longest_line(text.text);
  const std::size_t line_bound = 32 * std::max(session.line_width, longest_source_line);
  if (auto settled = settle_plain_table(session, table, endless, current, line_bound))
    return std::move(*settled);
  const std::size_t sweep_bound = 4096 + 2 * longest_source_line;
  SweepReading reading(session.work_limit);
  if (auto settled =
          settle_lines_apart(session, table, endless, current, line_bound, sweep_bound, reading))
    return std::move(*settled);
  std::string checkpoint_text = current.text;
  std::vector<DefineEntry> checkpoint_entries = table.entries();
  CheckpointSchedule schedule;
  std::size_t sweeps = 1;
  while (substitute_sweep(session, table, current, next, endless)) {
    std::swap(current, next);
    if (longest_line(current.text) > line_bound || ++sweeps > sweep_bound ||
        !reading.read(current.text.size()) ||
        (current.text == checkpoint_text && table.entries() == checkpoint_entries))
      report_cycle(session, next, current);
    if (schedule.moves()) {
      checkpoint_text = current.text;
      checkpoint_entries = table.entries();
    }
  }
  return next;
}

}  // namespace vonx
