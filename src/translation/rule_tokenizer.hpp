// Splits one line of the macro area of config.txt into the tokens of its
// pattern part and of the replacement lines that its ":" characters open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vonx {

struct RuleLineTokens {
  // Tokens before the first ":" that opens a replacement line. White space only
  // separates them.
  std::vector<std::string> pattern;
  // One entry per ":" that opens a replacement line (":" inside quotes and the
  // escape "\:" open none). Every run of white space before a token is a token of
  // its own, so a replacement keeps its spacing; trailing white space is dropped.
  std::vector<std::vector<std::string>> replacements;
};

// `text` is the line after its leading white space, and for a "#" line after the
// "#". The line ends at its newline or at the end of the text.
//
// A token ends at white space, before ":" and "#", before "<" followed by a letter
// or digit and before the wildcards "<...>" and "<..." + digit. A token that begins
// with one of these "<" forms runs up to and including the next ">". Quoted text
// stays inside one token, quotes included. "\:" and "\#" give the one-character
// tokens ":" and "#"; "\<" ... "\>" gives the token from "<" to ">" without the
// backslashes.
RuleLineTokens tokenize_rule_line(std::string_view text);

}  // namespace vonx
