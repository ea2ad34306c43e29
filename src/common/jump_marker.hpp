// The lowered-line format: the contract between the control pass, which writes
// it, and the macro pass, which reads it. A term, break or continue line ends
// with a jump marker "[+++" code "," number ["," code "," number] "+++]" that
// names its jump targets by label code and label number; translation turns each
// code back into its label word. Block lowering writes codes 1 to 17, compound
// conditions 18 to 33. Jump tightening (-O) writes markers of five fields, whose
// codes may also be 38 to 50 and whose fifth field says which target is the
// line right after the test.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vonx {

enum class LabelCode : int {
  none = 0,       // no label (a continue outside any loop)
  local_for = 1,  // the condition holds
  local_while,
  local_do_while,
  local_else,
  exit_for,  // 5: the condition fails
  exit_while,
  exit_do_while,
  next_else,
  break_for,  // 9
  break_while,
  break_do,
  continue_for,  // 12
  continue_while,
  continue_do,
  break_switch,  // 15
  local_case,    // the case value matches
  next_case,     // the case value does not match
  if_local_and,  // 18: the term lines of compound conditions, four per statement kind
  if_local_or,
  if_next_and,
  if_next_or,
  for_local_and,  // 22
  for_local_or,
  for_next_and,
  for_next_or,
  while_local_and,  // 26
  while_local_or,
  while_next_and,
  while_next_or,
  do_while_local_and,  // 30
  do_while_local_or,
  do_while_next_and,
  do_while_next_or,
  for_local_and_goto_not,  // 34: a label word only; no lowering writes these codes
  while_local_and_goto_not,
  do_while_local_and_goto_not,
  if_local_and_goto_not,  // 37
  // 38: words that only the five-field markers of jump tightening name: the
  // labels its threaded jumps may go to that no other code names.
  exit_if,
  loop_start_for,
  loop_start_do_while,
  case_or,
  if_local_or_goto,  // 42
  for_local_or_goto,
  while_local_or_goto,
  do_while_local_or_goto,
  if_local_or_goto_not,  // 46
  for_local_or_goto_not,
  while_local_or_goto_not,
  do_while_local_or_goto_not,  // 49
  user_label,                  // 50: the label tightening writes before a label of the user's own
};

// The statement that owns a lowered condition.
enum class ConditionOwner { if_statement, for_loop, while_loop, do_while };

// The codes one statement kind writes into the markers of its condition's term lines.
struct ConditionCodes {
  LabelCode holds;  // a simple condition: the label when it holds
  LabelCode fails;  // and when it fails
  // The term lines of a compound condition.
  LabelCode local_and;
  LabelCode local_or;
  LabelCode next_and;
  LabelCode next_or;
};

ConditionCodes condition_codes(ConditionOwner owner);

// The label word of a code; empty for LabelCode::none.
std::string_view label_word(LabelCode code);

// The labels that no jump marker of lowering's names: block lowering writes them
// and the gotos to them itself. Only the five-field markers of jump tightening
// name them (codes 38 to 41).
enum class UnmarkedLabel {
  exit_if,              // "exitif": after an if and all its branches
  loop_start_for,       // "loopstartfor": a for loop's condition test
  loop_start_do_while,  // "loopstartdowhile": the top of a do loop's body
  caseor,               // "caseor": the body of a run of case labels
};

std::string_view label_word(UnmarkedLabel label);

// Which number of a jump marker goes with a code: the second number for the exit
// and next labels, else the first.
bool takes_second_number(LabelCode code);

// Which "<address>" of a rule's replacement a code answers, counted in the order
// they are written: the first takes a local or loop label (the first code of the
// marker), the second an exit or next label (its second code). "<trueaddress>"
// and "<falseaddress>" take the first and second code whatever it is, as long as
// it has a label word.
enum class AddressUse { none, first, second };
AddressUse address_use(LabelCode code);

// A code field of a marker as read from the text: a number that is no code names
// no label. Codes 38 to 50 name a label only in a marker of five fields.
LabelCode label_code_of(long long field, int field_count = 4);

// The code of a label word as a five-field marker names it (the first code of
// the word for the words that have two); LabelCode::none for any other word.
LabelCode code_of_word(std::string_view word);

struct JumpTarget {
  LabelCode code;
  long number;
};

// The jump marker of one or two targets; the lowered line puts two blanks before it.
std::string jump_marker(JumpTarget first, std::optional<JumpTarget> second = std::nullopt);

// Which targets of a five-field marker stand right after its line (with only
// labels between): a bit for each.
enum NextLine : int { next_none = 0, next_first = 1, next_second = 2 };

// The marker of five fields that jump tightening writes: each number goes with
// the code before it, whatever the code, and the fifth field is the NextLine
// bits. A jump of one target has code 0 and number 0 as its second.
std::string tightened_marker(JumpTarget first, JumpTarget second, int next_line);

// The readers. Each answers a different question about a line of lowered text.

struct MarkerReading {
  bool well_formed = false;
  int field_count = 0;
  long long fields[5] = {0, 0, 0, 0, 0};
  std::size_t length = 0;  // up to and including "+++]" when well formed
};

constexpr std::string_view kJumpMarkerOpen = "[+++";

// Reads the jump marker at the start of `text` (which begins with "[+++"): two,
// four or five decimal fields separated by "," and closed by "+++]" on the same
// line; a fifth field holds NextLine bits (0 to 3).
MarkerReading read_jump_marker(std::string_view text);

// True when the line holds a well-formed jump marker (a marker that no rule
// translated is reported at the end of the macro pass).
bool holds_well_formed_marker(std::string_view line);

// True when the line holds "[+++" with a "+++]" after it, well formed or not
// (such lines are neither checked nor numbered for their angle brackets).
bool holds_marker_brackets(std::string_view line);

}  // namespace vonx
