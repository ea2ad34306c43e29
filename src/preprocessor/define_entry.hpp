// One #define entry applied to one line: where the entry's name stands as a name
// (outside quotes, at the edges of names, never inside a two-byte character) and
// what its value, with its parameters bound, makes of the line; over a whole
// table, which entry applies to a line first.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/text.hpp"
#include "preprocessor/define_table.hpp"

namespace vonx {

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
inline bool is_name_char(char c) {
  return kNameBytes[static_cast<unsigned char>(c)];
}

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

// A name such as ADD(A,B) or REG_A split around its parameter list: the opening
// part (ADD( or REG_), the parameters (A and B) and the closing part ()) or none).
struct ParameterForm {
  std::string_view opening;
  std::vector<std::string_view> parameters;
  std::string_view closing;
};

// The parameter form of an entry's name, when the name has one and its opening
// part occurs in the line: the closing part is the text after the name's last
// upper-case letter, the parameter list the run of upper-case letters and ","
// before it, the opening part everything before that. A name only counts as having
// parameters when some upper-case letter of it occurs in the value, the opening
// part is not empty and a parameter occurs in the value as a whole word: otherwise
// a plain constant such as STACK_TOP would capture every STACK_ word.
std::optional<ParameterForm> parameter_form(std::string_view name, std::string_view value,
                                            std::string_view line);

// What an entry makes of a line.
struct Replacement {
  std::string line;
  bool writes_own_name;  // the result holds the entry's name again: no further sweep is asked
  bool plain = false;    // a whole-word use of the name, not a use with parameters
};

// Which entry applied to a line, and how.
struct Applied {
  std::size_t entry;  // position in the table
  bool plain;
};

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
                                                                    const QuotedSpans& quoted);

 private:
  void sort_in(const std::vector<DefineEntry>& entries);

  std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> by_name_;
  std::array<bool, 256> first_bytes_{};  // the first bytes of the names in by_name_
  std::vector<std::size_t> others_;      // ascending
  std::size_t sorted_ = 0;
};

// Writes the line after the first entry that applies; returns which entry that was.
std::optional<Applied> substitute_line(DefineTable& table, EntryIndex& index, std::string_view line,
                                       std::string& out);

}  // namespace vonx
