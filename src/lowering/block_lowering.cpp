#include "lowering/block_lowering.hpp"

#include "common/messages.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "lowering/compound_condition.hpp"
#include "lowering/condition_tokens.hpp"
#include "lowering/header_text.hpp"
#include "lowering/lowered_lines.hpp"

namespace vonx {

constexpr std::size_t npos = std::string_view::npos;

namespace {

bool holds_white(std::string_view text) {
  for (char c : text)
    if (is_white(c)) return true;
  return false;
}

class StatementLowering {
  using enum BlockKind;

 public:
  StatementLowering(BlockLowering& state, FileSession& session, std::string_view line,
                    LineOrigin origin, std::string& out)
      : s_(state),
        session_(session),
        line_(line),
        origin_(origin),
        write_{session.settings.label_head_text, session.settings.label_end_text, out,
               &state.labels},
        out_(out) {}

  void lower(const RecognisedLine& statement) {
    if (s_.deferred_break && !is_blank(line_)) {
      break_before_ = true;
      end_deferred_break(statement.kind);
    }
    const std::size_t at = statement.at;
    // A header is lowered without text after its ")" other than the "{" that
    // opens its body; that text is reported once the header is written.
    const std::string_view written = line_;
    std::string cut;
    if (takes_header(statement.kind)) cut = header_without_text_after(at);
    if (!cut.empty()) line_ = cut;
    lower_kind(statement.kind, at);
    if (!cut.empty()) report_text_after_header(written, statement.kind);
  }

 private:
  static bool takes_header(StatementKind kind) {
    return kind == StatementKind::if_statement || kind == StatementKind::else_if ||
           kind == StatementKind::for_loop || kind == StatementKind::while_loop;
  }

  // The header line cut after the ")" that closes its parentheses, when a
  // statement follows it there (it would be lost: the body is the next line);
  // otherwise empty. A "{" after the ")" opens the block, whatever follows it;
  // a line that ends with "{" opens its block as written: text before that "{"
  // belongs to its condition, which reports its own faults.
  std::string header_without_text_after(std::size_t open) const {
    const std::size_t close = balancing_paren(line_, open);
    if (close == std::string_view::npos) return {};
    const std::string_view rest = trim_right(trim_left(line_.substr(close + 1)));
    if (rest.empty() || rest.front() == '{' || rest.back() == '{') return {};
    return std::string(line_.substr(0, close + 1)) + "\n";
  }

  void report_text_after_header(std::string_view written, StatementKind kind) {
    const std::string_view keyword = kind == StatementKind::if_statement ? "if"
                                     : kind == StatementKind::else_if    ? "else if"
                                     : kind == StatementKind::for_loop   ? "for"
                                                                         : "while";
    report_lost_text(keyword, "the text after the header of " + quoted(written) +
                                  " is not converted; put it on a line of its own");
  }

  // Text on the line of a header or label that is not converted: the keyword
  // goes into the message, `text` is the located line's text.
  void report_lost_text(std::string_view keyword, std::string text) {
    report(session_, Severity::error, at_line(session_, origin_, std::move(text)),
           Message::text_after_label, keyword, &out_);
  }

  void lower_kind(StatementKind kind, std::size_t at) {
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

  // A break directly in a case body jumps out when the next case or default:
  // line arrives, and needs no jump before the switch's closing brace. Any other
  // line after it in the body is never reached: the jump out goes first.
  void end_deferred_break(StatementKind next) {
    s_.deferred_break = false;
    if (next == StatementKind::case_label || next == StatementKind::default_label ||
        next == StatementKind::closing_brace)
      return;
    write_break_out();
  }

  // The jump out of the switch at the end of a case or default body. When a
  // break ended the body right before this line, the jump is that break's and
  // comes from its line.
  void write_break_out() {
    const std::size_t at = out_.size();
    write_.break_line(LabelCode::break_switch, s_.switch_family.top());
    if (!break_before_) return;
    break_before_ = false;
    s_.carried = CarriedLine{at, out_.size() - at, s_.deferred_break_origin};
  }

  // The jump back at the end of a for or while body; with -g it comes from the
  // loop's header line.
  void write_loop_back(LabelCode code, long number) {
    const std::size_t at = out_.size();
    write_.jump(code, number);
    if (session_.run.options.line_markers)
      s_.carried = CarriedLine{at, out_.size() - at, s_.loop_headers.get(s_.block_depth)};
  }

  std::size_t condition_start(std::size_t after) const {
    return skip_white(line_, after, session_.line_width);
  }

  // Writes the condition whose simple text is `text` and whose full text (the
  // terms a compound condition is read from) is `source`: one term line when it
  // is simple, else the compound condition's lines.
  void lower_condition(ConditionOwner owner, std::string_view source, std::string_view text,
                       bool bracketed, long number) {
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

  // The condition of an if or else if: a new else number, then the condition
  // and the "localelse" label. Parentheses holding only white space write nothing.
  void lower_if_condition(std::size_t open) {
    long number = s_.else_family.enter();
    std::size_t start = condition_start(open + 1);
    std::size_t end = header_text_end(line_, open, start);
    std::string_view text = line_.substr(start, end - start);
    if (text.empty()) return;
    lower_condition(ConditionOwner::if_statement, line_.substr(start), text,
                    session_.block_mode && holds_white(text), number);
    write_.label(LabelCode::local_else, number);
  }

  void lower_if(std::size_t open) {
    ++s_.block_depth;
    s_.if_family.enter();
    s_.if_open.set(s_.if_family.level, 1);
    s_.block_kinds.set(s_.block_depth, if_block);
    lower_if_condition(open);
  }

  // Ends the branch before it: the taken branch leaves the if, the next test follows.
  void close_branch() {
    write_.jump(UnmarkedLabel::exit_if, s_.if_family.top());
    write_.label(LabelCode::next_else, s_.else_family.top());
    s_.else_family.leave();
  }

  void lower_else_if(std::size_t open) {
    if (!else_has_if()) return;
    close_branch();
    lower_if_condition(open);
  }

  void lower_else() {
    if (!else_has_if()) return;
    s_.if_open.set(s_.if_family.level, 0);
    close_branch();
  }

  // An else or else if belongs to the innermost block when that is an if that
  // has not met its plain else. Any other is reported; a "}" before it still
  // closes the block it ends, and its body becomes an unknown block.
  bool else_has_if() {
    if (s_.block_kinds.get(s_.block_depth) == if_block && s_.if_open.get(s_.if_family.level) == 1)
      return true;
    const bool after_brace = at_or_nul(line_, skip_white(line_, 0, session_.line_width)) == '}';
    if (after_brace && s_.block_kinds.get(s_.block_depth) != no_block) lower_closing_brace(npos);
    report_misplaced("else", quoted(line_) + " has no if before it");
    open_unknown_block();
    return false;
  }

  // A line that is no control statement is copied. One that opens a block is a
  // misspelt or unknown statement: it is reported, and its block's closing
  // brace is taken by it rather than by the block around it.
  void copy_line() {
    out_ += line_;
    if (session_.preprocess_only || after_white(line_, session_.line_width).starts_with('#') ||
        !opens_block(line_))
      return;
    report_unknown_statement();
  }

  void report_unknown_statement() {
    report(session_, Severity::error,
           at_line(session_, origin_, quoted(line_) + " opens a block but is no statement"),
           Message::statement_unknown, {}, &out_);
    open_unknown_block();
  }

  void open_unknown_block() {
    ++s_.block_depth;
    s_.block_kinds.set(s_.block_depth, unknown_block);
  }

  void report_misplaced(std::string_view statement, std::string text) {
    report(session_, Severity::error, at_line(session_, origin_, std::move(text)),
           Message::statement_misplaced, statement, &out_);
  }

  void open_loop(BlockKind kind, bool counts_as_block) {
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

  void close_loop_levels() {
    if (s_.break_level > 0) --s_.break_level;
    if (s_.continue_level > 0) --s_.continue_level;
  }

  void lower_for(std::size_t open) {
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

  void lower_while(std::size_t open) {
    open_loop(while_block, true);
    long number = s_.while_family.enter();
    write_.label(LabelCode::continue_while, number);
    std::size_t start = condition_start(open + 1);
    if (is_condition_one(line_, start)) return;
    std::size_t end = header_text_end(line_, open, start);
    lower_condition(ConditionOwner::while_loop, line_.substr(start),
                    line_.substr(start, end - start), session_.block_mode, number);
    write_.label(LabelCode::local_while, number);
  }

  void lower_do() {
    open_loop(do_block, false);
    write_.label(UnmarkedLabel::loop_start_do_while, s_.do_family.enter());
  }

  void lower_end_of_do(std::size_t open) {
    long number = s_.do_family.top();
    write_.label(LabelCode::continue_do, number);
    std::size_t start = condition_start(open + 1);
    if (!is_condition_one(line_, start)) {
      std::size_t end = header_text_end(line_, open, start);
      lower_condition(ConditionOwner::do_while, line_.substr(start),
                      line_.substr(start, end - start), session_.block_mode, number);
      write_.label(LabelCode::local_do_while, number);
    }
    write_.jump(UnmarkedLabel::loop_start_do_while, number);
    write_.label(LabelCode::exit_do_while, number);
    s_.do_family.leave();
    close_loop_levels();
  }

  // A closing brace line: `brace` is the "}" (npos: the brace of an else line
  // reported for having no if), after which a line may open another block.
  void lower_closing_brace(std::size_t brace) {
    close_block();
    if (brace != npos && opens_block(line_.substr(brace + 1))) report_unknown_statement();
  }

  void close_block() {
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

  void lower_switch(std::size_t open) {
    s_.switch_first_case.set(s_.switch_family.level, 1);
    ++s_.break_level;
    ++s_.block_depth;
    s_.switch_family.enter();
    const long sw = s_.switch_family.level - 1;
    s_.switch_case_base.set(sw, s_.case_family.level);
    s_.switch_default.set(sw, 0);
    s_.default_entry.set(sw, 0);
    // Leading white space stays part of the expression, the white space before ")" does not.
    std::size_t end = header_text_end(line_, open, open + 1);
    s_.switch_expression.set(s_.switch_family.level,
                             std::string(trim_right(line_.substr(open + 1, end - open - 1))));
    s_.break_kinds.set(s_.break_level, switch_block);
    s_.block_kinds.set(s_.block_depth, switch_block);
  }

  bool directly_in_switch() const { return s_.break_kinds.get(s_.break_level) == switch_block; }

  void report_case_error(std::string_view problem) {
    out_ += line_;
    report(session_, Severity::error,
           at_line(session_, origin_, quoted(line_) + ": " + std::string(problem)),
           Message::case_operand_missing, {}, &out_);
  }

  // Writes the "nextcase" label of each case test of the current switch that has
  // none yet (normally only the last one): where control goes when its value
  // does not match. A test entered inside the switch is closed by the switch's
  // closing brace at the latest.
  void close_case_tests() {
    const long base = s_.switch_case_base.get(s_.switch_family.level - 1);
    while (s_.case_family.level > base) {
      write_.label(LabelCode::next_case, s_.case_family.top());
      s_.case_family.leave();
    }
  }

  // The end of a case or default body before the next case label: a body that
  // ended with break leaves the switch, any other runs on into the body of the
  // next run of case labels.
  void end_body(bool ended_with_break) {
    if (ended_with_break)
      write_break_out();
    else
      write_.jump(UnmarkedLabel::caseor, s_.caseor_count);
  }

  // A case label follows the default body. The case tests go on over the
  // default body, which gets a "caseor" entry of its own that the closing brace
  // jumps to when no value matched. Both lines go where the default body begins;
  // the "nextcase" label the first of them jumps to comes before this case's test.
  void close_default_body() {
    const long sw = s_.switch_family.level - 1;
    const long skip = s_.case_family.enter();
    const long entry = s_.caseor_count++;
    std::string entry_lines;
    LoweredLines entry_writer{write_.label_head_text, write_.label_end_text, entry_lines,
                              &s_.labels};
    entry_writer.jump(LabelCode::next_case, skip);
    entry_writer.label(UnmarkedLabel::caseor, entry);
    const std::size_t at = s_.default_body_at.get(sw);
    out_.insert(at, entry_lines);
    s_.inserted = InsertedLines{at, entry_lines.size()};
    s_.default_entry.set(sw, entry);
    s_.switch_default.set(sw, 0);
    end_body(s_.default_break.get(sw) == 1);
    close_case_tests();
  }

  void lower_case(std::size_t value_start) {
    if (s_.switch_family.level == 0) {
      // No switch to compare with: the line and the case message stay, and no
      // test or label is written for it.
      out_ += line_;
      report(session_, Severity::error,
             at_line(session_, origin_, quoted(line_) + " stands outside any switch"),
             Message::case_operand_missing, {}, &out_);
      return;
    }
    const long sw = s_.switch_family.level - 1;
    if (s_.switch_default.get(sw) == 1 && directly_in_switch()) {
      close_default_body();
      s_.switch_first_case.set(sw, 0);
      s_.case_fall_through.set(s_.case_family.level, 1);
    } else if (s_.switch_first_case.get(sw) == 1) {
      // The flag of the body this case opens sits at case level - 1 once it is entered.
      s_.switch_first_case.set(sw, 0);
      s_.case_fall_through.set(s_.case_family.level, 1);
    } else if (directly_in_switch()) {
      const long body = s_.case_family.level - 1;
      end_body(s_.case_fall_through.get(body) == 0);
      s_.case_fall_through.set(body, 1);
      close_case_tests();
    }
    long number = s_.case_family.enter();
    std::string expression = s_.switch_expression.get(s_.switch_family.level);
    if (expression.empty()) report_case_error("the switch has no expression to compare");
    std::size_t colon = line_.find(':', value_start);
    std::string_view value = trim_right(line_.substr(value_start, colon - value_start));
    if (value.empty()) {
      report_case_error("the case has no value");
    } else {
      write_.term(expression + " == " + std::string(value), session_.block_mode,
                  {LabelCode::local_case, number}, {LabelCode::next_case, number});
    }
    write_.label(LabelCode::local_case, number);
    report_text_after(colon + 1, "case");
  }

  // A case or default: label stands alone on its line: text after it would be
  // lost, so it is reported.
  void report_text_after(std::size_t end, std::string_view label) {
    if (is_blank(line_.substr(end))) return;
    report_lost_text(label, "the text after the label of " + quoted(line_) + " is not converted");
  }

  void lower_break() {
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

  void lower_continue() {
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

  // A case body never runs on into the default body: default: ends it. When the
  // default is the switch's last label, the failed last test leads into its body;
  // when case labels follow, the first of them moves the body out of the tests'
  // way (close_default_body). As the first label, default: has no body to end.
  void lower_default() {
    if (!directly_in_switch()) {
      report_misplaced("default", quoted(line_) + " does not stand directly in a switch");
      return;
    }
    const long sw = s_.switch_family.level - 1;
    if (s_.switch_default.get(sw) == 1 || s_.default_entry.get(sw) != 0) {
      // Which body would run when no case matches is not to be guessed: the
      // line stays as written and the file fails.
      out_ += line_;
      report(session_, Severity::error,
             at_line(session_, origin_, "a second default: in the switch of this " + quoted(line_)),
             Message::default_repeated, {}, &out_);
      return;
    }
    s_.switch_default.set(sw, 1);
    s_.default_break.set(sw, 0);
    if (s_.switch_first_case.get(sw) != 1) {
      write_break_out();
      close_case_tests();
    }
    s_.default_body_at.set(sw, out_.size());
    report_text_after(line_.find(':') + 1, "default");
  }

  BlockLowering& s_;
  FileSession& session_;
  std::string_view line_;
  LineOrigin origin_;          // where the line stands, for the reports
  bool break_before_ = false;  // the line before this one was a break directly in a case body
  LoweredLines write_;
  std::string& out_;
};

}  // namespace

void lower_statement(BlockLowering& state, FileSession& session, const RecognisedLine& statement,
                     std::string_view line, LineOrigin origin, std::string& out) {
  StatementLowering(state, session, line, origin, out).lower(statement);
}

}  // namespace vonx
