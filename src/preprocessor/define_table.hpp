// The define table: the #define constants of one source file. Collection puts the
// #define lines in order (longest name first) into the define list; conditional
// inclusion registers them one by one so that #ifdef and #if can test them; the
// substitution sweeps fill the table once more and replace the names in the text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

struct DefineEntry {
  std::string name;   // empty: the entry was removed by #undef
  std::string value;  // may be empty
  bool self = false;  // the last replacement by this entry wrote its own name again

  bool operator==(const DefineEntry&) const = default;
};

class DefineTable {
 public:
  // The first live entry with exactly this name; removed entries and an empty
  // name never match.
  const DefineEntry* find(std::string_view name) const;
  bool defined(std::string_view name) const { return find(name) != nullptr; }

  void add(std::string name, std::string value);
  // Every entry with this name loses its name and value.
  void undefine(std::string_view name);

  // Entries in the order they were added, removed ones included.
  std::vector<DefineEntry>& entries() { return entries_; }
  const std::vector<DefineEntry>& entries() const { return entries_; }

 private:
  std::vector<DefineEntry> entries_;
};

// A #define line's name and value; the define list holds them in collection order.
struct DefineLine {
  std::string name;
  std::string value;
  LineOrigin origin;  // where the #define line stands
};

// A line that begins, after white space, with "#define" (or "#undef").
bool is_define_line(std::string_view line, std::size_t line_width);
bool is_undef_line(std::string_view line, std::size_t line_width);

// Reads a #define line: the name is the run of non-white characters after
// "#define" and its white space; the value is the rest of the line, trailing white
// space removed.
DefineLine read_define_line(std::string_view line, std::size_t line_width);

// The name of an #undef line: the run of non-white characters after "#undef".
std::string undef_name(std::string_view line, std::size_t line_width);

// The line a registered definition is written as: "#define NAME" and, when the
// value is not empty, a blank and the value; then a newline.
std::string define_line_text(std::string_view name, std::string_view value);

// Reports a name defined a second time (a warning); with `output`, the message
// line is written there too.
void report_redefinition(FileSession& session, std::string_view name, LineOrigin origin,
                         std::string* output = nullptr);

// Every #define line of the text, longest name first, equal lengths in file order.
// A name defined a second time is reported (define_conflict, wait_at_end) and its
// row stays in the list so that the n-th #define line still takes the n-th row.
std::vector<DefineLine> collect_defines(FileSession& session, const WorkText& text);

// Registration during conditional inclusion: the #define line takes the next row
// of the define list (not its own text). Returns the line to write in its place,
// or nothing when the name is already registered.
class DefineRegistration {
 public:
  explicit DefineRegistration(const std::vector<DefineLine>& define_list)
      : define_list_(define_list) {}

  std::optional<std::string> register_next();
  void undefine(std::string_view name) { table_.undefine(name); }
  const DefineTable& table() const { return table_; }

 private:
  const std::vector<DefineLine>& define_list_;
  std::size_t next_row_ = 0;
  DefineTable table_;
};

}  // namespace vonx
