// Emission: the replacement lines of a matched rule with every placeholder
// replaced, jump placeholders turned into label references from the jump
// marker of the consumed rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "translation/matcher.hpp"

namespace vonx {

struct EmitContext {
  const RuleTable& table;
  const SectionSettings& settings;
  BlockStacks& stacks;
  std::string_view label_head_text;
  // The first pass of the second phase: only there do "<keyword>" and
  // "<keywordend>" write anything.
  bool keyword_pass = false;
};

enum class EmitOutcome {
  written,     // the lines replace the consumed rows
  abandoned,   // a jump the consumed rows cannot supply: the match ends without output
  rule_error,  // a replacement placeholder that the rule's patterns do not bind
};

struct Emission {
  EmitOutcome outcome = EmitOutcome::abandoned;
  std::string text;                 // the emitted lines, each ending with a line break
  std::size_t consumed = 0;         // source lines replaced
  bool wrote_keyword = false;       // "<keyword>" or "<keywordend>" was written
  std::string missing_placeholder;  // for rule_error
};

// Writes the replacement lines of the matched rule. Nothing is written unless
// every jump placeholder can be resolved from the jump marker of the consumed
// rows (the last one read among them) and every other placeholder is bound by
// the rule's own pattern lines.
Emission emit_match(const Match& match, const TokenWindow& window, EmitContext& context);

}  // namespace vonx
