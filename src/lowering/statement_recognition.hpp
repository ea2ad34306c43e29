// Statement recognition: which control statement a line of the preprocessed text
// is, by the first of the recognition rules it matches, and the shapes of header
// text that the lowering tells apart.
#pragma once

#include <cstddef>
#include <string_view>

namespace vonx {

enum class StatementKind {
  none,  // not a control line: copied unchanged
  if_statement,
  else_if,
  else_statement,
  for_loop,
  while_loop,
  do_loop,
  end_of_do,  // "} while (...)"
  closing_brace,
  switch_statement,
  case_label,
  break_statement,
  continue_statement,
  default_label,
  caseor_label,  // "[case]"
  goto_statement,
};

struct RecognisedLine {
  StatementKind kind = StatementKind::none;
  // Headers: the "(" that opens the header. case: the first character of the
  // value. goto: the first "g" of "goto". closing brace: the "}". Otherwise unused.
  std::size_t at = 0;
};

// Classifies one line (read whole) by the first of the seventeen recognition
// rules that it matches; lines matching none give StatementKind::none.
RecognisedLine recognise_statement(std::string_view line, std::size_t line_width);

// The text opens a block: its last character other than white space is "{" and
// it holds more "{" than "}" (so "push {r4, lr}" opens none). The second bytes of
// two-byte characters are not braces.
bool opens_block(std::string_view text);

// The byte at `pos`, or "\0" past the end of the text.
char at_or_nul(std::string_view text, std::size_t pos);

// The end of a run of white space inside a line that starts at `pos`: it stops at
// the newline.
std::size_t white_run(std::string_view line, std::size_t pos);

// The header "(" is followed, apart from white space, by "1" and ")": a loop
// that has no condition.
bool is_condition_one(std::string_view line, std::size_t start);

// The header of the for whose "(" is at `open` holds only two ";" and white
// space: the infinite for.
bool is_infinite_for(std::string_view line, std::size_t open);

}  // namespace vonx
