#include "preprocessor/define_table.hpp"

#include <algorithm>

#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"

namespace vonx {

const DefineEntry* DefineTable::find(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const DefineEntry& entry : entries_)
    if (entry.name == name) return &entry;
  return nullptr;
}

void DefineTable::add(std::string name, std::string value) {
  entries_.push_back(DefineEntry{std::move(name), std::move(value), false});
}

void DefineTable::undefine(std::string_view name) {
  if (name.empty()) return;
  for (DefineEntry& entry : entries_) {
    if (entry.name != name) continue;
    entry.name.clear();
    entry.value.clear();
  }
}

namespace {

constexpr std::string_view define_keyword = "#define";
constexpr std::string_view undef_keyword = "#undef";

std::size_t non_white_end(std::string_view text, std::size_t pos) {
  while (pos < text.size() && !is_white(text[pos])) ++pos;
  return pos;
}

}  // namespace

bool is_define_line(std::string_view line, std::size_t line_width) {
  return begins_with(after_white(line, line_width), define_keyword);
}

bool is_undef_line(std::string_view line, std::size_t line_width) {
  return begins_with(after_white(line, line_width), undef_keyword);
}

DefineLine read_define_line(std::string_view line, std::size_t line_width) {
  std::string_view rest = after_white(line, line_width);
  rest.remove_prefix(std::min(rest.size(), define_keyword.size()));
  std::size_t start = skip_white(rest, 0, line_width);
  std::size_t end = non_white_end(rest, start);
  DefineLine read;
  read.name = std::string(rest.substr(start, end - start));
  // The value runs to the line end; a last line without a newline keeps its value too.
  read.value = std::string(trim_right(rest.substr(skip_white(rest, end, line_width))));
  return read;
}

std::string undef_name(std::string_view line, std::size_t line_width) {
  std::string_view rest = after_white(line, line_width);
  rest.remove_prefix(std::min(rest.size(), undef_keyword.size()));
  std::size_t start = skip_white(rest, 0, line_width);
  return std::string(rest.substr(start, non_white_end(rest, start) - start));
}

std::string define_line_text(std::string_view name, std::string_view value) {
  std::string text = "#define ";
  text += name;
  if (!value.empty()) {
    text += ' ';
    text += value;
  }
  text += '\n';
  return text;
}

void report_redefinition(FileSession& session, std::string_view name, LineOrigin origin,
                         std::string* output) {
  report(session, Severity::warning,
         at_line(session, origin, quoted(name) + " is defined again; the first definition stays"),
         Message::define_conflict, {}, output);
}

std::vector<DefineLine> collect_defines(FileSession& session, const WorkText& text) {
  std::vector<DefineLine> found;
  for (auto [line, origin] : lines_of(text)) {
    if (!is_define_line(line, session.line_width)) continue;
    found.push_back(read_define_line(line, session.line_width));
    found.back().origin = origin;
  }
  // Longest name first; a stable sort keeps equal lengths in file order.
  std::stable_sort(found.begin(), found.end(), [](const DefineLine& a, const DefineLine& b) {
    return a.name.size() > b.name.size();
  });

  DefineTable seen;
  for (const DefineLine& define : found) {
    if (seen.defined(define.name)) {
      // The first definition stays; the later row is kept so that the n-th #define
      // line of the text still takes the n-th row during registration.
      report_redefinition(session, define.name, define.origin);
      continue;
    }
    seen.add(define.name, define.value);
  }
  return found;
}

std::optional<std::string> DefineRegistration::register_next() {
  if (next_row_ >= define_list_.size()) return std::nullopt;
  const DefineLine& row = define_list_[next_row_++];
  if (row.name.empty() || table_.defined(row.name)) return std::nullopt;
  table_.add(row.name, row.value);
  return define_line_text(row.name, row.value);
}

}  // namespace vonx
