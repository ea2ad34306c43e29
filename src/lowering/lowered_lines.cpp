#include "lowering/lowered_lines.hpp"

#include "common/text.hpp"

namespace vonx {

void LoweredLines::label(std::string_view name) {
  out += label_head_text;
  out += name;
  out += label_end_text;
}

void LoweredLines::label(std::string_view word, long number) {
  label(std::string(word) + decimal(number));
}

void LoweredLines::jump(std::string_view name) {
  out += "     goto     ";
  out += label_head_text;
  out += name;
  out += '\n';
}

void LoweredLines::jump(std::string_view word, long number) {
  jump(std::string(word) + decimal(number));
}

void LoweredLines::statement(std::string_view text) {
  out += "     ";
  out += text;
  out += '\n';
}

void LoweredLines::term(std::string_view text, bool bracketed, JumpTarget holds,
                        JumpTarget fails) {
  out += "  ";
  if (bracketed) out += '<';
  out += text;
  if (bracketed) out += '>';
  out += "  ";
  out += jump_marker(holds, fails);
  out += '\n';
}

void LoweredLines::break_line(LabelCode code, long number) {
  out += "  break  ";
  out += jump_marker({code, number});
  out += '\n';
}

void LoweredLines::continue_line(LabelCode code, long number) {
  out += "  continue  ";
  out += jump_marker({code, number});
  out += '\n';
}

}  // namespace vonx
