#include "common/jump_marker.hpp"

#include <array>
#include <unordered_map>

#include "common/text.hpp"

namespace vonx {

namespace {

constexpr LabelCode kLastLabelCode = LabelCode::user_label;
// The last code that markers of two and four fields may name.
constexpr LabelCode kLastLoweredCode = LabelCode::if_local_and_goto_not;

constexpr std::size_t index_of(LabelCode code) {
  return static_cast<std::size_t>(code);
}

constexpr std::array<std::string_view, index_of(kLastLabelCode) + 1> kLabelWords{
    "",                            // 0: no label
    "localfor",                    // 1: for condition holds
    "localwhile",                  // 2: while condition holds
    "localdowhile",                // 3: do-while condition holds
    "localelse",                   // 4: if / else if condition holds
    "exitfor",                     // 5: for condition fails
    "exitwhile",                   // 6: while condition fails
    "exitdowhile",                 // 7: do-while condition fails
    "nextelse",                    // 8: if / else if condition fails
    "exitfor",                     // 9: break out of a for
    "exitwhile",                   // 10: break out of a while
    "exitdowhile",                 // 11: break out of a do
    "zoubuntijmp",                 // 12: continue in a for
    "loopstartwhile",              // 13: continue in a while
    "loopenddowhile",              // 14: continue in a do
    "exitswitch",                  // 15: break out of a switch
    "localcase",                   // 16: case value matches
    "nextcase",                    // 17: case value does not match
    "iflocalelseand",              // 18
    "iflocalelseor",               // 19
    "ifnextelseandjmp",            // 20
    "ifnextelseorjmp",             // 21
    "forlocalelseand",             // 22
    "forlocalelseor",              // 23
    "fornextelseandjmp",           // 24
    "fornextelseorjmp",            // 25
    "whilelocalelseand",           // 26
    "whilelocalelseor",            // 27
    "whilenextelseandjmp",         // 28
    "whilenextelseorjmp",          // 29
    "dowhilelocalelseand",         // 30
    "dowhilelocalelseor",          // 31
    "dowhilenextelseandjmp",       // 32
    "dowhilenextelseorjmp",        // 33
    "forlocalelseandgotonot",      // 34
    "whilelocalelseandgotonot",    // 35
    "dowhilelocalelseandgotonot",  // 36
    "iflocalelseandgotonot",       // 37
    "exitif",                      // 38
    "loopstartfor",                // 39
    "loopstartdowhile",            // 40
    "caseor",                      // 41
    "iflocalelseorgoto",           // 42
    "forlocalelseorgoto",          // 43
    "whilelocalelseorgoto",        // 44
    "dowhilelocalelseorgoto",      // 45
    "iflocalelseorgotonot",        // 46
    "forlocalelseorgotonot",       // 47
    "whilelocalelseorgotonot",     // 48
    "dowhilelocalelseorgotonot",   // 49
    "userlabel",                   // 50
};

// The codes by which only the markers of jump tightening name these labels.
constexpr std::array<LabelCode, 4> kUnmarkedLabelCodes{
    LabelCode::exit_if,              // UnmarkedLabel::exit_if
    LabelCode::loop_start_for,       // UnmarkedLabel::loop_start_for
    LabelCode::loop_start_do_while,  // UnmarkedLabel::loop_start_do_while
    LabelCode::case_or,              // UnmarkedLabel::caseor
};

constexpr std::string_view kJumpMarkerClose = "+++]";

bool is_signed_decimal(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text)
    if (!is_digit(c)) return false;
  return true;
}

}  // namespace

ConditionCodes condition_codes(ConditionOwner owner) {
  using enum LabelCode;
  switch (owner) {
    case ConditionOwner::if_statement:
      return {local_else, next_else, if_local_and, if_local_or, if_next_and, if_next_or};
    case ConditionOwner::for_loop:
      return {local_for, exit_for, for_local_and, for_local_or, for_next_and, for_next_or};
    case ConditionOwner::while_loop:
      return {local_while,    exit_while,     while_local_and,
              while_local_or, while_next_and, while_next_or};
    case ConditionOwner::do_while:
      break;
  }
  return {local_do_while,    exit_do_while,     do_while_local_and,
          do_while_local_or, do_while_next_and, do_while_next_or};
}

std::string_view label_word(LabelCode code) {
  return kLabelWords[index_of(code)];
}

std::string_view label_word(UnmarkedLabel label) {
  return label_word(kUnmarkedLabelCodes[static_cast<std::size_t>(label)]);
}

// Both switches name every code, so that a new code cannot be added without
// saying which number and which "<address>" it takes (-Wswitch).
bool takes_second_number(LabelCode code) {
  using enum LabelCode;
  switch (code) {
    case exit_for:
    case exit_while:
    case exit_do_while:
    case next_else:
    case next_case:
    case if_next_and:
    case if_next_or:
    case for_next_and:
    case for_next_or:
    case while_next_and:
    case while_next_or:
    case do_while_next_and:
    case do_while_next_or:
      return true;
    case none:
    case local_for:
    case local_while:
    case local_do_while:
    case local_else:
    case break_for:
    case break_while:
    case break_do:
    case continue_for:
    case continue_while:
    case continue_do:
    case break_switch:
    case local_case:
    case if_local_and:
    case if_local_or:
    case for_local_and:
    case for_local_or:
    case while_local_and:
    case while_local_or:
    case do_while_local_and:
    case do_while_local_or:
    case for_local_and_goto_not:
    case while_local_and_goto_not:
    case do_while_local_and_goto_not:
    case if_local_and_goto_not:
    case exit_if:
    case loop_start_for:
    case loop_start_do_while:
    case case_or:
    case if_local_or_goto:
    case for_local_or_goto:
    case while_local_or_goto:
    case do_while_local_or_goto:
    case if_local_or_goto_not:
    case for_local_or_goto_not:
    case while_local_or_goto_not:
    case do_while_local_or_goto_not:
    case user_label:
      return false;
  }
  return false;
}

AddressUse address_use(LabelCode code) {
  using enum LabelCode;
  switch (code) {
    case local_for:
    case local_while:
    case local_do_while:
    case local_else:
    case break_for:
    case break_while:
    case break_do:
    case continue_for:
    case continue_while:
    case continue_do:
    case break_switch:
    case local_case:
      return AddressUse::first;
    case exit_for:
    case exit_while:
    case exit_do_while:
    case next_else:
    case next_case:
      return AddressUse::second;
    case none:
    case if_local_and:
    case if_local_or:
    case if_next_and:
    case if_next_or:
    case for_local_and:
    case for_local_or:
    case for_next_and:
    case for_next_or:
    case while_local_and:
    case while_local_or:
    case while_next_and:
    case while_next_or:
    case do_while_local_and:
    case do_while_local_or:
    case do_while_next_and:
    case do_while_next_or:
    case for_local_and_goto_not:
    case while_local_and_goto_not:
    case do_while_local_and_goto_not:
    case if_local_and_goto_not:
    case exit_if:
    case loop_start_for:
    case loop_start_do_while:
    case case_or:
    case if_local_or_goto:
    case for_local_or_goto:
    case while_local_or_goto:
    case do_while_local_or_goto:
    case if_local_or_goto_not:
    case for_local_or_goto_not:
    case while_local_or_goto_not:
    case do_while_local_or_goto_not:
    case user_label:
      return AddressUse::none;
  }
  return AddressUse::none;
}

LabelCode label_code_of(long long field, int field_count) {
  const LabelCode last = field_count == 5 ? kLastLabelCode : kLastLoweredCode;
  if (field < 1 || field > static_cast<long long>(last)) return LabelCode::none;
  return static_cast<LabelCode>(field);
}

LabelCode code_of_word(std::string_view word) {
  // Asked for every label of a long text: looked up, the first code of a word kept.
  static const std::unordered_map<std::string_view, LabelCode> codes = [] {
    std::unordered_map<std::string_view, LabelCode> table;
    for (std::size_t code = 1; code < kLabelWords.size(); ++code)
      table.emplace(kLabelWords[code], static_cast<LabelCode>(code));
    return table;
  }();
  const auto found = codes.find(word);
  return found == codes.end() ? LabelCode::none : found->second;
}

std::string jump_marker(JumpTarget first, std::optional<JumpTarget> second) {
  std::string marker(kJumpMarkerOpen);
  marker += decimal(static_cast<int>(first.code));
  marker += ',';
  marker += decimal(first.number);
  if (second) {
    marker += ',';
    marker += decimal(static_cast<int>(second->code));
    marker += ',';
    marker += decimal(second->number);
  }
  marker += kJumpMarkerClose;
  return marker;
}

std::string tightened_marker(JumpTarget first, JumpTarget second, int next_line) {
  std::string marker = jump_marker(first, second);
  std::string field = ",";
  field += decimal(next_line);
  marker.insert(marker.size() - kJumpMarkerClose.size(), field);
  return marker;
}

MarkerReading read_jump_marker(std::string_view text) {
  MarkerReading reading;
  if (!text.starts_with(kJumpMarkerOpen)) return reading;
  std::size_t close = text.find(kJumpMarkerClose, kJumpMarkerOpen.size());
  std::size_t line_end = text.find('\n');
  if (close == std::string_view::npos || (line_end != std::string_view::npos && line_end < close))
    return reading;
  std::string_view inner = text.substr(kJumpMarkerOpen.size(), close - kJumpMarkerOpen.size());
  int count = 0;
  while (true) {
    std::size_t comma = inner.find(',');
    std::string_view field = inner.substr(0, comma);
    if (count == 5 || !is_signed_decimal(field)) return reading;
    reading.fields[count++] = *read_integer(field);
    if (comma == std::string_view::npos) break;
    inner.remove_prefix(comma + 1);
  }
  if (count != 2 && count != 4 && count != 5) return reading;
  if (count == 5 &&
      (reading.fields[4] < next_none || reading.fields[4] > (next_first | next_second)))
    return reading;
  reading.well_formed = true;
  reading.field_count = count;
  reading.length = close + kJumpMarkerClose.size();
  return reading;
}

bool holds_well_formed_marker(std::string_view line) {
  for (std::size_t at = line.find(kJumpMarkerOpen); at != std::string_view::npos;
       at = line.find(kJumpMarkerOpen, at + 1)) {
    if (read_jump_marker(line.substr(at)).well_formed) return true;
  }
  return false;
}

bool holds_marker_brackets(std::string_view line) {
  std::size_t open = line.find(kJumpMarkerOpen);
  return open != std::string_view::npos &&
         line.find(kJumpMarkerClose, open + kJumpMarkerOpen.size()) != std::string_view::npos;
}

}  // namespace vonx
