#include "preprocessor/layout_normalisation.hpp"

#include <optional>
#include <vector>

#include "common/line_origins.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "preprocessor/conditional_inclusion.hpp"

namespace vonx {

namespace {

// The line begins with the keyword as a whole word: a label or mnemonic such as
// done, format or else_part is not the keyword it starts with.
bool begins_with_word(std::string_view start, std::string_view word) {
  if (!begins_with(start, word)) return false;
  if (start.size() == word.size()) return true;
  char next = start[word.size()];
  return !is_alnum(next) && next != '_';
}

bool begins_control_line(std::string_view start) {
  if (begins_with(start, "}")) return true;
  for (std::string_view keyword : {"if", "else", "for", "while", "do"})
    if (begins_with_word(start, keyword)) return true;
  return false;
}

enum class BodyKind {
  then_body,    // the body of an if or else if header: an else can follow it
  else_body,    // the body of a plain else
  loop_body,    // the body of a for or while header
  if_block,     // a block in braces that an else can follow ("if (a) {", "else if (b) {")
  do_block,     // the block in braces of a do loop: its "}" stands with the loop's while
  other_block,  // any other block in braces
  group,        // an #if group that stands as the one statement of a brace-less body
};

bool is_braceless(BodyKind kind) {
  return kind == BodyKind::then_body || kind == BodyKind::else_body || kind == BodyKind::loop_body;
}

// The control headers on the line that open a body without "{": if (…), else
// if (…), a plain else, for (…) and while (…), in line order. Each test starts
// where the previous one stopped, so "else if (" is one header.
std::vector<BodyKind> braceless_headers(std::string_view start, std::size_t line_width) {
  std::size_t pos = 0;
  std::vector<BodyKind> found;
  auto keyword = [&](std::string_view word) {
    if (!begins_with(start.substr(pos), word)) return false;
    pos = skip_white(start, pos + word.size(), line_width);
    return true;
  };
  auto no_brace_from = [&](std::size_t from) {
    return find_character(start, "{", from) == std::string_view::npos;
  };
  auto parenthesised_without_brace = [&] {
    return pos < start.size() && start[pos] == '(' && no_brace_from(pos);
  };

  if (keyword("if") && parenthesised_without_brace()) found.push_back(BodyKind::then_body);
  if (begins_with_word(start.substr(pos), "else")) {
    keyword("else");
    if (keyword("if")) {
      if (parenthesised_without_brace()) found.push_back(BodyKind::then_body);
    } else if (no_brace_from(pos)) {
      found.push_back(BodyKind::else_body);
    }
  }
  if (keyword("for") && parenthesised_without_brace()) found.push_back(BodyKind::loop_body);
  if (keyword("while") && parenthesised_without_brace()) found.push_back(BodyKind::loop_body);
  return found;
}

bool opens_block(std::string_view start) {
  std::string_view text = trim_right(start);
  return !text.empty() && text.back() == '{' && at_character_start(text, text.size() - 1);
}

// An if header, or an else if header, whose block an else may follow.
bool is_if_header(std::string_view start, std::size_t line_width) {
  if (begins_with_word(start, "else")) start = start.substr(skip_white(start, 4, line_width));
  return begins_with_word(start, "if");
}

// The kind of the block in braces that a line opens.
BodyKind block_kind(std::string_view start, std::size_t line_width) {
  if (is_if_header(start, line_width)) return BodyKind::if_block;
  return begins_with_word(start, "do") ? BodyKind::do_block : BodyKind::other_block;
}

// Brace-less bodies end with the statement that follows their headers: a plain
// line, a whole block in braces, or a whole #if group (from #if to #endif, each
// branch holding the statement it gives; the groups are decided later). The "\t}"
// lines that close them are written before the next line that is not blank,
// because that line decides how many close: before an else only the bodies up to
// the nearest if close, so the else belongs to that if, as in C.
class BracelessBodies {
 public:
  BracelessBodies(std::string& out, OriginRecorder& origins, std::size_t line_width)
      : out_(out), origins_(origins), line_width_(line_width) {}

  // Called with every line that is not blank, before it is written.
  void before_line(std::string_view start) {
    if (pending_ == Pending::none) return;
    const bool else_follows = begins_with_word(start, "else");
    const Pending pending = pending_;
    pending_ = Pending::none;
    // A block of an if followed by an else: the if statement goes on.
    if (pending == Pending::if_block_closed && else_follows) return;
    close_bodies(else_follows);
  }

  // Called with every line that is not blank, after it is written.
  void after_line(std::string_view start, LineOrigin origin) {
    const bool header_before = awaiting_statement_;
    awaiting_statement_ = false;
    if (in_group_statement(start, origin, header_before)) return;
    if (begins_with(start, "}")) {
      std::string_view rest = start.substr(skip_white(start, 1, line_width_));
      const bool closed_if = pop_block() == BodyKind::if_block;
      if (begins_with_word(rest, "else")) {
        // "} else {" and "} else if (…) {" go on with the same if statement, and
        // so do "} else" and "} else if (…)" with a body on the lines below.
        if (opens_block(rest))
          open_.push_back(
              {is_if_header(rest, line_width_) ? BodyKind::if_block : BodyKind::other_block,
               origin});
        else
          open_headers(rest, origin);
        return;
      }
      pending_ = closed_if && !begins_with_word(rest, "while") ? Pending::if_block_closed
                                                               : Pending::statement_ended;
      return;
    }
    if (opens_block(start)) {
      open_.push_back({block_kind(start, line_width_), origin});
      return;
    }
    if (!open_headers(start, origin) && !begins_control_line(start))
      pending_ = Pending::statement_ended;
  }

  void at_end() {
    if (pending_ == Pending::none) return;
    pending_ = Pending::none;
    close_bodies(false);
  }

  // The line is a "}" alone that ends the block of a do loop.
  bool ends_do_alone(std::string_view start) const {
    if (!begins_with(start, "}") || !is_blank(start.substr(1))) return false;
    for (auto body = open_.rbegin(); body != open_.rend(); ++body)
      if (!is_braceless(body->kind)) return body->kind == BodyKind::do_block;
    return false;
  }

  // Lines after ".preprocessor" pass through unchanged: no body is closed any more.
  void forget() {
    pending_ = Pending::none;
    awaiting_statement_ = false;
    open_.clear();
    group_depths_.clear();
  }

 private:
  enum class Pending { none, statement_ended, if_block_closed };

  // An open body or block and the line of its header.
  struct OpenBody {
    BodyKind kind;
    LineOrigin origin;
  };

  // Opens the brace-less bodies of the headers on the line; false when it has none.
  bool open_headers(std::string_view start, LineOrigin origin) {
    std::vector<BodyKind> headers = braceless_headers(start, line_width_);
    for (BodyKind kind : headers) open_.push_back({kind, origin});
    awaiting_statement_ = !headers.empty();
    return !headers.empty();
  }

  // An #if group right after a brace-less header is that body's statement: the
  // body closes after its #endif. Its #elif and #else lines only end what the
  // branch before them opened, and groups nested in it count for nothing.
  // Returns true for the group lines it takes.
  bool in_group_statement(std::string_view start, LineOrigin origin, bool header_before) {
    const GroupLine kind = group_line(start);
    if (kind == GroupLine::opens && header_before) {
      open_.push_back({BodyKind::group, origin});
      group_depths_.push_back(0);
      return true;
    }
    if (kind == GroupLine::none || group_depths_.empty()) return false;
    if (kind == GroupLine::opens) {
      ++group_depths_.back();
    } else if (group_depths_.back() > 0) {
      if (kind == GroupLine::closes) --group_depths_.back();
    } else if (kind == GroupLine::closes) {
      group_depths_.pop_back();
      // What the last branch left open ends with the group (an unbalanced source).
      for (std::size_t i = open_.size(); i-- > 0;) {
        if (open_[i].kind != BodyKind::group) continue;
        open_.resize(i);
        break;
      }
      pending_ = Pending::statement_ended;
    }
    return true;
  }

  // Each closing line takes the origin of the header whose body it ends.
  void close_bodies(bool else_follows) {
    while (!open_.empty() && is_braceless(open_.back().kind)) {
      const OpenBody body = open_.back();
      open_.pop_back();
      if (!out_.empty() && out_.back() != '\n') out_ += '\n';
      out_ += "\t}\n";
      origins_.lines_from(body.origin);
      if (else_follows && body.kind == BodyKind::then_body) return;
    }
  }

  // Ends the innermost block in braces, with the brace-less bodies opened inside
  // it that are still open (an unbalanced source).
  std::optional<BodyKind> pop_block() {
    while (!open_.empty()) {
      const BodyKind kind = open_.back().kind;
      open_.pop_back();
      if (!is_braceless(kind)) return kind;
    }
    return std::nullopt;
  }

  std::string& out_;
  OriginRecorder& origins_;
  std::size_t line_width_;
  std::vector<OpenBody> open_;
  Pending pending_ = Pending::none;
  bool awaiting_statement_ = false;  // the line before opened a brace-less body
  std::vector<int> group_depths_;    // per #if group statement: the groups open inside it
};

}  // namespace

WorkText layout_normalisation(FileSession& session, const WorkText& text) {
  const std::size_t width = session.line_width;
  std::string out;
  out.reserve(text.text.size() + text.text.size() / 8);
  OriginRecorder origins(out);
  int case_run = 0;
  LineOrigin last_case;
  bool directive_seen = false;
  BracelessBodies bodies(out, origins, width);

  const WorkLines lines = lines_of(text);
  for (auto next = lines.begin(); next != lines.end();) {
    auto [line, origin] = *next++;
    std::string_view start = after_white(line, width);
    // The "}" of a do loop alone on its line, with the loop's "while (…)" on the
    // next line that is not blank: the two are read as the one line they should
    // be, so that neither is taken for something else, and reported once.
    std::string joined;
    std::string_view split_while;
    if (!session.preprocess_only && bodies.ends_do_alone(start)) {
      auto after = next;
      while (after != lines.end() && is_blank((*after).line)) ++after;
      const std::string_view while_start =
          after == lines.end() ? std::string_view() : after_white((*after).line, width);
      if (begins_with_word(while_start, "while")) {
        split_while = trim_right(while_start);
        joined = std::string(trim_right(line)) + " " + std::string(while_start);
        line = joined;
        start = after_white(line, width);
        next = ++after;
      }
    }
    // Blank lines (comment lines among them) are not statements.
    const bool blank = is_blank(line);
    if (!session.preprocess_only && !blank) bodies.before_line(start);
    if (!session.preprocess_only) {
      // The "[case]" line goes before the first line after a run of case lines;
      // it comes from the last case line of the run.
      if (begins_with_word(start, "case")) {
        ++case_run;
        last_case = origin;
      } else {
        if (case_run >= 1) {
          out += "\t[case]\n";
          origins.lines_from(last_case);
        }
        case_run = 0;
      }
    }

    if (begins_with(start, ".line")) {
      session.line_numbering_start = 10;
      continue;
    }
    if (begins_with(start, ".block")) {
      session.block_mode = true;
      continue;
    }
    if (begins_with(start, ".inorder")) {
      session.in_order = true;
      continue;
    }
    if (begins_with(start, ".optimize")) {
      session.optimize = true;
      continue;
    }
    if (begins_with(start, ".preprocessor")) {
      session.preprocess_only = true;
      bodies.forget();
      continue;
    }
    out += line;
    origins.lines_from(origin);
    if (!split_while.empty()) {
      report(session, Severity::error,
             at_line(session, origin,
                     "the \"}\" of the do loop and its " + quoted(split_while) +
                         " stand on two lines: write " + quoted("} " + std::string(split_while)) +
                         " on one line"),
             Message::do_while_split, {}, &out);
      origins.lines_from(origin);
    }
    if (session.preprocess_only) continue;
    if (begins_with_word(start, "do") && start.find('{') == std::string_view::npos) {
      // The body of such a loop would end at the first statement, and its
      // "while" would be taken for a loop of its own.
      if (out.back() != '\n') out += '\n';
      report(session, Severity::error,
             at_line(session, origin,
                     "a do loop needs \"{\" after \"do\": " + quoted(trim_right(start)) +
                         " is not supported"),
             Message::do_without_brace, {}, &out);
      origins.lines_from(origin);
    }

    if (!session.cpu_directive.empty() && begins_with(start, session.cpu_directive)) {
      directive_seen = true;
    } else if (!blank) {
      bodies.after_line(start, origin);
    }
  }
  if (!session.preprocess_only) bodies.at_end();
  if (!directive_seen)
    stop(session,
         unplaced("no line begins with the CPU directive " + quoted(session.cpu_directive)),
         Message::cpu_directive_missing);
  return origins.finish(std::move(out));
}

WorkText join_closing_braces(const WorkText& text, std::size_t line_width) {
  std::string out;
  out.reserve(text.text.size());
  OriginRecorder origins(out);
  std::optional<std::string_view> held;
  LineOrigin held_origin;
  for (auto [line, origin] : lines_of(text)) {
    std::string_view start = after_white(line, line_width);
    if (held) {
      // The joined line keeps the origin of its "}".
      if (begins_with_word(start, "else")) {
        out += without_newline(*held);
        out += line;
        origins.lines_from(held_origin);
        held.reset();
        continue;
      }
      out += *held;
      origins.lines_from(held_origin);
      held.reset();
    }
    if (begins_with(start, "}")) {
      held = line;
      held_origin = origin;
    } else {
      out += line;
      origins.lines_from(origin);
    }
  }
  if (held) {
    out += *held;
    origins.lines_from(held_origin);
  }
  return origins.finish(std::move(out));
}

}  // namespace vonx
