#include "lowering/control_pass.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/constant_expression.hpp"
#include "common/diagnostics.hpp"
#include "common/files.hpp"
#include "common/messages.hpp"
#include "common/rule_section.hpp"
#include "common/utf8.hpp"
#include "lowering/block_lowering.hpp"

namespace vonx {

namespace {

void take_section_settings(FileSession& session) {
  SectionSettings settings =
      read_section_settings(session.config_text, session.cpu_directive, session.line_width);
  session.label_head_text = std::move(settings.label_head_text);
  session.label_end_text = std::move(settings.label_end_text);
  session.output_extension = std::move(settings.output_extension);
  session.sized_names = std::move(settings.sized_names);
}

// The output sits beside the source: the stem's base name up to its first ".",
// then "." and the section's extension (so "prog.v2.7pp" gives "prog.<ext>").
std::string output_path_of(std::string_view source_stem, std::string_view extension) {
  std::string name = std::string(source_stem) + ".as";
  std::size_t base = base_name_start(name);
  name.resize(name.find('.', base));
  return name + "." + std::string(extension);
}

}  // namespace

WorkText control_pass(FileSession& session, const WorkText& preprocessed) {
  take_section_settings(session);
  session.output_path = output_path_of(session.source_stem, session.output_extension);

  BlockLowering state;
  std::string out;
  OriginRecorder origins(out);
  // The lines that opened the blocks still open, innermost last.
  std::vector<std::pair<LineOrigin, std::string_view>> open_blocks;
  WorkTextReader reader(preprocessed);
  std::string_view line;
  LineOrigin origin;
  while (reader.next(line, origin)) {
    RecognisedLine statement;
    if (!session.preprocess_only) statement = recognise_statement(line, session.line_width);
    try {
      lower_statement(state, session, statement, line, origin, out);
    } catch (const ExpressionError& error) {
      // The output keeps what was lowered so far, followed by the error line.
      std::string error_line = message_text(Message::expression_error, message_text(error.reason));
      session.console.line(error_line);
      diagnose(session, origin, Severity::error,
               expression_problem(error.reason) + " in the condition of " + quoted(line));
      throw FatalStop(LeftFile{session.output_path, out + error_line + "\n"});
    }
    // Every line written for a statement comes from the statement's line.
    origins.lines_from(origin);
    open_blocks.resize(static_cast<std::size_t>(std::max(0L, state.block_depth)), {origin, line});
  }

  // Only blocks left open are found: an extra "}" changes nothing, and do
  // blocks are not counted.
  if (state.block_depth != 0) {
    session.console.say(Message::braces_unbalanced);
    if (open_blocks.empty())
      diagnose(session, "", Severity::error, "a block is never closed");
    else
      diagnose(session, open_blocks.back().first, Severity::error,
               "the block of " + quoted(open_blocks.back().second) + " is never closed");
    session.wait_at_end = true;
    out += message_text(Message::braces_unbalanced);
    out += '\n';
    if (!open_blocks.empty()) origins.lines_from(open_blocks.back().first);
  }
  return origins.finish(std::move(out));
}

}  // namespace vonx
