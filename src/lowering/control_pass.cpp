#include "lowering/control_pass.hpp"

#include "common/files.hpp"
#include "common/line_reader.hpp"
#include "common/messages.hpp"
#include "lowering/block_lowering.hpp"
#include "preprocessor/constant_expression.hpp"
#include "translation/rule_section.hpp"

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

std::string control_pass(FileSession& session, std::string_view preprocessed) {
  take_section_settings(session);
  session.output_path = output_path_of(session.source_stem, session.output_extension);

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
      session.console.line(error_line);
      throw FatalStop(LeftFile{session.output_path, out + error_line + "\n"});
    }
  }

  // Only blocks left open are found: an extra "}" changes nothing, and do
  // blocks are not counted.
  if (state.block_depth != 0) {
    session.console.say(Message::braces_unbalanced);
    session.wait_at_end = true;
    out += message_text(Message::braces_unbalanced);
    out += '\n';
  }
  // A jump to a label that no line defines is a failed conversion, whatever the
  // assembler would make of it.
  for (const std::string& label : state.labels.undefined()) {
    std::string name = session.label_head_text + label;
    session.console.say(Message::label_undefined, name);
    out += message_text(Message::label_undefined, name);
    out += '\n';
    session.wait_at_end = true;
    session.failed = true;
  }
  return out;
}

}  // namespace vonx
