// The line tokenizer of the macro pass: which part of a line a pass offers to
// the rules, how that part is split into tokens, and the jump marker of a term,
// break or continue line.
#pragma once

#include <optional>
#include <string_view>

#include "translation/operand_classes.hpp"
#include "translation/token_window.hpp"

namespace vonx {

// The pass a row is tokenized for. The first phase (passes 1, 2, ...) offers one
// operand of the line: the text after the pass-th "(" or ",". The second phase
// offers the whole line (pass 0) or the call around the pass-th "(" (pass 1 on).
struct RowOffer {
  bool first_phase = false;
  int pass = 0;
};

// Splits the part of `line` that the pass offers into tokens ending with "!!!".
// A jump marker met where a token would begin is read into the row; a
// well-formed one also updates `running`, the fields of the last marker read.
TokenRow tokenize_line(std::string_view line, RowOffer offer, const OperandClasses& classes,
                       JumpFields& running);

struct MarkerReading {
  bool well_formed = false;
  int field_count = 0;
  long long fields[4] = {0, 0, 0, 0};
  std::size_t length = 0;  // up to and including "+++]" when well formed
};

// Reads the jump marker at the start of `text` (which begins with "[+++"): two
// or four decimal fields separated by "," and closed by "+++]".
MarkerReading read_jump_marker(std::string_view text);

// True when the line still holds a jump marker that no rule translated:
// "[+++" number "," number ["," number "," number] "+++]".
bool has_leftover_marker(std::string_view line);

// Class bookkeeping over the tokens of a window's first row: "Class" pushes the
// token after it, the keyword end on top of the keyword stack followed by
// "Class" pops. The first of these ends the scan.
void update_class_stack(const TokenRow& row, BlockStacks& stacks);

}  // namespace vonx
