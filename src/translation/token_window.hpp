// The token window of the macro pass: the tokenized rows under the cursor, the
// jump fields read from their jump markers, and the keyword and class stacks that
// block placeholders read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vonx {

// The four numbers of a jump marker "[+++" code "," number ["," code "," number]
// "+++]". A two-field marker leaves the second code and number as the previous
// marker of the file set them (0 before the first). A marker of five fields
// (written by jump tightening) sets all four, pairs each number with the code
// before it, and says which of its targets is the next line.
struct JumpFields {
  long long first_code = 0;
  long long first_number = 0;
  long long second_code = 0;
  long long second_number = 0;
  bool five_fields = false;  // the last marker read had five fields
  int next_line = 0;         // its NextLine bits; 0 after a marker of two or four fields
};

enum class MarkerState { none, well_formed, malformed };

// One row of the window: one line as offered to the rules in this pass.
struct TokenRow {
  std::string_view raw;  // the whole line, line break included
  // Views into `raw`, then "!!!"; empty when the row offers nothing.
  std::vector<std::string_view> tokens;
  std::vector<bool> bracketed;  // the token is an angle-bracketed term "<...>"
  std::size_t tail = 0;         // position in `raw` after the last token taken
  bool first_phase = false;     // an operand row: the text after it is kept
  MarkerState marker = MarkerState::none;
  JumpFields jump;        // the fields as this row's marker left them
  int marker_fields = 0;  // 2, 4 or 5: the fields of a well-formed marker

  bool offers_tokens() const { return !tokens.empty(); }
  // Number of real tokens, "!!!" not counted.
  std::size_t token_count() const { return tokens.empty() ? 0 : tokens.size() - 1; }
  // Where real token k begins and ends in `raw`.
  std::size_t start(std::size_t k) const {
    return static_cast<std::size_t>(tokens[k].data() - raw.data());
  }
  std::size_t end(std::size_t k) const { return start(k) + tokens[k].size(); }
};

using TokenWindow = std::vector<TokenRow>;

// The jump fields a match of the window's first `rows` rows reads: those of the
// last of them that carries a well-formed jump marker. A row below the match
// never lends its marker.
inline const JumpFields* consumed_jump(const TokenWindow& window, std::size_t rows) {
  const JumpFields* jump = nullptr;
  for (std::size_t r = 0; r < rows && r < window.size(); ++r)
    if (window[r].marker == MarkerState::well_formed) jump = &window[r].jump;
  return jump;
}

struct KeywordPair {
  std::string keyword;
  std::string keyword_end;
};

// Block context of the first pass of the second phase; both stacks are emptied
// at the start of every pass.
struct BlockStacks {
  std::vector<KeywordPair> keyword_stack;
  std::vector<std::string> class_stack;

  void clear() {
    keyword_stack.clear();
    class_stack.clear();
  }
};

}  // namespace vonx
