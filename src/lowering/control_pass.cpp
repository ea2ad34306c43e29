#include "lowering/control_pass.hpp"

#include "common/constant_expression.hpp"
#include "common/files.hpp"
#include "common/line_reader.hpp"
#include "common/messages.hpp"
#include "common/report.hpp"
#include "common/rule_section.hpp"
#include "lowering/block_lowering.hpp"

namespace vonx {

namespace {

// The output sits beside the source: the stem's base name up to its first ".",
// then "." and the section's extension (so "prog.v2.7pp" gives "prog.<ext>").
std::string output_path_of(std::string_view source_stem, std::string_view extension) {
  std::string name = std::string(source_stem) + ".as";
  std::size_t base = base_name_start(name);
  name.resize(name.find('.', base));
  return name + "." + std::string(extension);
}

}  // namespace

std::string control_pass(FileSession& session, std::string_view preprocessed) {
  session.settings =
      read_section_settings(session.config_text, session.cpu_directive, session.line_width);
  session.output_path = output_path_of(session.source_stem, session.settings.output_extension);

  BlockLowering state;
  std::string out;
  LineReader reader(preprocessed);
  std::string_view line;
  while (reader.next(line)) {
    RecognisedLine statement;
    if (!session.preprocess_only) statement = recognise_statement(line, session.line_width);
    try {
      lower_statement(state, session, statement, line, out);
    } catch (const ExpressionError& error) {
      // The output keeps what was lowered so far, followed by the error line.
      std::string error_line = message_text(Message::expression_error, message_text(error.reason));
      stop(session, error_line, LeftFile{session.output_path, out + error_line + "\n"});
    }
  }

  // Only blocks left open are found: an extra "}" changes nothing, and do
  // blocks are not counted.
  if (state.block_depth != 0) {
    report(session, Severity::warning, Message::braces_unbalanced, {}, &out);
  }
  return out;
}

}  // namespace vonx
