#include "translation/rule_file.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/rule_section.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "translation/operand_classes.hpp"
#include "translation/rule_tokenizer.hpp"

namespace vonx {

namespace {

// One rule of the macro area as written, before ordering.
struct WrittenRule {
  std::vector<std::vector<std::string>> pattern_lines;
  std::vector<std::vector<std::string>> replacement_lines;
  // Opened by a ":" on its "#" line; only then do the following lines belong to it.
  bool open = false;
  // Pattern lines as the rule count sees them: 1 for the "#" line, and one per
  // token of every further line that does not begin with ":". This overestimates
  // the lines; it is the figure that widens the slack.
  long long counted_pattern_lines = 1;
  std::size_t config_line = 0;  // of its "#" line, from 1
};

struct MacroArea {
  std::vector<WrittenRule> rules;
  long long most_tokens = 0;    // T
  long long longest_token = 0;  // L
};

long long token_count(const RuleLineTokens& tokens) {
  long long count = static_cast<long long>(tokens.pattern.size());
  for (const auto& line : tokens.replacements) count += static_cast<long long>(line.size());
  return count;
}

void measure(MacroArea& area, const RuleLineTokens& tokens) {
  auto measure_line = [&area](const std::vector<std::string>& line) {
    area.most_tokens = std::max(area.most_tokens, static_cast<long long>(line.size()));
    for (const std::string& token : line)
      area.longest_token = std::max(area.longest_token, static_cast<long long>(token.size()));
  };
  measure_line(tokens.pattern);
  for (const auto& line : tokens.replacements) measure_line(line);
}

// Reads the macro area: the section's lines up to its first settings line. A
// "#" line begins a rule; the lines after it belong to the rule only once a ":"
// has opened it. Lines before the first "#" line are not rules.
MacroArea read_macro_area(const FileSession& session) {
  MacroArea area;
  ConfigLineNumbers numbers(session.config_text);
  for (std::string_view line :
       rule_section_lines(session.config_text, session.cpu_directive, session.line_width)) {
    std::string_view text = after_white(line, session.line_width);
    if (is_settings_line(text)) break;
    if (begins_with(text, "#")) {
      RuleLineTokens tokens = tokenize_rule_line(text.substr(1));
      measure(area, tokens);
      WrittenRule rule;
      rule.config_line = numbers.of(line);
      rule.pattern_lines.push_back(std::move(tokens.pattern));
      rule.open = !tokens.replacements.empty();
      for (auto& replacement : tokens.replacements)
        rule.replacement_lines.push_back(std::move(replacement));
      area.rules.push_back(std::move(rule));
      continue;
    }
    if (area.rules.empty() || !area.rules.back().open) continue;
    WrittenRule& rule = area.rules.back();
    RuleLineTokens tokens = tokenize_rule_line(text);
    measure(area, tokens);
    if (!begins_with(text, ":")) {
      rule.counted_pattern_lines += token_count(tokens);
      // A blank line holds no token and starts no pattern line.
      if (!tokens.pattern.empty()) rule.pattern_lines.push_back(std::move(tokens.pattern));
    }
    for (auto& replacement : tokens.replacements)
      rule.replacement_lines.push_back(std::move(replacement));
  }
  return area;
}

// Score of a rule: the weights of its pattern tokens read as decimal digits, in
// extended precision. Within a line the scoring stops at a ":" token. A word-class
// or range placeholder weighs like a literal; among rules of equal score the
// refinement (a digit 1 for each of them, 0 for every other token) puts a
// literal before it, and leaves rules without them in the order of the file.
struct RuleScore {
  long double score = 0;
  long double refinement = 0;
};

RuleScore rule_score(const WrittenRule& rule, const SectionSettings& settings) {
  RuleScore score;
  for (const auto& line : rule.pattern_lines) {
    for (const std::string& token : line) {
      if (token == ":" || token == "!!!") break;
      if (token.empty()) {
        score.score = score.score * 10 + operand_weight(token);
        continue;
      }
      const bool exact = is_exact_placeholder(settings, token);
      score.score = score.score * 10 + (exact ? 2 : operand_weight(token));
      score.refinement = score.refinement * 10 + (exact ? 1 : 0);
    }
  }
  return score;
}

// A range placeholder whose bounds are no numbers, or whose LOW is above its
// HIGH, accepts nothing: the rule is reported at its line.
const std::string* malformed_range(const WrittenRule& rule) {
  for (const auto& line : rule.pattern_lines)
    for (const std::string& token : line)
      if (is_range_placeholder(token) && !range_well_formed(token)) return &token;
  return nullptr;
}

void report_malformed_ranges(FileSession& session, const MacroArea& area) {
  for (const WrittenRule& rule : area.rules)
    if (const std::string* token = malformed_range(rule))
      report(session, Severity::error,
             at_config_line(session, rule.config_line,
                            utf8_from_cp932(*token) +
                                " is no range: its bounds must be numbers, the first not "
                                "above the second"),
             Message::macro_definition_wrong);
}

// A "#user" line with a blank after it that defines no word class (a name that
// is no plain word, or one of vonx's own placeholder names): the rules that
// write its placeholder would take it for something else. Standard error only.
void report_unread_word_classes(FileSession& session) {
  for (std::size_t line : session.settings.unread_word_classes)
    report_on_stderr(session, Severity::warning,
                     at_config_line(session, line,
                                    "this #user line defines no word class: a class is "
                                    "\"#user NAME=WORD,...\", NAME of letters and \"_\" and "
                                    "none of vonx's own placeholder names"));
}

TokenLine ended(std::vector<std::string> tokens) {
  tokens.emplace_back("!!!");
  return tokens;
}

// A problem of the whole section, reported at its line in config.txt.
Located at_section_line(const FileSession& session, std::string_view problem) {
  return at_config_line(
      session, section_line_number(session.config_text, session.cpu_directive, session.line_width),
      "the section " + quoted(session.cpu_directive) + " " + std::string(problem));
}

void show_sweeps(Console& console, long long sweeps) {
  for (long long sweep = 0; sweep < sweeps; ++sweep) console.write(".");
  console.write("\n");
}

}  // namespace

int operand_weight(std::string_view token) {
  auto numbered = [&token](std::string_view head) {
    return token.size() > head.size() && begins_with(token, head) && is_digit(token[head.size()]);
  };
  if (token == "<...>" || numbered("<...")) return 9;
  if (token == "<user>" || numbered("<user")) return 5;
  if (token == "<imm>" || numbered("<imm")) return 4;
  if (token.size() > 1 && token[0] == '<' && is_alpha(token[1])) return 3;
  return token.empty() ? 1 : 2;
}

std::optional<RuleCapacity> count_rules(FileSession& session) {
  MacroArea area = read_macro_area(session);
  RuleCapacity capacity;
  // The last rule of the area is not closed by a "#" line and is not counted.
  if (area.rules.size() > 1) {
    capacity.rule_count = static_cast<long long>(area.rules.size()) - 1;
    for (std::size_t i = 0; i + 1 < area.rules.size(); ++i) {
      const WrittenRule& rule = area.rules[i];
      capacity.replacement_lines = std::max(capacity.replacement_lines,
                                            static_cast<long long>(rule.replacement_lines.size()));
      capacity.pattern_lines = std::max(capacity.pattern_lines, rule.counted_pattern_lines);
    }
  }
  capacity.tokens_per_line = area.most_tokens;
  capacity.token_length = area.longest_token;
  if (capacity.rule_count == 0 && capacity.replacement_lines == 0 &&
      capacity.tokens_per_line == 0 && capacity.token_length == 0)
    stop(session, at_section_line(session, "holds no rule"), Message::no_macros);

  const long long p = capacity.pattern_lines;
  capacity.slack = p / 2 > 10 ? p / 2 : 10;
  capacity.sweeps = capacity.rule_count + 10;
  capacity.rules = capacity.rule_count + capacity.slack;
  capacity.replacement_line_capacity =
      capacity.replacement_lines * (p == 1 ? capacity.slack / 2 : capacity.slack);
  capacity.token_capacity = capacity.tokens_per_line * capacity.slack;
  capacity.token_length_capacity = capacity.token_length * (capacity.slack / 2);
  capacity.pattern_height = p == 1 ? 1 : capacity.replacement_line_capacity - 1;

  // Without a counted rule the window height is negative: the tables cannot be
  // created.
  if (capacity.pattern_height < 1) {
    report(session, Severity::error,
           at_section_line(session, "has no rule closed by a following \"#\" line"),
           Message::memory_failed);
    report_more(session, Message::reduce_macros);
    return std::nullopt;
  }
  return capacity;
}

void load_rules(FileSession& session, const RuleCapacity& capacity, RuleTable& table) {
  // Phase 1, ordering: each sweep gives the next position to the rule with the
  // highest score among those not yet placed, the later-defined one among equals.
  // A stable sort of the rules taken from last to first gives the same order.
  MacroArea area = read_macro_area(session);
  report_malformed_ranges(session, area);
  report_unread_word_classes(session);
  std::vector<RuleScore> scores;
  scores.reserve(area.rules.size());
  for (const WrittenRule& rule : area.rules) scores.push_back(rule_score(rule, session.settings));
  std::vector<std::size_t> order(area.rules.size());
  std::iota(order.rbegin(), order.rend(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&scores](std::size_t a, std::size_t b) {
    if (scores[a].score != scores[b].score) return scores[a].score > scores[b].score;
    return scores[a].refinement > scores[b].refinement;
  });
  // Each sweep places one rule at most.
  std::size_t placed =
      std::min(order.size(), static_cast<std::size_t>(std::max(0LL, capacity.sweeps)));
  order.resize(placed);
  show_sweeps(session.console, capacity.sweeps);

  // Phase 2, loading: position r receives the rule placed by sweep r.
  table.rules.clear();
  table.pattern_height = static_cast<std::size_t>(std::max(1LL, capacity.pattern_height));
  for (std::size_t index : order) {
    WrittenRule& written = area.rules[index];
    Rule rule;
    rule.definition_index = index;
    rule.config_line = written.config_line;
    for (auto& line : written.pattern_lines) rule.pattern_lines.push_back(ended(std::move(line)));
    for (auto& line : written.replacement_lines)
      rule.replacement_lines.push_back(ended(std::move(line)));
    table.rules.push_back(std::move(rule));
  }
  show_sweeps(session.console, capacity.sweeps);
}

}  // namespace vonx
