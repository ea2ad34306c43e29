#include "lowering/block_lowering.hpp"

#include "common/messages.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "lowering/compound_condition.hpp"
#include "lowering/condition_tokens.hpp"
#include "lowering/header_text.hpp"
#include "lowering/lowered_lines.hpp"
#include "lowering/statement_lowering.hpp"

namespace vonx {

constexpr std::size_t npos = std::string_view::npos;

namespace {

bool holds_white(std::string_view text) {
  for (char c : text)
    if (is_white(c)) return true;
  return false;
}

}  // namespace

void StatementLowering::lower(const RecognisedLine& statement) {
  if (s_.deferred_break && !is_blank(line_)) {
    break_before_ = true;
    end_deferred_break(statement.kind);
  }
  const std::size_t at = statement.at;
  // A header is lowered without a ")" too many after its parentheses, and
  // without text after its ")" other than the "{" that opens its body; both
  // are reported once the header is written.
  const std::string_view written = line_;
  std::string mended;
  if (has_parentheses(statement.kind)) mended = header_without_extra_parens(at);
  if (!mended.empty()) line_ = mended;
  std::string cut;
  if (takes_header(statement.kind)) cut = header_without_text_after(at);
  if (!cut.empty()) line_ = cut;
  lower_kind(statement.kind, at);
  if (!mended.empty()) report_extra_parens(written);
  if (!cut.empty()) report_text_after_header(written, statement.kind);
}

bool StatementLowering::takes_header(StatementKind kind) {
  return kind == StatementKind::if_statement || kind == StatementKind::else_if ||
         kind == StatementKind::for_loop || kind == StatementKind::while_loop;
}

bool StatementLowering::has_parentheses(StatementKind kind) {
  return takes_header(kind) || kind == StatementKind::end_of_do ||
         kind == StatementKind::switch_statement;
}

std::string StatementLowering::header_without_extra_parens(std::size_t open) const {
  const std::size_t close = balancing_paren(line_, open);
  if (close == npos) return {};
  std::size_t end = close + 1;
  for (std::size_t next = white_run(line_, end); at_or_nul(line_, next) == ')';
       next = white_run(line_, end))
    end = next + 1;
  if (end == close + 1) return {};
  return std::string(line_.substr(0, close + 1)) + std::string(line_.substr(end));
}

void StatementLowering::report_extra_parens(std::string_view written) {
  report(session_, Severity::error,
         at_line(session_, origin_,
                 quoted(written) + " has a \")\" too many after the parentheses of its header"),
         Message::parens_unbalanced, {}, &out_);
}

std::string StatementLowering::header_without_text_after(std::size_t open) const {
  const std::size_t close = balancing_paren(line_, open);
  if (close == std::string_view::npos) return {};
  const std::string_view rest = trim_right(trim_left(line_.substr(close + 1)));
  if (rest.empty() || rest.front() == '{' || rest.back() == '{') return {};
  return std::string(line_.substr(0, close + 1)) + "\n";
}

void StatementLowering::report_text_after_header(std::string_view written, StatementKind kind) {
  const std::string_view keyword = kind == StatementKind::if_statement ? "if"
                                   : kind == StatementKind::else_if    ? "else if"
                                   : kind == StatementKind::for_loop   ? "for"
                                                                       : "while";
  report_lost_text(keyword, "the text after the header of " + quoted(written) +
                                " is not converted; put it on a line of its own");
}

void StatementLowering::report_lost_text(std::string_view keyword, std::string text) {
  report(session_, Severity::error, at_line(session_, origin_, std::move(text)),
         Message::text_after_label, keyword, &out_);
}

void StatementLowering::lower_kind(StatementKind kind, std::size_t at) {
  switch (kind) {
    case StatementKind::none:
      copy_line();
      break;
    case StatementKind::if_statement:
      lower_if(at);
      break;
    case StatementKind::else_if:
      lower_else_if(at);
      break;
    case StatementKind::else_statement:
      lower_else();
      break;
    case StatementKind::for_loop:
      lower_for(at);
      break;
    case StatementKind::while_loop:
      lower_while(at);
      break;
    case StatementKind::do_loop:
      lower_do();
      break;
    case StatementKind::end_of_do:
      lower_end_of_do(at);
      break;
    case StatementKind::closing_brace:
      lower_closing_brace(at);
      break;
    case StatementKind::switch_statement:
      lower_switch(at);
      break;
    case StatementKind::case_label:
      lower_case(at);
      break;
    case StatementKind::break_statement:
      lower_break();
      break;
    case StatementKind::continue_statement:
      lower_continue();
      break;
    case StatementKind::default_label:
      lower_default();
      break;
    case StatementKind::caseor_label:
      write_.label(UnmarkedLabel::caseor, s_.caseor_count);
      ++s_.caseor_count;
      break;
    case StatementKind::goto_statement:
      // Everything after "goto" is kept as written, line end included.
      out_ += "     goto";
      out_ += line_.substr(at + 4);
      ++s_.caseor_count;
      break;
  }
}

void StatementLowering::write_loop_back(LabelCode code, long number) {
  const std::size_t at = out_.size();
  write_.jump(code, number);
  if (session_.run.options.line_markers)
    s_.carried = CarriedLine{at, out_.size() - at, s_.loop_headers.get(s_.block_depth)};
}

std::size_t StatementLowering::condition_start(std::size_t after) const {
  return skip_white(line_, after, session_.line_width);
}

void StatementLowering::lower_condition(ConditionOwner owner, std::string_view source,
                                        std::string_view text, bool bracketed, long number) {
  ConditionTokens tokens = scan_condition(source, session_.line_width);
  if (!tokens.compound) {
    const ConditionCodes codes = condition_codes(owner);
    write_.term(text, bracketed, {codes.holds, number}, {codes.fails, number});
    return;
  }
  LabelStyle style{session_.settings.label_head_text, session_.settings.label_end_text,
                   session_.block_mode, session_.line_width, session_.in_order};
  if (compile_compound_condition(s_.compound_counters,
                                 CompoundCondition{owner, number, source, tokens.tokens}, style,
                                 out_))
    return;
  // Lines whose jumps cannot be vouched for are a failed conversion, reported
  // where they stand.
  report(session_, Severity::error,
         at_line(session_, origin_, "the condition of " + quoted(line_) + " cannot be converted"),
         Message::condition_unconvertible, {}, &out_);
}

void StatementLowering::lower_if_condition(std::size_t open) {
  long number = s_.else_family.enter();
  std::size_t start = condition_start(open + 1);
  std::size_t end = header_text_end(line_, open, start);
  std::string_view text = line_.substr(start, end - start);
  if (text.empty()) return;
  lower_condition(ConditionOwner::if_statement, line_.substr(start), text,
                  session_.block_mode && holds_white(text), number);
  write_.label(LabelCode::local_else, number);
}

void StatementLowering::lower_if(std::size_t open) {
  ++s_.block_depth;
  s_.if_family.enter();
  s_.if_open.set(s_.if_family.level, 1);
  s_.block_kinds.set(s_.block_depth, if_block);
  lower_if_condition(open);
}

void StatementLowering::close_branch() {
  write_.jump(UnmarkedLabel::exit_if, s_.if_family.top());
  write_.label(LabelCode::next_else, s_.else_family.top());
  s_.else_family.leave();
}

void StatementLowering::lower_else_if(std::size_t open) {
  if (!else_has_if()) return;
  close_branch();
  lower_if_condition(open);
}

void StatementLowering::lower_else() {
  if (!else_has_if()) return;
  s_.if_open.set(s_.if_family.level, 0);
  close_branch();
}

bool StatementLowering::else_has_if() {
  if (s_.block_kinds.get(s_.block_depth) == if_block && s_.if_open.get(s_.if_family.level) == 1)
    return true;
  const bool after_brace = at_or_nul(line_, skip_white(line_, 0, session_.line_width)) == '}';
  if (after_brace && s_.block_kinds.get(s_.block_depth) != no_block) lower_closing_brace(npos);
  report_misplaced("else", quoted(line_) + " has no if before it");
  open_unknown_block();
  return false;
}

void StatementLowering::copy_line() {
  out_ += line_;
  if (session_.preprocess_only) return;
  const std::string_view start = after_white(line_, session_.line_width);
  if (report_semicolon(start, "break") || report_semicolon(start, "continue")) return;
  if (start.starts_with('#') || !opens_block(line_)) return;
  report_unknown_statement();
}

bool StatementLowering::report_semicolon(std::string_view start, std::string_view statement) {
  if (!begins_with(start, statement) || at_or_nul(start, statement.size()) != ';' ||
      !is_blank(start.substr(statement.size() + 1)))
    return false;
  report(session_, Severity::error,
         at_line(session_, origin_,
                 quoted(line_) + ": a statement takes no \";\": write \"" + std::string(statement) +
                     "\""),
         Message::statement_semicolon, statement, &out_);
  return true;
}

void StatementLowering::report_unknown_statement() {
  report(session_, Severity::error,
         at_line(session_, origin_, quoted(line_) + " opens a block but is no statement"),
         Message::statement_unknown, {}, &out_);
  open_unknown_block();
}

void StatementLowering::open_unknown_block() {
  ++s_.block_depth;
  s_.block_kinds.set(s_.block_depth, unknown_block);
}

void StatementLowering::report_misplaced(std::string_view statement, std::string text) {
  report(session_, Severity::error, at_line(session_, origin_, std::move(text)),
         Message::statement_misplaced, statement, &out_);
}

void StatementLowering::open_loop(BlockKind kind, bool counts_as_block) {
  ++s_.break_level;
  ++s_.continue_level;
  s_.break_kinds.set(s_.break_level, kind);
  s_.continue_kinds.set(s_.continue_level, kind);
  if (counts_as_block) {
    ++s_.block_depth;
    s_.block_kinds.set(s_.block_depth, kind);
    s_.loop_headers.set(s_.block_depth, origin_);
  }
}

void StatementLowering::close_loop_levels() {
  if (s_.break_level > 0) --s_.break_level;
  if (s_.continue_level > 0) --s_.continue_level;
}

void StatementLowering::lower_for(std::size_t open) {
  open_loop(for_block, true);
  long number = s_.for_family.enter();
  if (is_infinite_for(line_, open)) {
    write_.label(LabelCode::continue_for, number);
    write_.label(UnmarkedLabel::loop_start_for, number);
    return;
  }
  const std::size_t first = line_.find(';', open + 1);
  const std::size_t second = line_.find(';', first + 1);

  for (std::string_view piece : header_pieces(line_.substr(open + 1, first - open - 1)))
    write_.statement(piece);
  write_.jump(UnmarkedLabel::loop_start_for, number);
  write_.label(LabelCode::continue_for, number);

  const std::size_t step_start = second + 1;
  const std::size_t step_end = header_text_end(line_, open, step_start);
  for (std::string_view piece : header_pieces(line_.substr(step_start, step_end - step_start)))
    write_.statement(piece);
  write_.label(UnmarkedLabel::loop_start_for, number);

  const std::size_t start = condition_start(first + 1);
  if (at_or_nul(line_, start) == ';') return;  // no condition: no "localfor" label
  // The condition is read as if it stood alone in parentheses, so that the
  // step never becomes part of a term.
  std::string_view text = line_.substr(start, second - start);
  std::string source = std::string(text) + ")";
  lower_condition(ConditionOwner::for_loop, source, text, session_.block_mode, number);
  write_.label(LabelCode::local_for, number);
}

void StatementLowering::lower_while(std::size_t open) {
  open_loop(while_block, true);
  long number = s_.while_family.enter();
  write_.label(LabelCode::continue_while, number);
  std::size_t start = condition_start(open + 1);
  if (is_condition_one(line_, start)) return;
  std::size_t end = header_text_end(line_, open, start);
  lower_condition(ConditionOwner::while_loop, line_.substr(start), line_.substr(start, end - start),
                  session_.block_mode, number);
  write_.label(LabelCode::local_while, number);
}

void StatementLowering::lower_do() {
  open_loop(do_block, false);
  write_.label(UnmarkedLabel::loop_start_do_while, s_.do_family.enter());
}

void StatementLowering::lower_end_of_do(std::size_t open) {
  long number = s_.do_family.top();
  write_.label(LabelCode::continue_do, number);
  std::size_t start = condition_start(open + 1);
  if (!is_condition_one(line_, start)) {
    std::size_t end = header_text_end(line_, open, start);
    lower_condition(ConditionOwner::do_while, line_.substr(start), line_.substr(start, end - start),
                    session_.block_mode, number);
    write_.label(LabelCode::local_do_while, number);
  }
  write_.jump(UnmarkedLabel::loop_start_do_while, number);
  write_.label(LabelCode::exit_do_while, number);
  s_.do_family.leave();
  close_loop_levels();
}

void StatementLowering::lower_closing_brace(std::size_t brace) {
  close_block();
  if (brace != npos && opens_block(line_.substr(brace + 1))) report_unknown_statement();
}

void StatementLowering::close_block() {
  switch (s_.block_kinds.get(s_.block_depth)) {
    case if_block:
      if (s_.if_open.get(s_.if_family.level) == 1) {
        write_.label(LabelCode::next_else, s_.else_family.top());
        s_.else_family.leave();
      }
      write_.label(UnmarkedLabel::exit_if, s_.if_family.top());
      s_.if_family.leave();
      break;
    case for_block:
      write_loop_back(LabelCode::continue_for, s_.for_family.top());
      write_.label(LabelCode::exit_for, s_.for_family.top());
      s_.for_family.leave();
      close_loop_levels();
      break;
    case while_block:
      write_loop_back(LabelCode::continue_while, s_.while_family.top());
      write_.label(LabelCode::exit_while, s_.while_family.top());
      s_.while_family.leave();
      close_loop_levels();
      break;
    case switch_block: {
      // When case labels followed the default body, the last case body leaves
      // the switch and a failed last test goes to the default body. Otherwise
      // the default body (or the switch's end) comes next already.
      const long sw = s_.switch_family.level - 1;
      const long entry = s_.default_entry.get(sw);
      if (entry != 0) write_break_out();
      close_case_tests();
      if (entry != 0) write_.jump(UnmarkedLabel::caseor, entry);
      s_.default_entry.set(sw, 0);
      s_.switch_default.set(sw, 0);
      write_.label(LabelCode::break_switch, s_.switch_family.top());
      s_.switch_family.leave();
      if (s_.break_level > 0) --s_.break_level;
      break;
    }
    case unknown_block:
      break;
    default:
      // No open block: the brace disappears, the depth stays.
      report(session_, Severity::error,
             at_line(session_, origin_, quoted(line_) + " closes no open block"),
             Message::braces_unbalanced, {}, &out_);
      return;
  }
  --s_.block_depth;
}

void StatementLowering::lower_break() {
  switch (s_.break_kinds.get(s_.break_level)) {
    case for_block:
      write_.break_line(LabelCode::break_for, s_.for_family.top());
      break;
    case while_block:
      write_.break_line(LabelCode::break_while, s_.while_family.top());
      break;
    case do_block:
      write_.break_line(LabelCode::break_do, s_.do_family.top());
      break;
    case switch_block:
      if (s_.block_kinds.get(s_.block_depth) == if_block) {
        // Inside an if within the case body the break must leave the switch
        // here; deferring it to the next case would run the rest of the body.
        write_.break_line(LabelCode::break_switch, s_.switch_family.top());
      } else {
        // Directly in the case body: the jump out is written by the next case
        // or default: line, or made needless by the closing brace. A default
        // body has a flag of its own: the case flag at its level belongs to
        // the case body around the switch and stays as it is.
        const long sw = s_.switch_family.level - 1;
        if (s_.switch_default.get(sw) == 1)
          s_.default_break.set(sw, 1);
        else
          s_.case_fall_through.set(s_.case_family.level - 1, 0);
        s_.deferred_break = true;
        s_.deferred_break_origin = origin_;
      }
      break;
    default:
      report_misplaced("break", quoted(line_) + " stands outside any loop or switch");
      break;
  }
}

void StatementLowering::lower_continue() {
  switch (s_.continue_kinds.get(s_.continue_level)) {
    case for_block:
      write_.continue_line(LabelCode::continue_for, s_.for_family.top());
      break;
    case while_block:
      write_.continue_line(LabelCode::continue_while, s_.while_family.top());
      break;
    case do_block:
      write_.continue_line(LabelCode::continue_do, s_.do_family.top());
      break;
    default:
      write_.continue_line(LabelCode::none, 0);
      break;
  }
}

void lower_statement(BlockLowering& state, FileSession& session, const RecognisedLine& statement,
                     std::string_view line, LineOrigin origin, std::string& out) {
  StatementLowering(state, session, line, origin, out).lower(statement);
}

}  // namespace vonx
