// The one writer of lowered lines, for block lowering and compound conditions
// alike: label lines and goto lines in the label decoration of the rule section,
// statement lines, and term, break and continue lines ending with a jump marker.
#pragma once

#include <string>
#include <string_view>

#include "common/jump_marker.hpp"
#include "lowering/label_ledger.hpp"

namespace vonx {

struct LoweredLines {
  std::string_view label_head_text;
  std::string_view label_end_text;  // ends with its newline, or is empty
  std::string& out;
  // When set, every label written and every label jumped to is noted here.
  LabelLedger* ledger = nullptr;

  // A label line; the label name is the label's word followed by the number.
  void label(std::string_view name);
  void label(LabelCode code, long number);
  void label(UnmarkedLabel label, long number);
  // A goto line to a label.
  void jump(std::string_view name);
  void jump(LabelCode code, long number);
  void jump(UnmarkedLabel label, long number);
  void statement(std::string_view text);
  // A term line: the term ("<" ">" around it when `bracketed`) and the marker of
  // where control goes when it holds and when it fails.
  void term(std::string_view text, bool bracketed, JumpTarget holds, JumpTarget fails);
  void break_line(LabelCode code, long number);
  void continue_line(LabelCode code, long number);
};

}  // namespace vonx
