#include "lowering/condition_lines.hpp"

#include <algorithm>

#include "common/jump_marker.hpp"
#include "common/text.hpp"

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
  const std::string number = decimal(target_number);
  switch (owner) {
    case ConditionOwner::if_statement:
      return {"if", 18, "localelse" + number, "nextelse" + number};
    case ConditionOwner::for_loop:
      return {"for", 22, "localfor" + number, "exitfor" + number};
    case ConditionOwner::while_loop:
      return {"while", 26, "localwhile" + number, "exitwhile" + number};
    case ConditionOwner::do_while:
      break;
  }
  return {"dowhile", 30, "localdowhile" + number, "exitdowhile" + number};
}

std::string term_jump_label(const ConditionLine& term, bool holds) {
  const int code = holds ? term.true_code : term.false_code;
  const long number = takes_second_number(code) ? term.second_number : term.first_number;
  return std::string(label_word(code)) + decimal(number);
}

void write_condition_lines(const std::vector<ConditionLine>& lines, const LabelStyle& style,
                           std::string& out) {
  for (const ConditionLine& line : lines) {
    switch (line.kind) {
      case ConditionLineKind::label:
        out += style.label_head_text;
        out += line.label;
        out += style.label_end_text;
        break;
      case ConditionLineKind::go_to:
        out += "     goto     ";
        out += style.label_head_text;
        out += line.label;
        out += '\n';
        break;
      case ConditionLineKind::term: {
        const bool wrap =
            style.block_mode && std::any_of(line.term_text.begin(), line.term_text.end(), is_white);
        out += "  ";
        if (wrap) out += '<';
        out += line.term_text;
        if (wrap) out += '>';
        out += "  [+++" + decimal(line.true_code) + "," + decimal(line.first_number) + "," +
               decimal(line.false_code) + "," + decimal(line.second_number) + "+++]\n";
        break;
      }
    }
  }
}

}  // namespace vonx
