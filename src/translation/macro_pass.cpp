#include "translation/macro_pass.hpp"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "common/jump_marker.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "translation/emitter.hpp"
#include "translation/line_tokenizer.hpp"
#include "translation/matcher.hpp"
#include "translation/rule_file.hpp"
#include "translation/work_text.hpp"

namespace vonx {

namespace {

// The number of passes of each phase: the most "," (first phase) and "(" (second
// phase) of one line, counted from its second character, plus 10 each.
struct PassBounds {
  std::size_t comma_bound = 10;
  std::size_t parenthesis_bound = 10;
};

PassBounds measure_pass_bounds(std::string_view text) {
  std::size_t commas = 0;
  std::size_t parentheses = 0;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) {
    std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
    commas = std::max<std::size_t>(commas, std::count(counted.begin(), counted.end(), ','));
    parentheses = std::max<std::size_t>(parentheses, std::count(counted.begin(), counted.end(), '('));
  }
  return {commas + 10, parentheses + 10};
}

// "(" and ")" counted from the line's second character on.
bool parentheses_balanced(std::string_view line) {
  std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
  return std::count(counted.begin(), counted.end(), '(') ==
         std::count(counted.begin(), counted.end(), ')');
}

std::string_view top_class(const BlockStacks& stacks) {
  return stacks.class_stack.empty() ? std::string_view() : std::string_view(stacks.class_stack.back());
}

std::string_view top_keyword(const BlockStacks& stacks) {
  return stacks.keyword_stack.empty() ? std::string_view()
                                      : std::string_view(stacks.keyword_stack.back().keyword);
}

void append_counted(std::string& key, std::string_view text) {
  key += decimal(static_cast<long long>(text.size()));
  key += ':';
  key += text;
}

// Everything a match depends on: the tokens of every row and the tops of the
// two stacks.
std::string window_key(const TokenWindow& window, const BlockStacks& stacks) {
  std::string key;
  for (const TokenRow& row : window) {
    key += '|';
    for (const std::string& token : row.tokens) append_counted(key, token);
  }
  key += '#';
  append_counted(key, top_class(stacks));
  append_counted(key, top_keyword(stacks));
  return key;
}

class MacroPass {
 public:
  MacroPass(FileSession& session, const RuleTable& table)
      : session_(session),
        table_(table),
        classes_(session.settings),
        index_(table),
        window_rows_(effective_window_rows(table)) {}

  WorkText run(const WorkText& work_text) {
    remember_goto_lines(work_text);
    PassBounds bounds = measure_pass_bounds(work_text.text);
    WorkText text = work_text;
    for (std::size_t pass = 1; pass < bounds.comma_bound; ++pass) {
      text = run_pass(text, {true, static_cast<int>(pass)});
      session_.console.write(".");
    }
    session_.console.write("\n");
    for (std::size_t pass = 0; pass < bounds.parenthesis_bound; ++pass) {
      text = run_pass(text, {false, static_cast<int>(pass)});
      session_.console.write(".");
    }
    session_.console.write("\n");
    return final_copy(text);
  }

 private:
  // Rows the window needs: no rule looks further than its pattern lines.
  static std::size_t effective_window_rows(const RuleTable& table) {
    std::size_t longest = 1;
    const std::size_t usable = usable_rule_count(table);
    for (std::size_t position = 0; position < usable; ++position)
      longest = std::max(longest, table.rules[position].pattern_lines.size());
    return std::max<std::size_t>(1, std::min(table.pattern_height, longest));
  }

  // A label definition: label head, letters and digits, label end (which holds
  // the line break; the last line of the text may lack it).
  bool is_label_line(std::string_view line) const {
    const std::string& head = session_.settings.label_head_text;
    const std::string& end = session_.settings.label_end_text;
    if (head.empty() || end.empty() || end == "\n") return false;
    std::string_view text = after_white(line, line.size());
    if (!text.starts_with(head)) return false;
    std::size_t i = head.size();
    while (i < text.size() && is_alnum(text[i])) ++i;
    std::string_view rest = text.substr(i);
    return rest == end || (!rest.ends_with('\n') && rest == without_newline(end));
  }

  // A line that can stand in a window below its first row.
  bool can_join_window(std::string_view line) const {
    return !is_blank(line) && !is_label_line(line) && parentheses_balanced(line);
  }

  struct Outcome {
    Emission emission;
    bool matched = false;
    std::size_t rule = 0;
  };

  // Every line written for a window (the emitted lines, or the copied line and
  // the report after it) comes from the window's first row.
  WorkText run_pass(const WorkText& input, RowOffer offer) {
    stacks_.clear();
    std::string out;
    out.reserve(input.text.size());
    OriginRecorder origins(out);
    WorkTextReader reader(input);
    std::string_view line;
    LineOrigin origin;
    while (reader.next(line, origin)) {
      translate_line(reader, line, origin, offer, out);
      origins.lines_from(origin);
    }
    return origins.finish(std::move(out));
  }

  // Writes what one line becomes; a rule that matches a window of several rows
  // takes the rows after the line from `reader` too.
  void translate_line(WorkTextReader& reader, std::string_view line, LineOrigin origin,
                      RowOffer offer, std::string& out) {
    bool keyword_pass = !offer.first_phase && offer.pass == 0;
    if (is_blank(line)) return;  // blank lines do not reach the output
    if (is_label_line(line)) {
      out += line;
      return;
    }
    if (!parentheses_balanced(line)) {
      // Not offered to the rules, but kept: no source line is ever dropped.
      if (keyword_pass) {
        JumpFields scratch = running_jump_;
        report_malformed_marker(tokenize_line(line, offer, classes_, scratch), line, origin);
      }
      out += line;
      return;
    }

    // Rows are read with a copy of the jump fields; the fields advance only
    // over the rows this window settles, so that they follow the file order.
    JumpFields jump = running_jump_;
    TokenWindow window;
    std::vector<JumpFields> jump_after;
    std::vector<std::pair<std::string_view, LineOrigin>> rows{{line, origin}};
    window.push_back(tokenize_line(line, offer, classes_, jump));
    jump_after.push_back(jump);
    if (keyword_pass) update_class_stack(window[0], stacks_);
    WorkTextReader peek = reader;
    std::string_view next;
    LineOrigin next_origin;
    while (window.size() < window_rows_ && peek.next(next, next_origin) && can_join_window(next)) {
      window.push_back(tokenize_line(next, offer, classes_, jump));
      jump_after.push_back(jump);
      rows.emplace_back(next, next_origin);
    }

    Outcome outcome = translate(window, keyword_pass);
    std::size_t settled =
        outcome.emission.outcome == EmitOutcome::written ? outcome.emission.consumed : 1;
    running_jump_ = jump_after[settled - 1];
    if (keyword_pass)
      for (std::size_t r = 0; r < settled; ++r)
        report_malformed_marker(window[r], rows[r].first, rows[r].second);

    if (outcome.emission.outcome == EmitOutcome::written) {
      out += outcome.emission.text;
      if (out.size() > session_.work_limit) stop_growth(outcome.rule);
      for (std::size_t skip = 1; skip < settled; ++skip) reader.next(next);
      return;
    }
    out += line;
    if (outcome.matched && outcome.emission.outcome == EmitOutcome::rule_error)
      report_rule_error(outcome.rule, outcome.emission.missing_placeholder, out);
  }

  Outcome translate(const TokenWindow& window, bool keyword_pass) {
    Outcome outcome;
    bool pushed = keyword_pass && window[0].offers_tokens() &&
                  scan_keyword_pairs(window[0].tokens, classes_, stacks_, false);
    std::optional<Match> match = find_match(window);
    if (match) {
      outcome.matched = true;
      outcome.rule = match->rule;
      EmitContext context{table_, classes_, stacks_, session_.settings.label_head_text, keyword_pass};
      outcome.emission = emit_match(*match, window, context);
    }
    if (!keyword_pass) return outcome;

    bool written = outcome.emission.outcome == EmitOutcome::written;
    bool wrote_keyword = written && outcome.emission.wrote_keyword;
    if (!pushed && !wrote_keyword && window[0].offers_tokens())
      scan_keyword_pairs(window[0].tokens, classes_, stacks_, true);
    if (written && !wrote_keyword && table_.pattern_height > 1) {
      // With windows of several rows the emitted lines are read again for the
      // keywords they open.
      LineReader emitted(outcome.emission.text);
      std::string_view line;
      while (emitted.next(line)) {
        JumpFields scratch = running_jump_;
        TokenRow row = tokenize_line(line, {false, 0}, classes_, scratch);
        if (row.offers_tokens()) scan_keyword_pairs(row.tokens, classes_, stacks_, true);
      }
    }
    return outcome;
  }

  // A window that no rule matched is not tried again when a later pass offers
  // the same tokens under the same stack tops.
  std::optional<Match> find_match(const TokenWindow& window) {
    if (!window[0].offers_tokens()) return std::nullopt;
    std::string key = window_key(window, stacks_);
    if (unmatched_.contains(key)) return std::nullopt;
    MatchContext context{table_, classes_, stacks_, &index_};
    std::optional<Match> match = match_window(window, context);
    if (!match) unmatched_.insert(std::move(key));
    return match;
  }

  // A rule whose replacement the rules rewrite again and again (it matches its
  // own output) would fill the memory: the file stops, naming the rule.
  [[noreturn]] void stop_growth(std::size_t rule) {
    session_.console.write("\n");  // ends the line of progress dots
    const std::size_t line = table_.rules[rule].config_line;
    stop_file(session_,
              at_config_line(session_, line,
                             "the rule rewrites its own output past the work limit"),
              Message::work_limit_rule, decimal(static_cast<long long>(line)));
  }

  void report_malformed_marker(const TokenRow& row, std::string_view line, LineOrigin origin) {
    if (row.marker != MarkerState::malformed) return;
    report(session_, Severity::error,
           at_line(session_, origin, "the jump marker of " + quoted(line) + " cannot be converted"),
           Message::jump_conversion_failed);
    report_more(session_, Message::jump_conversion_error);
  }

  // A rule whose replacement names a placeholder that its patterns do not bind
  // is reported once per file, right after the line it failed to translate.
  void report_rule_error(std::size_t rule, std::string_view placeholder, std::string& out) {
    if (!reported_rules_.insert(rule).second) return;
    report(session_, Severity::error,
           at_config_line(session_, table_.rules[rule].config_line,
                          "the rule writes " + utf8_from_cp932(placeholder) +
                              ", which its pattern does not give"),
           Message::macro_definition_wrong, {}, &out);
    report_more(session_, Message::placeholder_missing, placeholder, &out);
  }

  // A goto line that reaches the end unchanged was translated by no rule. That
  // is a mistake only when the section has goto rules: without any, goto is
  // taken to be the assembler's own instruction.
  void remember_goto_lines(const WorkText& text) {
    const std::size_t usable = usable_rule_count(table_);
    bool has_goto_rule = false;
    for (std::size_t position = 0; position < usable; ++position) {
      const auto& pattern = table_.rules[position].pattern_lines;
      has_goto_rule = has_goto_rule || (!pattern.empty() && !pattern[0].empty() && pattern[0][0] == "goto");
    }
    if (!has_goto_rule) return;
    WorkTextReader reader(text);
    std::string_view line;
    LineOrigin origin;
    while (reader.next(line, origin)) {
      const std::string_view start = after_white(line, line.size());
      if (start.starts_with("goto ") || start.starts_with("goto\t")) goto_lines_.insert(goto_key(line, origin));
    }
  }

  static std::string goto_key(std::string_view line, LineOrigin origin) {
    return decimal(origin.file) + ":" + decimal(origin.line) + ":" + std::string(line);
  }

  // What a line left untranslated says on standard error. The jump marker is the
  // converter's own: the line is shown without it. A continue outside any loop
  // carries the marker of no label.
  static std::string untranslated(std::string_view line) {
    const std::size_t marker = line.find(kJumpMarkerOpen);
    if (marker != std::string_view::npos) {
      const MarkerReading reading = read_jump_marker(line.substr(marker));
      if (begins_with(after_white(line, line.size()), "continue") && reading.field_count == 2 &&
          reading.fields[0] == 0)
        return quoted(line.substr(0, marker)) + " stands outside any loop";
    }
    return "no rule translates " + quoted(line.substr(0, marker));
  }

  WorkText final_copy(const WorkText& text) {
    std::string out;
    OriginRecorder origins(out);
    long long number = session_.line_numbering_start;
    WorkTextReader reader(text);
    std::string_view line;
    LineOrigin origin;
    while (reader.next(line, origin)) {
      if (session_.line_numbering_start != 0) {
        out += decimal(number) + " ";
        number += 10;
      }
      out += line;
      if (holds_well_formed_marker(line) || goto_lines_.contains(goto_key(line, origin)))
        report(session_, Severity::error, at_line(session_, origin, untranslated(line)),
               Message::macro_not_defined, {}, &out);
      origins.lines_from(origin);
    }
    return origins.finish(std::move(out));
  }

  FileSession& session_;
  const RuleTable& table_;
  const SectionSettings& classes_;
  RuleIndex index_;
  std::size_t window_rows_;
  BlockStacks stacks_;
  JumpFields running_jump_;
  std::unordered_set<std::string> unmatched_;
  std::unordered_set<std::size_t> reported_rules_;
  std::unordered_set<std::string> goto_lines_;  // goto lines of the lowered text (goto_key)
};

}  // namespace

WorkText run_macro_pass(FileSession& session, const WorkText& work_text, const RuleTable& table) {
  return MacroPass(session, table).run(work_text);
}

std::optional<WorkText> macro_pass(FileSession& session, const WorkText& lowered) {
  RuleTable table;
  try {
    std::optional<RuleCapacity> capacity = count_rules(session);
    if (!capacity) return std::nullopt;
    check_angle_brackets(session, lowered);
    WorkText work_text = without_directive_lines(session, lowered);
    load_rules(session, *capacity, table);
    return run_macro_pass(session, work_text, table);
  } catch (const FatalStop& stop) {
    // A stop leaves the output file as the control pass wrote it.
    if (stop.left_file) throw;
    throw FatalStop(LeftFile{session.output_path, lowered.text});
  }
}

}  // namespace vonx
