#include "preprocessor/define_entry.hpp"

namespace vonx {

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

std::optional<std::pair<std::size_t, Replacement>> EntryIndex::first_applying(
    const DefineTable& table, std::string_view line, const QuotedSpans& quoted) {
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

void EntryIndex::sort_in(const std::vector<DefineEntry>& entries) {
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

}  // namespace vonx
