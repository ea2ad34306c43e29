// The lowering of one statement line, written in two files: block_lowering.cpp
// lowers the structured statements, switch_lowering.cpp a switch, its case and
// default: labels and the jumps out of it. Only those two files include this.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/jump_marker.hpp"
#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "lowering/block_state.hpp"
#include "lowering/lowered_lines.hpp"
#include "lowering/statement_recognition.hpp"

namespace vonx {

// One line lowered: the statement it is becomes labels, gotos and term lines in
// `out`, and the file's block state follows it.
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

  void lower(const RecognisedLine& statement);

 private:
  static bool takes_header(StatementKind kind);
  static bool has_parentheses(StatementKind kind);

  // The header line without the ")" that directly follow the one that closes
  // its parentheses ("if (a == 3)) {"); empty when there is none.
  std::string header_without_extra_parens(std::size_t open) const;
  void report_extra_parens(std::string_view written);

  // The header line cut after the ")" that closes its parentheses, when a
  // statement follows it there (it would be lost: the body is the next line);
  // otherwise empty. A "{" after the ")" opens the block, whatever follows it;
  // a line that ends with "{" opens its block as written: text before that "{"
  // belongs to its condition, which reports its own faults.
  std::string header_without_text_after(std::size_t open) const;

  void report_text_after_header(std::string_view written, StatementKind kind);

  // Text on the line of a header or label that is not converted: the keyword
  // goes into the message, `text` is the located line's text.
  void report_lost_text(std::string_view keyword, std::string text);

  void lower_kind(StatementKind kind, std::size_t at);

  // A break directly in a case body jumps out when the next case or default:
  // line arrives, and needs no jump before the switch's closing brace. Any other
  // line after it in the body is never reached: the jump out goes first.
  void end_deferred_break(StatementKind next);

  // The jump out of the switch at the end of a case or default body. When a
  // break ended the body right before this line, the jump is that break's and
  // comes from its line.
  void write_break_out();

  // The jump back at the end of a for or while body; with -g it comes from the
  // loop's header line.
  void write_loop_back(LabelCode code, long number);

  std::size_t condition_start(std::size_t after) const;

  // Writes the condition whose simple text is `text` and whose full text (the
  // terms a compound condition is read from) is `source`: one term line when it
  // is simple, else the compound condition's lines.
  void lower_condition(ConditionOwner owner, std::string_view source, std::string_view text,
                       bool bracketed, long number);

  // The condition of an if or else if: a new else number, then the condition
  // and the "localelse" label. Parentheses holding only white space write nothing.
  void lower_if_condition(std::size_t open);

  void lower_if(std::size_t open);

  // Ends the branch before it: the taken branch leaves the if, the next test follows.
  void close_branch();

  void lower_else_if(std::size_t open);
  void lower_else();

  // An else or else if belongs to the innermost block when that is an if that
  // has not met its plain else. Any other is reported; a "}" before it still
  // closes the block it ends, and its body becomes an unknown block.
  bool else_has_if();

  // A line that is no control statement is copied. One that opens a block is a
  // misspelt or unknown statement: it is reported, and its block's closing
  // brace is taken by it rather than by the block around it.
  void copy_line();
  // "break;" and "continue;", as C writes them: a statement here ends at the
  // line end, and with the ";" the line is copied as it stands. True when the
  // line is one of them (and has been reported).
  bool report_semicolon(std::string_view start, std::string_view statement);

  void report_unknown_statement();
  void open_unknown_block();
  void report_misplaced(std::string_view statement, std::string text);
  void open_loop(BlockKind kind, bool counts_as_block);
  void close_loop_levels();
  void lower_for(std::size_t open);
  void lower_while(std::size_t open);
  void lower_do();
  void lower_end_of_do(std::size_t open);

  // A closing brace line: `brace` is the "}" (npos: the brace of an else line
  // reported for having no if), after which a line may open another block.
  void lower_closing_brace(std::size_t brace);

  void close_block();
  void lower_switch(std::size_t open);

  bool directly_in_switch() const { return s_.break_kinds.get(s_.break_level) == switch_block; }

  void report_case_error(std::string_view problem);

  // Writes the "nextcase" label of each case test of the current switch that has
  // none yet (normally only the last one): where control goes when its value
  // does not match. A test entered inside the switch is closed by the switch's
  // closing brace at the latest.
  void close_case_tests();

  // The end of a case or default body before the next case label: a body that
  // ended with break leaves the switch, any other runs on into the body of the
  // next run of case labels.
  void end_body(bool ended_with_break);

  // A case label follows the default body. The case tests go on over the
  // default body, which gets a "caseor" entry of its own that the closing brace
  // jumps to when no value matched. Both lines go where the default body begins;
  // the "nextcase" label the first of them jumps to comes before this case's test.
  void close_default_body();

  void lower_case(std::size_t value_start);

  // A case or default: label stands alone on its line: text after it would be
  // lost, so it is reported.
  void report_text_after(std::size_t end, std::string_view label);

  void lower_break();
  void lower_continue();

  // A case body never runs on into the default body: default: ends it. When the
  // default is the switch's last label, the failed last test leads into its body;
  // when case labels follow, the first of them moves the body out of the tests'
  // way (close_default_body). As the first label, default: has no body to end.
  void lower_default();

  BlockLowering& s_;
  FileSession& session_;
  std::string_view line_;
  LineOrigin origin_;          // where the line stands, for the reports
  bool break_before_ = false;  // the line before this one was a break directly in a case body
  LoweredLines write_;
  std::string& out_;
};

}  // namespace vonx
