// Hand-made rules and windows for the matcher, emitter and macro pass tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/text.hpp"
#include "translation/line_tokenizer.hpp"
#include "translation/rule_table.hpp"

namespace vonx::testing {

// Splits a rule line the way the rule file keeps it: placeholders "<...>" are
// tokens, other text splits at white space; with `keep_spacing` every run of
// white space is a token too (replacement lines). "!!!" is appended.
inline TokenLine rule_tokens(std::string_view text, bool keep_spacing) {
  TokenLine tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t start = i;
    if (is_white(text[i])) {
      while (i < text.size() && is_white(text[i])) ++i;
      if (keep_spacing) tokens.emplace_back(text.substr(start, i - start));
      continue;
    }
    if (text[i] == '<' && i + 1 < text.size() && (is_alnum(text[i + 1]) || text[i + 1] == '.')) {
      std::size_t close = text.find('>', i);
      i = close == std::string_view::npos ? text.size() : close + 1;
    } else {
      while (
          i < text.size() && !is_white(text[i]) &&
          !(text[i] == '<' && i + 1 < text.size() && (is_alnum(text[i + 1]) || text[i + 1] == '.')))
        ++i;
    }
    tokens.emplace_back(text.substr(start, i - start));
  }
  tokens.emplace_back("!!!");
  return tokens;
}

inline Rule make_rule(std::vector<std::string_view> patterns,
                      std::vector<std::string_view> replacements) {
  Rule rule;
  for (std::string_view line : patterns) rule.pattern_lines.push_back(rule_tokens(line, false));
  for (std::string_view line : replacements)
    rule.replacement_lines.push_back(rule_tokens(line, true));
  return rule;
}

// A table in trial order as written: the first rule given is tried first (it
// sits at the last position).
inline RuleTable table_in_trial_order(std::vector<Rule> rules, std::size_t pattern_height = 1) {
  RuleTable table;
  table.rules.assign(rules.rbegin(), rules.rend());
  table.pattern_height = pattern_height;
  return table;
}

}  // namespace vonx::testing
