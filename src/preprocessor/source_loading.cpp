#include "preprocessor/source_loading.hpp"

#include <algorithm>
#include <deque>
#include <unordered_set>
#include <utility>
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

WorkText remove_comments(FileSession& session, const WorkText& text) {
  std::string out;
  out.reserve(text.text.size());
  OriginRecorder origins(out);
  bool in_block = false;
  LineOrigin opened;  // the line of the open block comment
  std::string_view opened_line;
  for (auto [line, origin] : lines_of(text)) {
    std::size_t close = std::string_view::npos;
    if (in_block) {
      close = line.find("*/");
    } else if (std::size_t open = line.find("/*"); open != std::string_view::npos) {
      // The text before the comment and the text after its end form one line.
      out += line.substr(0, open);
      in_block = true;
      opened = origin;
      opened_line = line;
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
  if (in_block) {
    // The rest of the text was taken by the comment: the message stands where it began.
    report(session, Severity::error,
           at_line(session, opened,
                   "the comment begun in " + quoted(opened_line) + " is never closed"),
           Message::comment_unclosed, {}, &out);
    origins.lines_from(opened);
  }
  return origins.finish(std::move(out));
}

namespace {

// Include names are compared without regard to letter case.
std::string folded(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
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

std::string joined(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + std::string(name);
}

// A name that says where it is from the root ("/x", "\x", "c:x") is looked for
// there only.
bool is_absolute(std::string_view name) {
  return (!name.empty() && (name[0] == '/' || name[0] == '\\')) ||
         (name.size() > 1 && name[1] == ':');
}

struct IncludePlace {
  std::string folder;     // as shown in the not-found report
  std::string full_name;  // the folder joined with the name
};

// Where an included name is looked for, in order: the program's own folder, or
// the current folder when the name holds a path; then the including file's own
// folder; then each -I folder. Places that give the same full name are tried once.
std::vector<IncludePlace> include_places(const RunContext& run, std::string_view name,
                                         std::string_view including_folder) {
  std::vector<IncludePlace> places;
  if (has_separator(name))
    places.push_back({".", std::string(name)});
  else
    places.push_back({run.program_dir, run.program_dir + std::string(name)});
  if (is_absolute(name)) return places;
  auto add = [&](std::string_view folder) {
    std::string full_name = joined(folder, name);
    for (const IncludePlace& place : places)
      if (place.full_name == full_name) return;
    places.push_back({folder.empty() ? "." : std::string(folder), std::move(full_name)});
  };
  add(including_folder);
  for (const std::string& folder : run.options.include_dirs) add(folder);
  return places;
}

[[noreturn]] void include_not_found(FileSession& session, LineOrigin origin, std::string_view name,
                                    const std::vector<IncludePlace>& places) {
  // Standard error lists every folder tried; standard output names the first
  // place, as it always has.
  std::string tried = "cannot find included file " + quoted(name) + "; looked in ";
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (i != 0) tried += ", ";
    tried += "\"" + places[i].folder + "\"";
  }
  stop(session, at_line(session, origin, tried), Message::not_found, places.front().full_name);
}

// A place that holds the name but no file to include: the first such place is
// reported when no place has the file.
struct NotAFile {
  std::string full_name;
  FileKind kind;
};

[[noreturn]] void include_not_a_file(FileSession& session, LineOrigin origin,
                                     const NotAFile& found) {
  const std::string name = "included file \"" + found.full_name + "\" ";
  if (found.kind == FileKind::link_loop)
    stop(session,
         at_line(session, origin, name + "is a loop of symbolic links that leads to no file"),
         Message::link_loop, found.full_name);
  const char* what = found.kind == FileKind::folder   ? "is a folder, not a file"
                     : found.kind == FileKind::device ? "is a device, not a file"
                     : found.kind == FileKind::pipe   ? "is a pipe (FIFO), not a file"
                                                      : "is not a regular file";
  stop(session, at_line(session, origin, name + what), Message::not_a_file, found.full_name);
}

// A NUL byte passes into the output as it stands, but it is seldom meant: the
// first one of each file is reported as a warning at its line.
void warn_of_nul_byte(FileSession& session, std::string_view text, std::uint32_t file) {
  std::size_t at = text.find('\0');
  if (at == std::string_view::npos) return;
  const auto line = static_cast<std::uint32_t>(
      std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1);
  report(session, Severity::warning,
         at_line(session, LineOrigin{file, line}, "the line holds a NUL byte"), Message::nul_byte);
}
// The text of one file in the expansion: runs of its own lines, each followed by
// the file that an #include line after it brought in (or by nothing).
struct IncludedText {
  struct Run {
    std::size_t begin, end;            // bytes of the text
    std::size_t first_line, end_line;  // the same lines, as indices of the text's origins
    std::size_t child;                 // index of the included text, or kNoChild
  };
  WorkText text;
  std::string
      folder;  // where the file's own #include lines are looked up first after the usual place
  std::vector<Run> runs;
};

constexpr std::size_t kNoChild = static_cast<std::size_t>(-1);

}  // namespace

// Expansion goes one level of nesting per pass, and a pass takes the #include lines
// in the order of the text: the first #include of a name seen that way includes it,
// later ones are dropped. Lines of earlier levels hold no #include left to expand,
// so each pass reads only the files that the pass before it brought in. Included
// lines keep their own file and numbers.
WorkText expand_includes(FileSession& session, const WorkText& text) {
  // A deque keeps the texts in place while the reader of one of them walks it and
  // new files are added (a short text would move with its vector otherwise).
  std::deque<IncludedText> files{
      {text, session.source_path.substr(0, base_name_start(session.source_path)), {}}};
  // Each file is included once, whatever name reaches it: by its name (letter
  // case aside) and by its identity on disk.
  std::unordered_set<std::string> include_list;
  std::unordered_set<FileIdentity, FileIdentityHash> included_files;
  std::vector<std::size_t> level{0};
  while (!level.empty()) {
    std::vector<std::size_t> next_level;
    for (std::size_t index : level) {
      std::size_t run_begin = 0, run_line = 0, line_count = 0;
      for (auto [line, origin] : lines_of(files[index].text)) {
        const std::size_t line_index = line_count++;
        std::string_view name;
        if (!include_name(line, session.line_width, name)) continue;
        std::size_t line_begin =
            static_cast<std::size_t>(line.data() - files[index].text.text.data());
        std::size_t line_end = line_begin + line.size();
        // The first place where the file was included before or where it opens decides.
        std::vector<IncludePlace> places = include_places(session.run, name, files[index].folder);
        std::optional<std::string> included;
        std::string full_name;
        FileIdentity identity;
        std::optional<NotAFile> not_a_file;
        bool included_before = false;
        for (const IncludePlace& place : places) {
          included_before = include_list.count(folded(place.full_name)) != 0;
          if (included_before) break;
          if (FileKind kind = file_kind(place.full_name); kind != FileKind::regular) {
            if (kind != FileKind::missing && !not_a_file) not_a_file = {place.full_name, kind};
            continue;
          }
          included = read_text_file(place.full_name, &identity);
          if (!included) continue;
          included_before = included_files.count(identity) != 0;
          if (included_before) break;
          full_name = place.full_name;
          break;
        }
        std::size_t child = kNoChild;
        if (!included_before) {  // each file is included once: the #include line is dropped
          if (!included && not_a_file) include_not_a_file(session, origin, *not_a_file);
          if (!included) include_not_found(session, origin, name, places);
          include_list.insert(folded(full_name));
          included_files.insert(identity);
          session.input_bytes += included->size();
          // The included text always ends with a line end, so its last line is never
          // joined with the line after the #include.
          if (!included->empty() && included->back() != '\n') *included += '\n';
          std::string folder = full_name.substr(0, base_name_start(full_name));
          WorkText numbered = numbered_text(*included, session.origin_files.size());
          session.origin_files.push_back(std::move(full_name));
          warn_of_nul_byte(session, *included,
                           static_cast<std::uint32_t>(session.origin_files.size() - 1));
          child = files.size();
          next_level.push_back(child);
          files.push_back({std::move(numbered), std::move(folder), {}});
        }
        files[index].runs.push_back({run_begin, line_begin, run_line, line_index, child});
        run_begin = line_end;
        run_line = line_index + 1;
      }
      files[index].runs.push_back(
          {run_begin, files[index].text.text.size(), run_line, line_count, kNoChild});
    }
    level = std::move(next_level);
  }

  WorkText out;
  std::vector<std::pair<std::size_t, std::size_t>> path{{0, 0}};  // file, next run
  while (!path.empty()) {
    auto& [index, run] = path.back();
    if (run == files[index].runs.size()) {
      path.pop_back();
      continue;
    }
    const IncludedText::Run& part = files[index].runs[run++];
    const WorkText& file = files[index].text;
    out.text.append(file.text, part.begin, part.end - part.begin);
    const auto origins = file.origins.begin();
    out.origins.insert(out.origins.end(), origins + static_cast<std::ptrdiff_t>(part.first_line),
                       origins + static_cast<std::ptrdiff_t>(part.end_line));
    if (part.child != kNoChild) path.emplace_back(part.child, 0);
  }
  return out;
}

WorkText load_source(FileSession& session, std::string_view source) {
  session.source_stem = source_stem_of(session.source_path);
  warn_of_nul_byte(session, source, 0);
  // The -D lines stand before the source's first line, as if written there; they
  // come from no line of a file.
  WorkText text = numbered_text(source);
  text.text.insert(0, session.run.options.define_lines);
  text.origins.insert(
      text.origins.begin(),
      static_cast<std::size_t>(std::count(session.run.options.define_lines.begin(),
                                          session.run.options.define_lines.end(), '\n')),
      LineOrigin{});
  return expand_includes(session, remove_comments(session, text));
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
  for (auto [line, origin] : lines_of(text)) {
    std::string_view rest = after_white(line, session.line_width);
    if (rest.empty() || rest[0] != '.') continue;
    std::size_t end = rest.find("//");
    if (end == std::string_view::npos) end = rest.find("/*");
    if (end == std::string_view::npos) end = rest.find('\n');
    directive = std::string(trim_right(rest.substr(0, end)));
    directive_origin = origin;
    break;
  }
  if (!directive.empty()) {
    LineReader rules(session.config_text);
    std::string_view line;
    while (rules.next(line))
      if (begins_with(after_white(line, session.line_width), directive)) return directive;
  }
  const std::string sections = "; " + session.run.rule_file_name + " has the sections " +
                               section_list(session.config_text, session.line_width);
  if (directive.empty())
    stop(session,
         unplaced(session.source_path + " has no CPU directive (a line beginning with \".\")" +
                  sections),
         Message::cpu_directive_missing);
  stop(session,
       at_line(session, directive_origin,
               "CPU directive " + vonx::quoted(directive) + " selects no section" + sections),
       Message::cpu_directive_missing);
}

}  // namespace vonx
