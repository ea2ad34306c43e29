// The part of statement lowering that a switch needs: the switch line, its case
// and default: labels, and the jumps out of its bodies.
#include "common/messages.hpp"
#include "common/report.hpp"
#include "common/utf8.hpp"
#include "lowering/header_text.hpp"
#include "lowering/statement_lowering.hpp"

namespace vonx {

void StatementLowering::end_deferred_break(StatementKind next) {
  s_.deferred_break = false;
  if (next == StatementKind::case_label || next == StatementKind::default_label ||
      next == StatementKind::closing_brace)
    return;
  write_break_out();
}

void StatementLowering::write_break_out() {
  const std::size_t at = out_.size();
  write_.break_line(LabelCode::break_switch, s_.switch_family.top());
  if (!break_before_) return;
  break_before_ = false;
  s_.carried = CarriedLine{at, out_.size() - at, s_.deferred_break_origin};
}

void StatementLowering::lower_switch(std::size_t open) {
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

void StatementLowering::report_case_error(std::string_view problem) {
  out_ += line_;
  report(session_, Severity::error,
         at_line(session_, origin_, quoted(line_) + ": " + std::string(problem)),
         Message::case_operand_missing, {}, &out_);
}

void StatementLowering::close_case_tests() {
  const long base = s_.switch_case_base.get(s_.switch_family.level - 1);
  while (s_.case_family.level > base) {
    write_.label(LabelCode::next_case, s_.case_family.top());
    s_.case_family.leave();
  }
}

void StatementLowering::end_body(bool ended_with_break) {
  if (ended_with_break)
    write_break_out();
  else
    write_.jump(UnmarkedLabel::caseor, s_.caseor_count);
}

void StatementLowering::close_default_body() {
  const long sw = s_.switch_family.level - 1;
  const long skip = s_.case_family.enter();
  const long entry = s_.caseor_count++;
  std::string entry_lines;
  LoweredLines entry_writer{write_.label_head_text, write_.label_end_text, entry_lines, &s_.labels};
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

void StatementLowering::lower_case(std::size_t value_start) {
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

void StatementLowering::report_text_after(std::size_t end, std::string_view label) {
  if (is_blank(line_.substr(end))) return;
  report_lost_text(label, "the text after the label of " + quoted(line_) + " is not converted");
}

void StatementLowering::lower_default() {
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

}  // namespace vonx
