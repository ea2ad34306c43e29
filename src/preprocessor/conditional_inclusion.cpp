#include "preprocessor/conditional_inclusion.hpp"

#include <algorithm>
#include <vector>

#include "common/constant_expression.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "preprocessor/if_expression.hpp"

namespace vonx {

namespace {

enum class Directive {
  none,
  warning,
  error,
  if_,
  ifdef,
  ifndef,
  define,
  undef,
  elif,
  else_,
  endif
};

struct Spelling {
  std::string_view text;
  Directive directive;
  std::size_t keyword_length;  // where the directive's argument starts
};

// Every accepted spelling; a directive written any other way (an #else that ends
// the file without a newline, #if with nothing after it) is an ordinary line.
constexpr Spelling spellings[] = {
    {"#warning", Directive::warning, 8}, {"#error", Directive::error, 6},
    {"#if ", Directive::if_, 3},         {"#if\t", Directive::if_, 3},
    {"#ifdef ", Directive::ifdef, 6},    {"#ifdef\t", Directive::ifdef, 6},
    {"#ifndef ", Directive::ifndef, 7},  {"#ifndef\t", Directive::ifndef, 7},
    {"#define", Directive::define, 7},   {"#undef", Directive::undef, 6},
    {"#elif ", Directive::elif, 5},      {"#elif\t", Directive::elif, 5},
    {"#else ", Directive::else_, 5},     {"#else\t", Directive::else_, 5},
    {"#else\n", Directive::else_, 5},    {"#endif ", Directive::endif, 6},
    {"#endif\t", Directive::endif, 6},   {"#endif\n", Directive::endif, 6},
};

Directive directive_of(std::string_view start, std::string_view& argument) {
  for (const Spelling& spelling : spellings) {
    if (!begins_with(start, spelling.text)) continue;
    argument = start.substr(spelling.keyword_length);
    return spelling.directive;
  }
  return Directive::none;
}

}  // namespace

GroupLine group_line(std::string_view start) {
  std::string_view argument;
  switch (directive_of(start, argument)) {
    case Directive::if_:
    case Directive::ifdef:
    case Directive::ifndef:
      return GroupLine::opens;
    case Directive::elif:
    case Directive::else_:
      return GroupLine::branch;
    case Directive::endif:
      return GroupLine::closes;
    default:
      return GroupLine::none;
  }
}

namespace {

// Where a group was opened: its line, and the place in the output where a
// message about it goes.
struct Opening {
  LineOrigin origin;
  std::string_view line;
  std::string_view directive;  // "#if", "#ifdef" or "#ifndef"
  std::size_t at;
};

// One open #if, #ifdef or #ifndef group.
struct Group {
  bool outer_copying;  // the lines around the group are kept
  bool taken;          // a branch of the group was chosen (or none can be)
  bool copying;        // the current branch is kept
  Opening opening;
};

class GroupStack {
 public:
  bool copying() const { return groups_.empty() || groups_.back().copying; }
  bool empty() const { return groups_.empty(); }

  void open(bool holds, const Opening& opening) {
    bool outer = copying();
    groups_.push_back(Group{outer, !outer || holds, outer && holds, opening});
  }

  // The groups still open, outermost first.
  const std::vector<Group>& open_groups() const { return groups_; }

  // An #elif asks for its expression only when the group still waits for a branch.
  bool elif_waits() const {
    return !groups_.empty() && groups_.back().outer_copying && !groups_.back().taken;
  }

  void elif (bool holds) {
    if (groups_.empty()) return;
    Group& group = groups_.back();
    group.copying = group.outer_copying && !group.taken && holds;
    group.taken = group.taken || group.copying;
  }

  void else_branch() {
    if (groups_.empty()) return;
    Group& group = groups_.back();
    group.copying = group.outer_copying && !group.taken;
    group.taken = true;
  }

  // An #elif, #else or #endif without an open group changes nothing.
  void close() {
    if (!groups_.empty()) groups_.pop_back();
  }

 private:
  std::vector<Group> groups_;
};

std::string first_word(std::string_view argument, std::size_t line_width) {
  std::size_t start = skip_white(argument, 0, line_width);
  std::size_t end = start;
  while (end < argument.size() && !is_white(argument[end])) ++end;
  return std::string(argument.substr(start, end - start));
}

// The text of a #warning or #error line: after the directive and its white space,
// trailing white space removed.
std::string_view report_text(std::string_view argument, std::size_t line_width) {
  return trim_right(argument.substr(skip_white(argument, 0, line_width)));
}

// The expression of an #if or #elif line. An expression error stops the run at
// that line; nothing of the preprocessing pass's output is kept.
bool holds(FileSession& session, std::string_view argument, const DefineTable& table,
           std::string_view line, LineOrigin origin) {
  try {
    return if_expression_holds(argument, table, session.line_width);
  } catch (const ExpressionError& error) {
    stop(session,
         at_line(session, origin, expression_problem(error.reason) + " in " + quoted(line)),
         Message::expression_error, message_text(error.reason));
  }
}

// The names a misspelt directive is looked for among: those of four letters or
// more, since shorter words too often mean something else.
constexpr std::string_view kDirectiveNames[] = {"include", "define", "undef", "ifdef",   "ifndef",
                                                "elif",    "else",   "endif", "warning", "error"};

// Edits of one character and swaps of two neighbouring ones, each counting 1.
std::size_t spelling_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// The directive whose name the word directly after a "#" misspells, or nothing:
// one edit away from a name (letter case ignored), or two from a name of six
// letters or more. A name spelled exactly (a directive in a form that is read
// as text) and a name with more letters after it ("#defines", "#errors", words
// of a comment) are no misspellings.
std::string_view misspelt_directive(std::string_view start) {
  if (start.size() < 2 || start[0] != '#' || !is_alpha(start[1])) return {};
  std::size_t end = 1;
  while (end < start.size() && (is_alnum(start[end]) || start[end] == '_')) ++end;
  const std::string_view word = start.substr(1, end - 1);
  if (word.size() > 9) return {};  // farther than two edits from every name
  std::string folded(word);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::string_view closest;
  std::size_t closest_distance = 3;
  for (std::string_view name : kDirectiveNames) {
    if (word == name || (folded.size() > name.size() && folded.starts_with(name))) return {};
    const std::size_t distance = spelling_distance(folded, name);
    const std::size_t allowed = name.size() >= 6 ? 2 : 1;
    if (distance <= allowed && distance < closest_distance) {
      closest = name;
      closest_distance = distance;
    }
  }
  return closest;
}

// A line that begins with a "#" directly before a word close to a directive's
// name is reported with that name; other "#" lines stay text, since "#" begins
// a comment in several assemblers.
void report_misspelt_directive(FileSession& session, std::string_view line, LineOrigin origin,
                               std::string& out) {
  const std::string_view name = misspelt_directive(after_white(line, session.line_width));
  if (name.empty()) return;
  report(session, Severity::error,
         at_line(session, origin,
                 quoted(line) + " is no directive: did you mean #" + std::string(name) + "?"),
         Message::directive_unknown, {}, &out);
}

// An #else, #elif or #endif with no open group changes nothing; it is reported
// and the message takes its place in the output.
void report_without_if(FileSession& session, std::string_view directive, std::string_view line,
                       LineOrigin origin, std::string& out) {
  report(session, Severity::error, at_line(session, origin, quoted(line) + " has no #if before it"),
         Message::if_missing, directive, &out);
}

// A group never closed by its #endif is reported at its opening line, and the
// message takes the place of that line in the output. An "#endif" that ends the
// text without a line end is an ordinary line, but it is taken as closing the
// innermost group here.
void report_unclosed_groups(FileSession& session, const GroupStack& groups,
                            std::string_view last_line, std::string& out, OriginRecorder& origins) {
  std::vector<Group> unclosed = groups.open_groups();
  const std::string_view last = after_white(last_line, session.line_width);
  if (!unclosed.empty() && begins_with(last, "#endif") && !last.ends_with('\n'))
    unclosed.pop_back();
  for (const Group& group : unclosed)
    report(session, Severity::error,
           at_line(session, group.opening.origin, quoted(group.opening.line) + " has no #endif"),
           Message::endif_missing, group.opening.directive);
  // Innermost first, so that the places of the outer ones stay where they were.
  for (auto group = unclosed.rbegin(); group != unclosed.rend(); ++group) {
    const std::string message =
        message_text(Message::endif_missing, group->opening.directive) + "\n";
    if (group->opening.at == out.size()) {
      out += message;
      origins.lines_from(group->opening.origin);
    } else {
      out.insert(group->opening.at, message);
      origins.inserted(group->opening.at, message.size(), group->opening.origin);
    }
  }
}

}  // namespace

WorkText conditional_inclusion(FileSession& session, const WorkText& text,
                               const std::vector<DefineLine>& define_list) {
  const std::size_t width = session.line_width;
  DefineRegistration registration(define_list);
  GroupStack groups;
  std::string out;
  out.reserve(text.text.size());
  OriginRecorder origins(out);

  std::string_view last_line;
  for (auto [line, origin] : lines_of(text)) {
    std::string_view argument;
    Directive directive = directive_of(after_white(line, width), argument);
    const DefineTable& table = registration.table();
    last_line = line;
    switch (directive) {
      case Directive::warning:
        if (!groups.copying()) break;
        report(
            session, Severity::warning,
            at_line(session, origin, "#warning " + utf8_from_cp932(report_text(argument, width))),
            report_text(argument, width));
        break;
      case Directive::error:
        if (!groups.copying()) break;
        // The rest of the file is dropped; the file still goes through the later
        // passes, and the run ends with a failure status.
        report(session, Severity::error,
               at_line(session, origin, "#error " + utf8_from_cp932(report_text(argument, width))),
               report_text(argument, width));
        return origins.finish(std::move(out));
      case Directive::if_:
        groups.open(groups.copying() && holds(session, argument, table, line, origin),
                    Opening{origin, line, "#if", out.size()});
        break;
      case Directive::ifdef:
        groups.open(groups.copying() && table.defined(first_word(argument, width)),
                    Opening{origin, line, "#ifdef", out.size()});
        break;
      case Directive::ifndef:
        groups.open(groups.copying() && !table.defined(first_word(argument, width)),
                    Opening{origin, line, "#ifndef", out.size()});
        break;
      case Directive::define:
        if (groups.copying() && read_define_line(line, width).name.empty())
          report(
              session, Severity::error,
              at_line(session, origin, quoted(line) + " defines no name: write #define NAME VALUE"),
              Message::define_unnamed, {}, &out);
        // Kept or skipped alike, the line registers the next row of the define list.
        if (std::optional<std::string> written = registration.register_next()) out += *written;
        break;
      case Directive::undef:
        registration.undefine(undef_name(line, width));
        out += line;
        break;
      case Directive::elif:
        if (groups.empty()) report_without_if(session, "#elif", line, origin, out);
        groups.elif (groups.elif_waits() && holds(session, argument, table, line, origin));
        break;
      case Directive::else_:
        if (groups.empty()) report_without_if(session, "#else", line, origin, out);
        groups.else_branch();
        break;
      case Directive::endif:
        if (groups.empty()) report_without_if(session, "#endif", line, origin, out);
        groups.close();
        break;
      case Directive::none:
        if (!groups.copying()) break;
        out += line;
        report_misspelt_directive(session, line, origin, out);
        break;
    }
    origins.lines_from(origin);
  }
  report_unclosed_groups(session, groups, last_line, out, origins);
  return origins.finish(std::move(out));
}

}  // namespace vonx
