#include "preprocessor/source_loading.hpp"

#include <vector>

#include "common/files.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"

namespace vonx {

std::string source_stem_of(std::string_view path) {
  std::size_t base = base_name_start(path);
  std::size_t at = find_nocase(path.substr(base), ".7pp");
  if (at == std::string_view::npos) return {};
  return std::string(path.substr(0, base + at));
}

std::string remove_comments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool in_block = false;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) {
    std::size_t close = std::string_view::npos;
    if (in_block) {
      close = line.find("*/");
    } else if (std::size_t open = line.find("/*"); open != std::string_view::npos) {
      // The text before the comment and the text after its end form one line.
      out += line.substr(0, open);
      in_block = true;
      close = line.find("*/", open + 2);
    } else if (std::size_t slashes = line.find("//"); slashes != std::string_view::npos) {
      out += line.substr(0, slashes);
      out += '\n';
      continue;
    } else {
      out += line;
      continue;
    }
    if (close != std::string_view::npos) {
      out += line.substr(close + 2);
      in_block = false;
    }
  }
  return out;
}

namespace {

bool listed(const std::vector<std::string>& include_list, std::string_view full_name) {
  for (const std::string& row : include_list)
    if (row.size() == full_name.size() && find_nocase(row, full_name) == 0) return true;
  return false;
}

// The name of an #include line, or false when the line is not one of the two
// accepted forms ("<name>" or a quoted name).
bool include_name(std::string_view line, std::size_t line_width, std::string_view& name) {
  std::string_view rest = after_white(line, line_width);
  if (!begins_with(rest, "#include")) return false;
  rest = rest.substr(std::string_view("#include").size());
  rest = rest.substr(skip_white(rest, 0, line_width));
  if (rest.empty()) return false;
  char close = rest[0] == '<' ? '>' : rest[0] == '"' ? '"' : '\0';
  if (close == '\0') return false;
  std::size_t end = rest.find(close, 1);
  if (end == std::string_view::npos) return false;
  name = rest.substr(1, end - 1);
  return true;
}

}  // namespace

std::string expand_includes(FileSession& session, std::string_view text) {
  std::vector<std::string> include_list;
  std::string current(text);
  for (bool changed = true; changed;) {
    changed = false;
    std::string out;
    out.reserve(current.size());
    LineReader reader(current);
    std::string_view line;
    while (reader.next(line)) {
      std::string_view name;
      if (!include_name(line, session.line_width, name)) {
        out += line;
        continue;
      }
      // Include files are looked up in the program's own directory unless a path is written.
      std::string full_name =
          has_separator(name) ? std::string(name) : session.run.program_dir + std::string(name);
      if (listed(include_list, full_name)) continue;
      std::optional<std::string> included = read_text_file(full_name);
      if (!included) stop(session, Message::not_found, full_name);
      out += *included;
      // The included text always ends with a line end, so its last line is never
      // joined with the line after the #include.
      if (!included->empty() && included->back() != '\n') out += '\n';
      include_list.push_back(std::move(full_name));
      changed = true;
    }
    current = std::move(out);
  }
  return current;
}

std::string load_source(FileSession& session, std::string_view source) {
  session.source_stem = source_stem_of(session.source_path);
  return expand_includes(session, remove_comments(source));
}

std::string find_cpu_directive(FileSession& session, std::string_view text) {
  std::string directive;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) {
    std::string_view rest = after_white(line, session.line_width);
    if (rest.empty() || rest[0] != '.') continue;
    std::size_t end = rest.find("//");
    if (end == std::string_view::npos) end = rest.find("/*");
    if (end == std::string_view::npos) end = rest.find('\n');
    directive = std::string(trim_right(rest.substr(0, end)));
    break;
  }
  if (!directive.empty()) {
    LineReader rules(session.config_text);
    while (rules.next(line))
      if (begins_with(after_white(line, session.line_width), directive)) return directive;
  }
  stop(session, Message::cpu_directive_missing);
}

}  // namespace vonx
