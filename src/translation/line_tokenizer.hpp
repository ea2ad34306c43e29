// The line tokenizer of the macro pass: which part of a line a pass offers to
// the rules, how that part is split into tokens, and the jump marker of a term,
// break or continue line.
#pragma once

#include <cstddef>
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

// The part of a line that a pass offers, as positions in the line: the scan
// of the tokenizer starts at `begin` and stops at `end` (the line break is never
// inside). A line whose pass finds no such part offers nothing.
struct RowRange {
  bool offered = false;
  std::size_t begin = 0;
  std::size_t end = 0;
};

RowRange offered_range(std::string_view line, RowOffer offer);

// Splits the part of `line` that the pass offers into tokens ending with "!!!".
// A jump marker met where a token would begin is read into the row; a
// well-formed one also updates `running`, the fields of the last marker read.
TokenRow tokenize_line(std::string_view line, RowOffer offer, const SectionSettings& settings,
                       JumpFields& running);
// The same into a row whose storage is reused: every field is set afresh.
void tokenize_line_into(TokenRow& row, std::string_view line, RowOffer offer,
                        const SectionSettings& settings, JumpFields& running);
// The same with the part the pass offers already found (offered_range).
void tokenize_line_into(TokenRow& row, std::string_view line, RowOffer offer, RowRange range,
                        const SectionSettings& settings, JumpFields& running);

// Class bookkeeping over the tokens of a window's first row: "Class" pushes the
// token after it, the keyword end on top of the keyword stack followed by
// "Class" pops. The first of these ends the scan.
void update_class_stack(const TokenRow& row, BlockStacks& stacks);

}  // namespace vonx
