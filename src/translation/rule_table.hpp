// The loaded rules of the selected section, in the order the matcher uses them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vonx {

// The tokens of one pattern or replacement line; the last token is the end-of-line
// token "!!!". In replacement lines every run of white space that stands before a
// token is a token of its own (the first one is the line's indentation); white
// space after the last token is not kept.
using TokenLine = std::vector<std::string>;

struct Rule {
  // At least one line: the "#" line of the rule, possibly holding only "!!!".
  std::vector<TokenLine> pattern_lines;
  // Empty for a rule that never opened (its "#" line has no ":"): such a rule
  // has nothing to write and the matcher passes it over. A ":" at the end of a
  // line gives a replacement line holding only "!!!".
  std::vector<TokenLine> replacement_lines;
  // Place of the rule in config.txt, from 0 (among equal scores the rule defined
  // later sits at the earlier position).
  std::size_t definition_index = 0;
  // The line of config.txt that begins the rule (its "#" line), 1-based.
  std::size_t config_line = 0;
};

struct RuleTable {
  // Position 0 holds the rule with the highest score; the matcher tries the
  // positions from the last to the first.
  std::vector<Rule> rules;
  // Rows of the matching window, as the rule count fixes it. A rule may have more
  // pattern lines than this (the last rule of the area is not counted, and the
  // count of a tall pattern can fall short); such a rule can never match and the
  // matcher must not look past the window's last row for it.
  std::size_t pattern_height = 1;
};

}  // namespace vonx
