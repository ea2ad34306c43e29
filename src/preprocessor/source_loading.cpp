#include "preprocessor/source_loading.hpp"

#include <vector>

#include "common/files.hpp"
#include "common/line_origins.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"

namespace vonx {

std::string source_stem_of(std::string_view path) {
  std::size_t base = base_name_start(path);
  std::size_t at = find_nocase(path.substr(base), ".7pp");
  if (at == std::string_view::npos) return {};
  return std::string(path.substr(0, base + at));
}

WorkText remove_comments(const WorkText& text) {
  std::string out;
  out.reserve(text.text.size());
  OriginRecorder origins(out);
  bool in_block = false;
  WorkTextReader reader(text);
  std::string_view line;
  LineOrigin origin;
  while (reader.next(line, origin)) {
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
    } else {
      out += line;
    }
    if (close != std::string_view::npos) {
      out += line.substr(close + 2);
      in_block = false;
    }
    origins.lines_from(origin);
  }
  return origins.finish(std::move(out));
}

namespace {

// The included files are the origin files after the source itself.
bool listed(const std::vector<std::string>& origin_files, std::size_t first_included,
            std::string_view full_name) {
  for (std::size_t i = first_included; i < origin_files.size(); ++i) {
    const std::string& row = origin_files[i];
    if (row.size() == full_name.size() && find_nocase(row, full_name) == 0) return true;
  }
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

WorkText expand_includes(FileSession& session, const WorkText& text) {
  WorkText current = text;
  for (bool changed = true; changed;) {
    changed = false;
    std::string out;
    out.reserve(current.text.size());
    OriginRecorder origins(out);
    WorkTextReader reader(current);
    std::string_view line;
    LineOrigin origin;
    while (reader.next(line, origin)) {
      std::string_view name;
      if (!include_name(line, session.line_width, name)) {
        out += line;
        origins.lines_from(origin);
        continue;
      }
      // Include files are looked up in the program's own directory unless a path is written.
      std::string full_name =
          has_separator(name) ? std::string(name) : session.run.program_dir + std::string(name);
      if (listed(session.origin_files, 1, full_name)) continue;
      std::optional<std::string> included = read_text_file(full_name);
      if (!included) {
        std::string text = "include file " + quoted(name) + " not found";
        if (!has_separator(name)) text += " in " + folder_text(session.run.program_dir);
        stop(session, at_line(session, origin, text), Message::not_found, full_name);
      }
      // The included text always ends with a line end, so its last line is never
      // joined with the line after the #include.
      if (!included->empty() && included->back() != '\n') *included += '\n';
      // Its lines keep their own file and numbers.
      const WorkText numbered = numbered_text(*included, session.origin_files.size());
      WorkTextReader included_lines(numbered);
      while (included_lines.next(line, origin)) {
        out += line;
        origins.lines_from(origin);
      }
      session.origin_files.push_back(std::move(full_name));
      changed = true;
    }
    current = origins.finish(std::move(out));
  }
  return current;
}

WorkText load_source(FileSession& session, std::string_view source) {
  session.source_stem = source_stem_of(session.source_path);
  return expand_includes(session, remove_comments(numbered_text(source)));
}

namespace {

// The section lines of config.txt (the lines that begin with "."), quoted and
// separated by commas, for a message.
std::string section_list(std::string_view config, std::size_t line_width) {
  std::string list;
  LineReader reader(config);
  std::string_view line;
  while (reader.next(line)) {
    std::string_view rest = after_white(line, line_width);
    if (rest.empty() || rest[0] != '.') continue;
    list += list.empty() ? "" : ", ";
    list += quoted(rest);
  }
  return list.empty() ? std::string("none") : list;
}

}  // namespace

std::string find_cpu_directive(FileSession& session, const WorkText& text) {
  std::string directive;
  LineOrigin directive_origin;
  WorkTextReader reader(text);
  std::string_view line;
  while (reader.next(line, directive_origin)) {
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
  const std::string sections =
      "; config.txt has the sections " + section_list(session.config_text, session.line_width);
  if (directive.empty())
    stop(session,
         unplaced(session.source_path + " has no CPU directive (a line beginning with \".\")" +
                  sections),
         Message::cpu_directive_missing);
  stop(session,
       at_line(session, directive_origin,
               "CPU directive " + quoted(directive) + " selects no section" + sections),
       Message::cpu_directive_missing);
}

}  // namespace vonx
