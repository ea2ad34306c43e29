#include "preprocessor/layout_normalisation.hpp"

#include <optional>

#include "common/line_reader.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

bool begins_control_line(std::string_view start) {
  for (std::string_view keyword : {"if", "else", "for", "while", "do", "}"})
    if (begins_with(start, keyword)) return true;
  return false;
}

// Number of control headers on the line that open a body without "{": if (…),
// else if (…), a plain else, for (…) and while (…). Each test starts where the
// previous one stopped, so "else if (" counts once.
int braceless_headers(std::string_view start, std::size_t line_width) {
  std::size_t pos = 0;
  int found = 0;
  auto keyword = [&](std::string_view word) {
    if (!begins_with(start.substr(pos), word)) return false;
    pos = skip_white(start, pos + word.size(), line_width);
    return true;
  };
  auto no_brace_from = [&](std::size_t from) {
    return start.find('{', from) == std::string_view::npos;
  };
  auto parenthesised_without_brace = [&] {
    return pos < start.size() && start[pos] == '(' && no_brace_from(pos);
  };

  if (keyword("if") && parenthesised_without_brace()) ++found;
  std::size_t else_at = pos;
  if (keyword("else")) {
    if (keyword("if")) {
      if (parenthesised_without_brace()) ++found;
    } else {
      // Only the word else itself: a label such as else_part: opens no body.
      std::size_t after = else_at + 4;
      bool word_ends = after >= start.size() || is_white(start[after]);
      if (word_ends && no_brace_from(after)) ++found;
    }
  }
  if (keyword("for") && parenthesised_without_brace()) ++found;
  if (keyword("while") && parenthesised_without_brace()) ++found;
  return found;
}

}  // namespace

std::string layout_normalisation(FileSession& session, std::string_view text) {
  const std::size_t width = session.line_width;
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  int case_run = 0;
  int open_bodies = 1;
  bool body_pending = false;
  bool directive_seen = false;

  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) {
    std::string_view start = after_white(line, width);
    if (!session.preprocess_only) {
      // The "[case]" line goes before the first line after a run of case lines.
      if (begins_with(start, "case")) {
        ++case_run;
      } else {
        if (case_run >= 1) out += "\t[case]\n";
        case_run = 0;
      }
    }
    if (!begins_control_line(start)) body_pending = false;

    if (begins_with(start, ".line")) {
      session.line_numbering_start = 10;
      continue;
    }
    if (begins_with(start, ".block")) {
      session.block_mode = true;
      continue;
    }
    if (begins_with(start, ".preprocessor")) {
      session.preprocess_only = true;
      continue;
    }
    if (session.preprocess_only) {
      out += line;
      continue;
    }

    if (!session.cpu_directive.empty() && begins_with(start, session.cpu_directive)) {
      directive_seen = true;
    } else if (int headers = braceless_headers(start, width); headers > 0) {
      body_pending = true;
      open_bodies += headers;
    }
    out += line;

    // The statement after brace-less headers ends their bodies: one "}" line each.
    if (!body_pending && open_bodies > 1) {
      if (out.back() != '\n') out += '\n';
      for (; open_bodies > 1; --open_bodies) out += "\t}\n";
    }
  }
  if (!directive_seen) session.console.fatal(Message::cpu_directive_missing);
  return out;
}

std::string join_closing_braces(std::string_view text, std::size_t line_width) {
  std::string out;
  out.reserve(text.size());
  std::optional<std::string_view> held;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) {
    std::string_view start = after_white(line, line_width);
    if (held) {
      if (begins_with(start, "else")) {
        out += without_newline(*held);
        out += line;
        held.reset();
        continue;
      }
      out += *held;
      held.reset();
    }
    if (begins_with(start, "}"))
      held = line;
    else
      out += line;
  }
  if (held) out += *held;
  return out;
}

}  // namespace vonx
