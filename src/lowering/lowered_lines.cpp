#include "lowering/lowered_lines.hpp"

#include "common/text.hpp"

namespace vonx {

namespace {

// The label name a marker target stands for.
std::string target_name(JumpTarget target) {
  return std::string(label_word(target.code)) + decimal(target.number);
}

}  // namespace

void LoweredLines::label(std::string_view name) {
  if (ledger) ledger->define(name);
  out += label_head_text;
  out += name;
  out += label_end_text;
}

void LoweredLines::label(LabelCode code, long number) {
  label(target_name({code, number}));
}

void LoweredLines::label(UnmarkedLabel unmarked, long number) {
  label(std::string(label_word(unmarked)) + decimal(number));
}

void LoweredLines::jump(std::string_view name) {
  if (ledger) ledger->refer(name);
  out += "     goto     ";
  out += label_head_text;
  out += name;
  out += '\n';
}

void LoweredLines::jump(LabelCode code, long number) {
  jump(target_name({code, number}));
}

void LoweredLines::jump(UnmarkedLabel unmarked, long number) {
  jump(std::string(label_word(unmarked)) + decimal(number));
}

void LoweredLines::statement(std::string_view text) {
  out += "     ";
  out += text;
  out += '\n';
}

void LoweredLines::term(std::string_view text, bool bracketed, JumpTarget holds, JumpTarget fails) {
  if (ledger) {
    ledger->refer(target_name(holds));
    ledger->refer(target_name(fails));
  }
  out += "  ";
  if (bracketed) out += '<';
  out += text;
  if (bracketed) out += '>';
  out += "  ";
  out += jump_marker(holds, fails);
  out += '\n';
}

void LoweredLines::break_line(LabelCode code, long number) {
  if (ledger) ledger->refer(target_name({code, number}));
  out += "  break  ";
  out += jump_marker({code, number});
  out += '\n';
}

void LoweredLines::continue_line(LabelCode code, long number) {
  // LabelCode::none: a continue outside any loop names no label.
  if (ledger && code != LabelCode::none) ledger->refer(target_name({code, number}));
  out += "  continue  ";
  out += jump_marker({code, number});
  out += '\n';
}

}  // namespace vonx
