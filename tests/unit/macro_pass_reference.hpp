// The macro pass done the plain way, as the reference the converter's passes
// are compared with: every pass reads every line, tokenizes every window and
// tries every rule, with nothing remembered from one window or pass to the next.
// It writes what the converter writes: the output text and the console (progress
// dots, malformed jump markers, rule errors, jumps left untranslated), for the
// texts that the comparison generates (label head "L", label end ":", no goto
// rules, no growth stop).
#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/jump_marker.hpp"
#include "common/line_reader.hpp"
#include "common/messages.hpp"
#include "common/text.hpp"
#include "translation/emitter.hpp"
#include "translation/line_tokenizer.hpp"
#include "translation/matcher.hpp"

namespace vonx::testing {

struct ReferenceResult {
  std::string output;
  std::string console;
  bool grew = false;  // the text grew past the reference's bound: no result
};

class ReferenceMacroPass {
 public:
  ReferenceMacroPass(const RuleTable& table, const SectionSettings& settings)
      : table_(table), settings_(settings) {}

  // Every pass, then the final copy; `line_numbering_start` 0: no line numbers.
  // A text that grows past `bound` bytes (rules feeding themselves) gives no result.
  ReferenceResult run(std::string text, long long line_numbering_start = 0,
                      std::size_t bound = 1 << 16) {
    std::size_t commas = 0, opens = 0;
    for (std::string_view line : lines_of(text)) {
      std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
      commas = std::max<std::size_t>(commas, std::count(counted.begin(), counted.end(), ','));
      opens = std::max<std::size_t>(opens, std::count(counted.begin(), counted.end(), '('));
    }
    for (std::size_t pass = 1; pass < commas + 10; ++pass) {
      text = one_pass(text, {true, static_cast<int>(pass)});
      if (text.size() > bound) return {{}, {}, true};
      console_ += ".";
    }
    console_ += "\n";
    for (std::size_t pass = 0; pass < opens + 10; ++pass) {
      text = one_pass(text, {false, static_cast<int>(pass)});
      if (text.size() > bound) return {{}, {}, true};
      console_ += ".";
    }
    console_ += "\n";
    return {final_copy(text, line_numbering_start), console_, false};
  }

 private:
  static std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    LineReader reader(text);
    std::string_view line;
    while (reader.next(line)) lines.push_back(line);
    return lines;
  }

  static bool balanced(std::string_view line) {
    std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
    return std::count(counted.begin(), counted.end(), '(') ==
           std::count(counted.begin(), counted.end(), ')');
  }

  static bool is_label(std::string_view line) {
    std::string_view text = after_white(line, line.size());
    if (!text.starts_with("L")) return false;
    std::size_t i = 1;
    while (i < text.size() && is_alnum(text[i])) ++i;
    return text.substr(i) == ":\n" || text.substr(i) == ":";
  }

  std::size_t window_rows() const {
    std::size_t longest = 1;
    for (const Rule& rule : table_.rules) longest = std::max(longest, rule.pattern_lines.size());
    return std::min(table_.pattern_height, longest);
  }

  // A diagnostic's console line, also written into `out` when given.
  void say(Message message, std::string_view argument = {}, std::string* out = nullptr) {
    const std::string line = message_text(message, argument) + "\n";
    console_ += line;
    if (out == nullptr) return;
    if (!out->empty() && out->back() != '\n') *out += '\n';
    *out += line;
  }

  void report_malformed(const TokenRow& row) {
    if (row.marker != MarkerState::malformed) return;
    say(Message::jump_conversion_failed);
    say(Message::jump_conversion_error);
  }

  std::string one_pass(const std::string& text, RowOffer offer) {
    const bool keyword_pass = !offer.first_phase && offer.pass == 0;
    stacks_.clear();
    std::vector<std::string_view> lines = lines_of(text);
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string_view line = lines[i];
      if (is_blank(line)) continue;
      if (is_label(line) || !balanced(line)) {
        if (keyword_pass && !is_label(line)) {
          JumpFields scratch = running_;
          report_malformed(tokenize_line(line, offer, settings_, scratch));
        }
        out += line;
        continue;
      }
      JumpFields jump = running_;
      TokenWindow window;
      std::vector<JumpFields> jump_after;
      window.push_back(tokenize_line(line, offer, settings_, jump));
      jump_after.push_back(jump);
      if (keyword_pass) update_class_stack(window[0], stacks_);
      for (std::size_t next = i + 1; window.size() < window_rows() && next < lines.size(); ++next) {
        std::string_view row = lines[next];
        if (is_blank(row) || is_label(row) || !balanced(row)) break;
        window.push_back(tokenize_line(row, offer, settings_, jump));
        jump_after.push_back(jump);
      }
      bool pushed = keyword_pass && window[0].offers_tokens() &&
                    scan_keyword_pairs(window[0].tokens, settings_, stacks_, false);
      Emission emission;
      std::size_t rule = 0;
      if (window[0].offers_tokens()) {
        std::optional<Match> match = match_window(window, {table_, settings_, stacks_, nullptr});
        if (match) {
          EmitContext context{table_, settings_, stacks_, "L", keyword_pass};
          emission = emit_match(*match, window, context);
          rule = match->rule;
        }
      }
      const bool written = emission.outcome == EmitOutcome::written;
      if (keyword_pass) {
        if (!pushed && !(written && emission.wrote_keyword) && window[0].offers_tokens())
          scan_keyword_pairs(window[0].tokens, settings_, stacks_, true);
        if (written && !emission.wrote_keyword && table_.pattern_height > 1)
          for (std::string_view emitted : lines_of(emission.text)) {
            JumpFields scratch = running_;
            TokenRow row = tokenize_line(emitted, {false, 0}, settings_, scratch);
            if (row.offers_tokens()) scan_keyword_pairs(row.tokens, settings_, stacks_, true);
          }
      }
      std::size_t settled = written ? emission.consumed : 1;
      running_ = jump_after[settled - 1];
      if (keyword_pass)
        for (std::size_t r = 0; r < settled; ++r) report_malformed(window[r]);
      if (written) {
        out += emission.text;
        i += settled - 1;
      } else {
        out += line;
        // A rule that writes a placeholder its patterns do not give is reported
        // once, after the line it failed to translate.
        if (emission.outcome == EmitOutcome::rule_error && reported_rules_.insert(rule).second) {
          say(Message::macro_definition_wrong, {}, &out);
          say(Message::placeholder_missing, emission.missing_placeholder, &out);
        }
      }
    }
    return out;
  }

  std::string final_copy(const std::string& text, long long number) {
    std::string out;
    for (std::string_view line : lines_of(text)) {
      if (number != 0) {
        out += std::to_string(number) + " ";
        number += 10;
      }
      out += line;
      if (holds_well_formed_marker(line)) say(Message::macro_not_defined, {}, &out);
    }
    return out;
  }

  const RuleTable& table_;
  const SectionSettings& settings_;
  BlockStacks stacks_;
  JumpFields running_;
  std::set<std::size_t> reported_rules_;
  std::string console_;
};

}  // namespace vonx::testing
