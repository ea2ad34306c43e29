#include "lowering/control_pass.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/constant_expression.hpp"
#include "common/messages.hpp"
#include "common/report.hpp"
#include "common/utf8.hpp"
#include "lowering/block_lowering.hpp"
#include "lowering/statement_recognition.hpp"

namespace vonx {

namespace {

// A line that opened a block or a loop: its place among the lines read, for
// which was opened last.
struct OpenLine {
  std::size_t number;
  LineOrigin origin;
  std::string_view line;
};

}  // namespace

WorkText control_pass(FileSession& session, const WorkText& preprocessed) {
  BlockLowering state;
  std::string out;
  OriginRecorder origins(out);
  // The lines that opened the blocks and the do loops still open, innermost last.
  std::vector<OpenLine> open_blocks, open_loops;
  std::size_t line_number = 0;
  for (auto [line, origin] : lines_of(preprocessed)) {
    RecognisedLine statement;
    if (!session.preprocess_only) statement = recognise_statement(line, session.line_width);
    try {
      state.labels.at(origin);
      lower_statement(state, session, statement, line, origin, out);
    } catch (const ExpressionError& error) {
      // The output keeps what was lowered so far, followed by the error line.
      std::string error_line = message_text(Message::expression_error, message_text(error.reason));
      stop(session,
           at_line(session, origin,
                   expression_problem(error.reason) + " in the condition of " + quoted(line)),
           error_line, LeftFile{session.output_path, out + error_line + "\n"});
    }
    // Every line written for a statement comes from the statement's line, but a
    // jump it writes first for an earlier line.
    if (state.inserted) origins.inserted(state.inserted->at, state.inserted->length, origin);
    state.inserted.reset();
    if (state.carried)
      origins.lines_up_to(state.carried->at + state.carried->length, state.carried->origin);
    state.carried.reset();
    origins.lines_from(origin);
    const OpenLine opened{++line_number, origin, line};
    open_blocks.resize(static_cast<std::size_t>(std::max(0L, state.block_depth)), opened);
    open_loops.resize(static_cast<std::size_t>(state.do_family.level), opened);
  }

  // The innermost of the blocks and do loops left open is reported, once.
  const OpenLine* unclosed = open_blocks.empty() ? nullptr : &open_blocks.back();
  if (!open_loops.empty() && (unclosed == nullptr || open_loops.back().number > unclosed->number))
    unclosed = &open_loops.back();
  if (unclosed != nullptr) {
    report(session, Severity::error,
           at_line(session, unclosed->origin,
                   "the block of " + quoted(unclosed->line) + " is never closed"),
           Message::braces_unbalanced, {}, &out);
    origins.lines_from(unclosed->origin);
  }
  // A jump to a label that no line defines is a failed conversion, whatever the
  // assembler would make of it.
  for (const LabelLedger::Reference& missing : state.labels.undefined()) {
    const std::string label = session.settings.label_head_text + missing.label;
    report(session, Severity::error,
           at_line(session, missing.origin,
                   "the label " + label + " that this line jumps to is never written"),
           Message::label_undefined, label, &out);
  }
  return origins.finish(std::move(out));
}

}  // namespace vonx
