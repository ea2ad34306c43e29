#include "translation/macro_input.hpp"

#include "common/jump_marker.hpp"
#include "common/line_origins.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"

namespace vonx {

namespace {

// The angle-bracket tests of one work-text line that holds a "<" followed by a
// letter at `first_open`. Returns the number of failed tests (0, 1 or 2).
int failed_angle_tests(std::string_view line, std::size_t first_open) {
  int failures = 0;
  // Test one: the first ">" that stands after the "<", or that is followed by a
  // letter, decides; it must stand after the "<".
  bool decided = false;
  for (std::size_t close = line.find('>'); close != std::string_view::npos;
       close = line.find('>', close + 1)) {
    bool before_letter = close + 1 < line.size() && is_alpha(line[close + 1]);
    if (close > first_open || before_letter) {
      decided = true;
      if (close < first_open) ++failures;
      break;
    }
  }
  if (!decided) return 1;
  // Test two: from that "<" on, every "<" has a ">" after it.
  std::size_t pos = first_open;
  while (true) {
    std::size_t open = line.find('<', pos);
    if (open == std::string_view::npos) break;
    std::size_t close = line.find('>', open + 1);
    if (close == std::string_view::npos) {
      ++failures;
      break;
    }
    pos = close + 1;
  }
  return failures;
}

// A character of an assembler name: a scratch register is found only as a whole
// name, not inside a longer one ("at6", "t6x", ".t6").
bool is_symbol_char(char c) {
  return is_alnum(c) || c == '_' || c == '.' || c == '$';
}

// The first scratch register that the statement text of `line` names as a whole
// name, outside quotes and before a jump marker; empty when none.
std::string_view scratch_register_in(std::string_view line,
                                     const std::vector<std::string>& scratch) {
  line = line.substr(0, line.find(kJumpMarkerOpen));
  bool name_before = false;
  for (std::size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (c == '"' || c == '\'') {
      std::size_t close = line.find(c, i + 1);
      i = close == std::string_view::npos ? line.size() : close + 1;
      name_before = false;
      continue;
    }
    if (!name_before && is_symbol_char(c)) {
      for (const std::string& name : scratch) {
        const std::size_t end = i + name.size();
        if (!name.empty() && line.substr(i).starts_with(name) &&
            (end == line.size() || !is_symbol_char(line[end])))
          return name;
      }
    }
    const std::size_t next = next_character(line, i);
    name_before = next - i == 1 && is_symbol_char(c);
    i = next;
  }
  return {};
}

}  // namespace

WorkText check_scratch_registers(FileSession& session, WorkText work_text) {
  const std::vector<std::string>& scratch = session.settings.scratch_registers;
  if (scratch.empty()) return work_text;
  std::string out;
  OriginRecorder origins(out);
  bool reported = false;
  for (auto [line, origin] : lines_of(work_text)) {
    out.append(line);
    const std::string_view name = scratch_register_in(line, scratch);
    if (!name.empty()) {
      if (!line.ends_with('\n')) out += '\n';
      report(session, Severity::error,
             at_line(session, origin,
                     quoted(line.substr(0, line.find(kJumpMarkerOpen))) + " uses " + quoted(name) +
                         ", a scratch register of the rules (#scratch=): they may overwrite it"),
             Message::scratch_register_used, name, &out);
      reported = true;
    }
    origins.lines_from(origin);
  }
  if (!reported) return work_text;
  return origins.finish(std::move(out));
}

void check_angle_brackets(FileSession& session, const WorkText& lowered) {
  bool failed = false;
  for (auto [line, origin] : lines_of(lowered)) {
    if (holds_marker_brackets(line)) continue;
    std::size_t first_open = std::string_view::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
      if (line[i] == '<' && is_alpha(line[i + 1])) {
        first_open = i;
        break;
      }
    }
    if (first_open == std::string_view::npos) continue;
    for (int i = failed_angle_tests(line, first_open); i > 0; --i) {
      report(session, Severity::error,
             at_line(session, origin, "\"<\" and \">\" do not pair up in " + quoted(line)),
             Message::angle_brackets_unbalanced, decimal(origin.line));
      failed = true;
    }
  }
  if (failed) stop_after_reports(session);
}

WorkText without_directive_lines(const FileSession& session, const WorkText& lowered) {
  std::string work;
  work.reserve(lowered.text.size());
  OriginRecorder origins(work);
  for (auto [line, origin] : lines_of(lowered)) {
    if (!session.cpu_directive.empty() &&
        begins_with(after_white(line, session.line_width), session.cpu_directive))
      continue;
    work.append(line);
    origins.lines_from(origin);
  }
  return origins.finish(std::move(work));
}

}  // namespace vonx
