#include "lowering/condition_lines.hpp"

#include <algorithm>

#include "common/jump_marker.hpp"
#include "common/text.hpp"
#include "lowering/lowered_lines.hpp"

namespace vonx {

ConditionLine label_line(std::string name) {
  ConditionLine line;
  line.label = std::move(name);
  return line;
}

ConditionLine goto_line(std::string name) {
  ConditionLine line;
  line.kind = ConditionLineKind::go_to;
  line.label = std::move(name);
  return line;
}

ConditionWords condition_words(ConditionOwner owner, long target_number) {
  const ConditionCodes codes = condition_codes(owner);
  const std::string number = decimal(target_number);
  const std::string_view construct_word = owner == ConditionOwner::if_statement ? "if"
                                          : owner == ConditionOwner::for_loop   ? "for"
                                          : owner == ConditionOwner::while_loop ? "while"
                                                                                : "dowhile";
  return {construct_word, codes, std::string(label_word(codes.holds)) + number,
          std::string(label_word(codes.fails)) + number};
}

std::string term_jump_label(const ConditionLine& term, bool holds) {
  const LabelCode code = holds ? term.true_code : term.false_code;
  const long number = takes_second_number(code) ? term.second_number : term.first_number;
  return std::string(label_word(code)) + decimal(number);
}

void write_condition_lines(const std::vector<ConditionLine>& lines, const LabelStyle& style,
                           std::string& out) {
  LoweredLines write{style.label_head_text, style.label_end_text, out};
  for (const ConditionLine& line : lines) {
    switch (line.kind) {
      case ConditionLineKind::label:
        write.label(line.label);
        break;
      case ConditionLineKind::go_to:
        write.jump(line.label);
        break;
      case ConditionLineKind::term:
        write.term(
            line.term_text,
            style.block_mode && std::any_of(line.term_text.begin(), line.term_text.end(), is_white),
            {line.true_code, line.first_number}, {line.false_code, line.second_number});
        break;
    }
  }
}

}  // namespace vonx
