#include "driver/line_markers.hpp"

#include <optional>
#include <vector>

#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"

namespace vonx {

namespace {

// A name written as it is, except the bytes that would end or break the line.
std::string raw_name(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f') c = '?';
  return out;
}

// The template with its placeholders filled in for `origin`; other text, also
// other "<...>", is written as it stands.
std::string filled(std::string_view form, LineOrigin origin, std::string_view file) {
  std::string out;
  for (std::size_t at = 0; at < form.size();) {
    const std::string_view rest = form.substr(at);
    const auto take = [&](std::string_view placeholder) {
      if (!rest.starts_with(placeholder)) return false;
      at += placeholder.size();
      return true;
    };
    if (take("<line>")) {
      out += decimal(origin.line);
    } else if (take("<file>")) {
      out += c_string_name(file);
    } else if (take("<rawfile>")) {
      out += raw_name(file);
    } else if (take("<fileno>")) {
      out += decimal(origin.file + 1);
    } else {
      out += form[at++];
    }
  }
  out += '\n';
  return out;
}

}  // namespace

std::string c_string_name(std::string_view name) {
  static const char kOctal[] = "01234567";
  std::string out;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      out += '\\';
      out += kOctal[byte >> 6];
      out += kOctal[(byte >> 3) & 7];
      out += kOctal[byte & 7];
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<WorkText> with_line_markers(const WorkText& text, const SectionSettings& settings,
                                          std::span<const std::string> files, std::size_t limit) {
  std::string out;
  out.reserve(text.text.size() + text.text.size() / 2);
  OriginRecorder origins(out);
  std::vector<bool> declared(files.size(), false);
  // What the assembler takes the next line for: the last marker's origin, or
  // with a counting form the origin counted on from it. Nothing before the first.
  std::optional<LineOrigin> known;
  WorkTextReader reader(text);
  std::string_view line;
  LineOrigin origin;
  while (reader.next(line, origin)) {
    const bool from_file = origin.line != 0 && origin.file < files.size();
    if (from_file && known != origin) {
      if (!declared[origin.file] && !settings.line_file_text.empty())
        out += filled(settings.line_file_text, origin, files[origin.file]);
      declared[origin.file] = true;
      out += filled(settings.line_mark_text, origin, files[origin.file]);
      known = origin;
    }
    out += line;
    if (out.size() > limit) return std::nullopt;
    origins.lines_from(origin);
    if (known && settings.line_mark_counts) ++known->line;
  }
  return origins.finish(std::move(out));
}

void add_line_markers(FileSession& session, WorkText& translated) {
  const SectionSettings& settings = session.settings;
  const auto at_section = [&](std::string text) {
    return at_config_line(
        session,
        section_line_number(session.config_text, session.cpu_directive, session.line_width),
        "the section " + quoted(session.cpu_directive) + " " + text +
            ": -g writes no line markers");
  };
  if (settings.line_mark_text.empty()) {
    report_on_stderr(session, Severity::warning, at_section("has no #linemark= or #linecount="));
    return;
  }
  if (session.line_numbering_start != 0) {
    report_on_stderr(session, Severity::warning,
                     unplaced(session.source_path +
                              " numbers its output lines (.line): -g writes no line markers"));
    return;
  }
  std::optional<WorkText> marked =
      with_line_markers(translated, settings, session.origin_files, session.work_limit);
  if (!marked) {
    report_on_stderr(session, Severity::warning,
                     at_section("writes markers that would make the output of " +
                                session.source_path + " larger than " +
                                decimal(static_cast<long long>(session.work_limit)) + " bytes"));
    return;
  }
  translated = std::move(*marked);
}

}  // namespace vonx
