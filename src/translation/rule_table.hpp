// The loaded rules of the selected section, in the order the matcher uses them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vonx {

// The tokens of one pattern or replacement line; the last token is the end-of-line
// token "!!!". In replacement lines every run of white space is a token of its own.
using TokenLine = std::vector<std::string>;

struct Rule {
  std::vector<TokenLine> pattern_lines;
  std::vector<TokenLine> replacement_lines;
};

struct RuleTable {
  // Position 0 holds the rule with the highest score; the matcher tries the
  // positions from the last to the first.
  std::vector<Rule> rules;
  // Rows of the matching window.
  std::size_t pattern_height = 1;
};

}  // namespace vonx
