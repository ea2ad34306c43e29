// The rules (macros) of the selected section of config.txt: their count, which
// fixes the height of the matching window, and their loading into the rule table
// in the order the matcher tries them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/session.hpp"
#include "translation/rule_table.hpp"

namespace vonx {

// The figures of the rule count. The capacities are kept as the system computes
// them, because pattern_height (the window height of the macro pass) and the
// number of sweeps (the progress dots) come from them; storage itself grows.
struct RuleCapacity {
  long long rule_count = 0;         // N: rules closed by a following "#" line
  long long replacement_lines = 0;  // R: most replacement lines of one counted rule
  long long pattern_lines = 0;      // P: most pattern lines of one counted rule (overestimated)
  long long tokens_per_line = 0;    // T: most tokens of one line
  long long token_length = 0;       // L: longest token
  long long slack = 10;             // P / 2 when that is above 10, else 10
  long long sweeps = 10;            // N + 10: sweeps of each loading phase, one dot each
  long long rules = 0;              // N + slack
  long long replacement_line_capacity = 0;
  long long token_capacity = 0;         // tokens per line: T * slack
  long long token_length_capacity = 0;  // L * (slack / 2)
  long long pattern_height = 0;         // rows of the matching window
};

// Counts the rules of the macro area of session.config_text. No rule at all is
// fatal ("config.txtにマクロを記述してください。"). When no rule is closed by a
// following "#" line the rule tables cannot be created: the two-line memory
// message is printed, the file is marked failed and nothing is returned.
std::optional<RuleCapacity> count_rules(FileSession& session);

// Orders and loads the rules into `table` (one "." per sweep, a line break after
// each of the two phases).
void load_rules(FileSession& session, const RuleCapacity& capacity, RuleTable& table);

// Weight of one pattern token in a rule's score: 9 wildcard, 5 user placeholder,
// 4 immediate placeholder, 3 other placeholder, 2 any other token, 1 empty.
int operand_weight(std::string_view token);

}  // namespace vonx
