#include "translation/macro_pass.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/jump_marker.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "translation/emitter.hpp"
#include "translation/line_tokenizer.hpp"
#include "translation/macro_input.hpp"
#include "translation/matcher.hpp"
#include "translation/rule_file.hpp"

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
    commas = std::max(commas, count_byte(counted, ','));
    parentheses = std::max(parentheses, count_byte(counted, '('));
  }
  return {commas + 10, parentheses + 10};
}

// "(" and ")" counted from the line's second character on.
bool parentheses_balanced(std::string_view line) {
  std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
  return count_byte(counted, '(') == count_byte(counted, ')');
}

std::string_view top_class(const BlockStacks& stacks) {
  return stacks.class_stack.empty() ? std::string_view()
                                    : std::string_view(stacks.class_stack.back());
}

std::string_view top_keyword(const BlockStacks& stacks) {
  return stacks.keyword_stack.empty() ? std::string_view()
                                      : std::string_view(stacks.keyword_stack.back().keyword);
}

void append_number(std::string& key, std::size_t n) {
  char bytes[sizeof n];
  std::memcpy(bytes, &n, sizeof n);
  key.append(bytes, sizeof n);
}

void append_sized(std::string& key, std::string_view text) {
  append_number(key, text.size());
  key += text;
}

class MacroPass {
 public:
  MacroPass(FileSession& session, const RuleTable& table)
      : session_(session),
        table_(table),
        classes_(session.settings),
        index_(table),
        window_rows_(effective_window_rows(table)) {}

  WorkText run(WorkText text) {
    remember_goto_lines(text);
    PassBounds bounds = measure_pass_bounds(text.text);
    last_first_phase_pass_ = bounds.comma_bound - 1;
    for (std::size_t pass = 1; pass < bounds.comma_bound; ++pass) {
      run_pass(text, {true, static_cast<int>(pass)}, pass);
      session_.console.write(".");
    }
    session_.console.write("\n");
    for (std::size_t pass = 0; pass < bounds.parenthesis_bound; ++pass) {
      run_pass(text, {false, static_cast<int>(pass)}, bounds.comma_bound + pass);
      session_.console.write(".");
    }
    session_.console.write("\n");
    return final_copy(std::move(text));
  }

 private:
  // Rows the window needs: no rule looks further than its pattern lines, and a
  // rule of more lines than the window's height never matches.
  static std::size_t effective_window_rows(const RuleTable& table) {
    std::size_t longest = 1;
    const std::size_t usable = usable_rule_count(table);
    for (std::size_t position = 0; position < usable; ++position) {
      const std::size_t lines = table.rules[position].pattern_lines.size();
      if (lines <= table.pattern_height) longest = std::max(longest, lines);
    }
    return longest;
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

  // Passes are numbered across both phases (`number`). A line is settled up to
  // a pass number when every pass up to it hands the line on unchanged: label
  // lines always; in the first phase, a line without the pass-th "(" or "," for
  // the rest of the phase; in the second phase, a window that matched nothing
  // and offers the same rows in every later pass (each a line with at most one
  // "("). The one effect such a line can have, its jump marker becoming the
  // running one, is replayed when the line is passed over (MarkerReplay).
  // Pass numbers stay far below these values: a pass is made for each "(" and ","
  // of one line.
  static constexpr std::uint32_t kAlwaysSettled = static_cast<std::uint32_t>(-1);
  // With windows of several rows, a line whose window matched nothing is settled
  // for good once the rows below it that the window reaches are; the pass decides
  // that at its end (settle_windows).
  static constexpr std::uint32_t kSettledWithRowsBelow = kAlwaysSettled - 1;

  struct LineState {
    std::size_t at = 0;               // where the line starts in the text
    std::uint32_t settled_up_to = 0;  // the last pass number that leaves it unchanged
    std::uint8_t marker_fields = 0;   // a settled line's jump marker: 2 or 4 fields
    std::uint16_t reach = 0;          // the rows below that its window reads
  };

  // The jump markers of the settled lines a pass goes over move the running
  // fields on as reading each would: the last marker gives the first pair, the
  // last marker of four fields the second. Only those two lines are read again.
  class MarkerReplay {
   public:
    void pass_over(std::size_t index, const LineState& state) {
      if (state.marker_fields == 0) return;
      last_ = index;
      if (state.marker_fields == 4) last_four_ = index;
    }
    template <typename ReadAgain>
    void replay(ReadAgain read_again) {
      if (last_four_ != kNone && last_four_ != last_) read_again(last_four_);
      if (last_ != kNone) read_again(last_);
      last_ = last_four_ = kNone;
    }

   private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t last_ = kNone;
    std::size_t last_four_ = kNone;
  };

  // Rewrites `text` for one pass. Settled lines are passed over; while every
  // line the pass visits comes out as it was, the text stays where it is and only
  // the lines' states change. From the first line that changes on, the pass
  // writes a new text, copying runs of settled lines as they stand.
  void run_pass(WorkText& text, RowOffer offer, std::size_t number) {
    stacks_.clear();
    const std::size_t count = states_.size();
    const WorkText& input = text;
    WorkTextReader reader(input);
    std::string_view line;
    LineOrigin origin;
    std::string piece;
    MarkerReplay markers;
    const auto read_again = [&](std::size_t index) {
      const std::size_t at = states_[index].at;
      const std::size_t end = index + 1 < count ? states_[index + 1].at : input.text.size();
      read_marker_again(std::string_view(input.text).substr(at, end - at), offer);
    };
    std::size_t changed = 0;  // the first visited line that did not come out as it was
    if (count != 0) {
      for (std::size_t index = 0;; ++index) {
        for (; index < count && states_[index].settled_up_to >= number; ++index)
          markers.pass_over(index, states_[index]);
        markers.replay(read_again);
        if (index == count) {
          settle_windows(states_, nullptr);
          return;
        }
        reader.seek(states_[index].at, index);
        reader.next(line, origin);
        piece.clear();
        line_settled_up_to_ = 0;
        line_marker_fields_ = 0;
        line_reach_ = 0;
        written_before_ = states_[index].at;
        translate_line(reader, line, origin, offer, piece);
        written_before_ = 0;
        if (piece == line && reader.line_index() == index + 1) {
          states_[index].settled_up_to = line_settled_up_to_;
          states_[index].marker_fields = line_marker_fields_;
          states_[index].reach = line_reach_;
          continue;
        }
        changed = index;
        break;
      }
    }
    // The text of the pass before last lends its storage (its pages already
    // mapped) to this pass's output.
    std::string out = std::move(spare_text_);
    out.clear();
    out.reserve(input.text.size());
    OriginRecorder origins(out);
    std::vector<LineState> states_out;
    states_out.reserve(count);
    // Where each line of the input stands in the output when it came through as
    // it was, for settle_windows.
    std::vector<std::size_t> kept;
    if (window_rows_ > 1) {
      kept.assign(count, kNotKept);
      for (std::size_t i = 0; i < changed; ++i) kept[i] = i;
    }
    // The lines after a line that was written: its first line keeps its state
    // when the line came out as it was, and each line it wrote starts afresh.
    const auto record_written = [&](std::size_t index, std::size_t before, std::size_t length,
                                    bool at_line_start) {
      origins.lines_from(origin);
      if (line_settled_up_to_ != 0 && at_line_start && out.size() - before == length) {
        if (!kept.empty()) kept[index] = states_out.size();
        states_out.push_back({before, line_settled_up_to_, line_marker_fields_, line_reach_});
        return;
      }
      for_each_line_start(out, before, [&](std::size_t pos) { states_out.push_back({pos}); });
    };
    if (count != 0) {
      // The visited line that changed: the lines before it as they stand, then
      // what it became.
      const std::size_t at = states_[changed].at;
      out.append(input.text, 0, at);
      origins.lines_copied(input.origins, 0, changed);
      states_out.assign(states_.begin(), states_.begin() + static_cast<std::ptrdiff_t>(changed));
      out += piece;
      record_written(changed, at, line.size(), true);
    }
    while (true) {
      std::size_t index = reader.line_index();
      if (index < count && states_[index].settled_up_to >= number &&
          (out.empty() || out.back() == '\n')) {
        std::size_t end = index;
        while (end < count && states_[end].settled_up_to >= number) ++end;
        const std::size_t from = states_[index].at;
        const std::size_t to = end < count ? states_[end].at : input.text.size();
        for (std::size_t i = index; i < end; ++i) {
          markers.pass_over(i, states_[i]);
          if (!kept.empty()) kept[i] = states_out.size();
          LineState state = states_[i];
          state.at = state.at - from + out.size();
          states_out.push_back(state);
        }
        markers.replay(read_again);
        out.append(input.text, from, to - from);
        origins.lines_copied(input.origins, index, end);
        reader.seek(to, end);
        continue;
      }
      const std::size_t line_index = reader.line_index();
      if (!reader.next(line, origin)) break;
      const std::size_t before = out.size();
      const bool at_line_start = out.empty() || out.back() == '\n';
      line_settled_up_to_ = 0;
      line_marker_fields_ = 0;
      line_reach_ = 0;
      translate_line(reader, line, origin, offer, out);
      record_written(line_index, before, line.size(), at_line_start);
    }
    settle_windows(states_out, &kept);
    WorkText next = origins.finish(std::move(out));
    spare_text_ = std::move(text.text);
    text = std::move(next);
    states_ = std::move(states_out);
  }

  static constexpr std::size_t kNotKept = static_cast<std::size_t>(-1);

  // What a window whose outcome comes again in later passes leaves to its line:
  // the fields of its first row's jump marker that is read (0: none), and how
  // many rows below the first the window reads.
  struct Repeat {
    int marker_fields = 0;
    std::size_t reach = 0;
  };

  // The lines of the pass's input whose window matched nothing (marked
  // kSettledWithRowsBelow) are settled for good when every row below them that
  // their window can reach came through the pass as it was and is settled for
  // good: the window then offers the same rows in every later pass and matches
  // nothing again. The others are not settled. `kept` maps the input's lines to
  // the output's (none: the pass changed no line).
  void settle_windows(std::vector<LineState>& states, const std::vector<std::size_t>* kept) const {
    if (window_rows_ == 1) return;
    const std::size_t count = kept ? kept->size() : states.size();
    std::size_t settled_below = 0;  // input lines right below the current one settled for good
    for (std::size_t i = count; i-- > 0;) {
      const std::size_t at = kept ? (*kept)[i] : i;
      bool settled = false;
      if (at != kNotKept) {
        std::uint32_t& state = states[at].settled_up_to;
        const std::size_t reach = std::min<std::size_t>(states[at].reach, count - 1 - i);
        if (state == kSettledWithRowsBelow) state = settled_below >= reach ? kAlwaysSettled : 0;
        settled = state == kAlwaysSettled;
      }
      settled_below = settled ? settled_below + 1 : 0;
    }
  }

  // Writes what one line becomes; a rule that matches a window of several rows
  // takes the rows after the line from `reader` too.
  void translate_line(WorkTextReader& reader, std::string_view line, LineOrigin origin,
                      RowOffer offer, std::string& out) {
    bool keyword_pass = !offer.first_phase && offer.pass == 0;
    if (is_blank(line)) return;  // blank lines do not reach the output
    if (is_label_line(line)) {
      line_settled_up_to_ = kAlwaysSettled;
      out += line;
      return;
    }
    // A line whose pass offers no operand is handed on as it is, and so are the
    // passes after it in this phase.
    const RowRange first_range = offered_range(line, offer);
    if (offer.first_phase && !first_range.offered) {
      line_settled_up_to_ = static_cast<std::uint32_t>(last_first_phase_pass_);
      out += line;
      return;
    }
    if (!parentheses_balanced(line)) {
      // Not offered to the rules, but kept: no source line is ever dropped.
      if (keyword_pass) {
        JumpFields scratch = running_jump_;
        report_malformed_marker(tokenize_line(line, offer, classes_, scratch), line, origin);
      }
      line_settled_up_to_ =
          offer.first_phase ? static_cast<std::uint32_t>(last_first_phase_pass_) : kAlwaysSettled;
      out += line;
      return;
    }
    const bool memo = !keyword_pass;
    if (memo && settled_before(reader, line, offer, first_range)) {
      copy_unmatched(line, offer, settled_repeat_, out);
      return;
    }

    // Rows are read with a copy of the jump fields; the fields advance only
    // over the rows this window settles, so that they follow the file order.
    JumpFields jump = running_jump_;
    TokenWindow& window = window_;
    RowsKept kept{window_, spare_rows_};
    std::vector<JumpFields>& jump_after = jump_after_;
    jump_after.clear();
    std::vector<std::pair<std::string_view, LineOrigin>>& rows = rows_;
    rows.assign(1, {line, origin});
    const auto add_row = [&](std::string_view text, RowRange range) {
      if (spare_rows_.empty()) {
        window.emplace_back();
      } else {
        window.push_back(std::move(spare_rows_.back()));
        spare_rows_.pop_back();
      }
      tokenize_line_into(window.back(), text, offer, range, classes_, jump);
      jump_after.push_back(jump);
    };
    add_row(line, first_range);
    if (keyword_pass) update_class_stack(window[0], stacks_);
    const bool pushed = keyword_pass && window[0].offers_tokens() &&
                        scan_keyword_pairs(window[0].tokens, classes_, stacks_, false);
    // The rows after the first: as many as a rule whose first line accepts the
    // first row can use.
    const std::size_t wanted =
        window_rows_ == 1
            ? 1
            : rows_wanted(window[0], {table_, classes_, stacks_, &index_}, window_rows_);
    WorkTextReader peek = reader;
    std::string_view next;
    LineOrigin next_origin;
    while (window.size() < wanted && peek.next(next, next_origin) && can_join_window(next)) {
      add_row(next, offered_range(next, offer));
      rows.emplace_back(next, next_origin);
    }

    Outcome outcome = translate(window, keyword_pass, pushed);
    std::size_t settled =
        outcome.emission.outcome == EmitOutcome::written ? outcome.emission.consumed : 1;
    running_jump_ = jump_after[settled - 1];
    if (keyword_pass)
      for (std::size_t r = 0; r < settled; ++r)
        report_malformed_marker(window[r], rows[r].first, rows[r].second);

    if (outcome.emission.outcome == EmitOutcome::written) {
      out += outcome.emission.text;
      if (written_before_ + out.size() > session_.work_limit) stop_growth(outcome.rule);
      for (std::size_t skip = 1; skip < settled; ++skip) reader.next(next);
      return;
    }
    if (memo && !outcome.matched) {
      const Repeat repeat{window[0].marker_fields, wanted - 1};
      copy_unmatched(line, offer, repeat, out);
      // A line settled for good is not offered again: it needs no entry.
      if (line_settled_up_to_ != kAlwaysSettled) unchanged_lines_[window_text_] = repeat;
      return;
    }
    // A match that wrote nothing comes again in every later pass that offers the
    // same rows: a rule error (reported once), or a jump that the rows cannot
    // supply, unless a row's marker of two fields takes its second pair from the
    // running fields, which may differ by then.
    if (memo && (outcome.emission.outcome == EmitOutcome::rule_error ||
                 std::none_of(window.begin(), window.end(),
                              [](const TokenRow& row) { return row.marker_fields == 2; })))
      settle_if_offered_alike(line, offer, {window[0].marker_fields, wanted - 1});
    out += line;
    if (outcome.emission.outcome == EmitOutcome::rule_error)
      report_rule_error(outcome.rule, outcome.emission.missing_placeholder, out);
  }

  // Hands the rows of a window back when the line is done, so that the next
  // window's rows reuse their storage.
  struct RowsKept {
    TokenWindow& window;
    TokenWindow& spare;
    ~RowsKept() {
      for (TokenRow& row : window) spare.push_back(std::move(row));
      window.clear();
    }
  };

  // A window that matched nothing outside the keyword pass matches nothing in
  // the later passes either when they offer the same rows.
  void copy_unmatched(std::string_view line, RowOffer offer, Repeat repeat, std::string& out) {
    settle_if_offered_alike(line, offer, repeat);
    out += line;
  }

  // A window whose outcome (outside the keyword pass) comes again whenever the
  // same rows are offered: in the second phase, a line with at most one "(" is
  // offered alike in every later pass, and is settled for good, once the rows
  // below that its window reads are too. Its jump marker is replayed whenever
  // the line is passed over.
  void settle_if_offered_alike(std::string_view line, RowOffer offer, Repeat repeat) {
    if (offer.first_phase || repeat.reach > std::numeric_limits<std::uint16_t>::max()) return;
    std::string_view content = line.substr(0, line.find('\n'));
    if (count_byte(content, '(') > 1) return;
    line_settled_up_to_ = repeat.reach == 0 ? kAlwaysSettled : kSettledWithRowsBelow;
    line_marker_fields_ = static_cast<std::uint8_t>(repeat.marker_fields);
    line_reach_ = static_cast<std::uint16_t>(repeat.reach);
  }

  // A window settled without tokenizing it still moves the running jump fields
  // on when its first row holds a jump marker that tokenizing reads.
  void read_marker_again(std::string_view line, RowOffer offer) {
    JumpFields jump = running_jump_;
    tokenize_line(line, offer, classes_, jump);
    running_jump_ = jump;
  }

  // Outside the keyword pass a window that matched nothing has one effect
  // besides copying its first line: that line's jump marker becomes the running
  // one. The same rows offered the same way under the same stack tops match
  // nothing again, so such a window is settled by its text alone, without
  // tokenizing it. Builds the window's text into `window_text_` either way.
  // `first_range` is what the pass offers of `line`.
  bool settled_before(const WorkTextReader& reader, std::string_view line, RowOffer offer,
                      RowRange first_range) {
    window_text_.clear();
    window_text_ += offer.first_phase ? '1' : '2';
    append_sized(window_text_, top_class(stacks_));
    append_sized(window_text_, top_keyword(stacks_));
    std::string_view row = line;
    WorkTextReader peek = reader;
    std::size_t rows = 0;
    while (true) {
      // The tokens of a row depend only on the text from the first offered
      // character on: up to the operand's end in the first phase, to the line
      // end (a jump marker included) in the second.
      RowRange range = rows == 0 ? first_range : offered_range(row, offer);
      if (range.offered) {
        std::size_t start = skip_white(row, range.begin, row.size());
        std::size_t end = offer.first_phase ? std::max(start, range.end) : row.size();
        append_sized(window_text_, row.substr(start, end - start));
      } else {
        append_number(window_text_, std::string_view::npos);
      }
      // A row that cannot join the window ends it, as when the window is read.
      if (++rows == window_rows_ || !peek.next(row) || !can_join_window(row)) break;
    }
    auto found = unchanged_lines_.find(window_text_);
    if (found == unchanged_lines_.end()) return false;
    settled_repeat_ = found->second;
    if (found->second.marker_fields != 0) read_marker_again(line, offer);
    return true;
  }

  // Matches the window and writes what the matching rule makes of it. In the
  // keyword pass `pushed` says whether the narrow keyword scan of the first row
  // pushed a pair; without a write, the wide scan may.
  Outcome translate(const TokenWindow& window, bool keyword_pass, bool pushed) {
    Outcome outcome;
    std::optional<Match> match = find_match(window);
    if (match) {
      outcome.matched = true;
      outcome.rule = match->rule;
      EmitContext context{table_, classes_, stacks_, session_.settings.label_head_text,
                          keyword_pass};
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

  std::optional<Match> find_match(const TokenWindow& window) {
    if (!window[0].offers_tokens()) return std::nullopt;
    return match_window(window, {table_, classes_, stacks_, &index_});
  }

  // A rule whose replacement the rules rewrite again and again (it matches its
  // own output) would fill the memory: the file stops, naming the rule.
  [[noreturn]] void stop_growth(std::size_t rule) {
    session_.console.write("\n");  // ends the line of progress dots
    const std::size_t line = table_.rules[rule].config_line;
    stop_file(
        session_,
        at_config_line(session_, line, "the rule rewrites its own output past the work limit"),
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
      has_goto_rule =
          has_goto_rule || (!pattern.empty() && !pattern[0].empty() && pattern[0][0] == "goto");
    }
    if (!has_goto_rule) return;
    WorkTextReader reader(text);
    std::string_view line;
    LineOrigin origin;
    while (reader.next(line, origin)) {
      if (is_goto_line(line)) goto_lines_.insert(goto_key(line, origin));
    }
  }

  static bool is_goto_line(std::string_view line) {
    const std::string_view start = after_white(line, line.size());
    return start.starts_with("goto ") || start.starts_with("goto\t");
  }

  // A line of the lowered text that reached the end untranslated: a jump marker
  // that no rule took, or a goto line that no goto rule translated.
  bool left_untranslated(std::string_view line, LineOrigin origin) const {
    return holds_well_formed_marker(line) || (!goto_lines_.empty() && is_goto_line(line) &&
                                              goto_lines_.contains(goto_key(line, origin)));
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

  // The text the passes left, with line numbers when the source asked for them
  // and each line left untranslated reported after it. Without either it is
  // handed on as it stands.
  WorkText final_copy(WorkText&& text) {
    spare_text_ = std::string();
    if (session_.line_numbering_start == 0) {
      WorkTextReader scan(text);
      std::string_view line;
      LineOrigin origin;
      bool reports = false;
      while (!reports && scan.next(line, origin)) reports = left_untranslated(line, origin);
      if (!reports) return std::move(text);
    }
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
      if (left_untranslated(line, origin))
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
  // Windows, by their text (see settled_before), that matched nothing, with what
  // their line needs when it is settled.
  std::unordered_map<std::string, Repeat> unchanged_lines_;
  std::string window_text_;
  Repeat settled_repeat_;
  // One state for each line of the text that the next pass reads (none before
  // the first pass), and what the current pass found for its current line.
  std::vector<LineState> states_;
  std::uint32_t line_settled_up_to_ = 0;
  std::uint8_t line_marker_fields_ = 0;
  std::uint16_t line_reach_ = 0;
  std::size_t written_before_ = 0;  // bytes of the text before the `out` a line is written into
  std::size_t last_first_phase_pass_ = 0;
  std::string spare_text_;
  // The window of the line being translated and what goes with its rows; rows
  // handed back keep their storage for the next window.
  TokenWindow window_;
  TokenWindow spare_rows_;
  std::vector<JumpFields> jump_after_;
  std::vector<std::pair<std::string_view, LineOrigin>> rows_;
  std::unordered_set<std::size_t> reported_rules_;
  std::unordered_set<std::string> goto_lines_;  // goto lines of the lowered text (goto_key)
};

}  // namespace

WorkText run_macro_pass(FileSession& session, WorkText work_text, const RuleTable& table) {
  return MacroPass(session, table).run(std::move(work_text));
}

std::optional<WorkText> macro_pass(FileSession& session, const WorkText& lowered) {
  RuleTable table;
  // A section that holds no rule stops the run before anything is translated:
  // there is no output to leave, not even the lowered text.
  std::optional<RuleCapacity> capacity = count_rules(session);
  if (!capacity) return std::nullopt;
  try {
    check_angle_brackets(session, lowered);
    WorkText work_text =
        check_scratch_registers(session, without_directive_lines(session, lowered));
    load_rules(session, *capacity, table);
    return run_macro_pass(session, std::move(work_text), table);
  } catch (const FatalStop& stop) {
    // A stop leaves the output file as the control pass wrote it.
    if (stop.left_file) throw;
    throw FatalStop(LeftFile{session.output_path, lowered.text});
  }
}

}  // namespace vonx
