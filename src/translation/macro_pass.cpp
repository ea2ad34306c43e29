#include "translation/macro_pass.hpp"

#include <algorithm>
#include <numeric>
#include <unordered_set>
#include <utility>

#include "common/jump_marker.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"
#include "translation/emitter.hpp"
#include "translation/final_copy.hpp"
#include "translation/line_store.hpp"
#include "translation/line_tokenizer.hpp"
#include "translation/macro_input.hpp"
#include "translation/matcher.hpp"
#include "translation/pass_schedule.hpp"
#include "translation/rule_file.hpp"

namespace vonx {

namespace {

// Rows the window needs: no rule looks further than its pattern lines, and a
// rule of more lines than the window's height never matches.
std::size_t effective_window_rows(const RuleTable& table) {
  std::size_t longest = 1;
  const std::size_t usable = usable_rule_count(table);
  for (std::size_t position = 0; position < usable; ++position) {
    const std::size_t lines = table.rules[position].pattern_lines.size();
    if (lines <= table.pattern_height) longest = std::max(longest, lines);
  }
  return longest;
}

// Patterns that hold "<class>" or "<keyword>" read the stacks, which only the
// keyword pass fills.
bool matching_reads_stacks(const RuleTable& table) {
  for (const Rule& rule : table.rules)
    for (const TokenLine& line : rule.pattern_lines)
      for (const std::string& token : line)
        if (token == "<class>" || token == "<keyword>") return true;
  return false;
}

// What one visit made of the line due in a pass.
struct Verdict {
  enum class Change { none, replaced, dropped };
  Change change = Change::none;
  std::size_t rows = 1;  // replaced: the due line and the rows below it that `text` replaces
  std::string text;      // replaced: the lines that take their place
  std::size_t rule = 0;  // replaced: the rule that wrote them
  bool written = false;  // replaced by what a rule wrote (not by a report)
  Unchanged unchanged;   // none: how the window would fare again
};

Verdict kept(Unchanged unchanged = {}) {
  Verdict verdict;
  verdict.unchanged = unchanged;
  return verdict;
}

Verdict dropped() {
  Verdict verdict;
  verdict.change = Verdict::Change::dropped;
  return verdict;
}

Verdict replaced(std::size_t rows, std::string text) {
  Verdict verdict;
  verdict.change = Verdict::Change::replaced;
  verdict.rows = rows;
  verdict.text = std::move(text);
  return verdict;
}

class MacroPass {
 public:
  MacroPass(FileSession& session, const RuleTable& table, LineStore& store,
            const PassSchedule& schedule)
      : session_(session),
        table_(table),
        settings_(session.settings),
        index_(table),
        window_rows_(effective_window_rows(table)),
        store_(store),
        schedule_(schedule) {}

  void run() {
    const PassNumbers& numbers = schedule_.numbers();
    for (std::uint32_t pass = 1; pass < numbers.keyword_pass(); ++pass) {
      run_pass(pass);
      session_.console.write(".");
    }
    session_.console.write("\n");
    for (std::uint32_t pass = numbers.keyword_pass(); pass <= numbers.last(); ++pass) {
      run_pass(pass);
      session_.console.write(".");
    }
    session_.console.write("\n");
  }

 private:
  struct Outcome {
    Emission emission;
    bool matched = false;
    std::size_t rule = 0;
  };

  // Visits the lines due in the pass, in the order of the text.
  void run_pass(std::uint32_t pass) {
    stacks_.clear();
    StoreWalk walk(store_, pass);
    while (walk.next_due()) {
      follow_passed_marker(walk, pass);
      apply(walk, translate_line(walk, pass), pass);
    }
    follow_passed_marker(walk, pass);
  }

  // The lines a call pass hands on without a visit read their jump markers as
  // a visit would: the last one of four or five fields among them gives the running
  // fields their second pair. (The first pair that a row's marker sets is its
  // own, so only the second carries from line to line.)
  void follow_passed_marker(StoreWalk& walk, std::uint32_t pass) {
    const std::string_view line = walk.take_passed_four_field_marker();
    if (line.empty() || pass <= schedule_.numbers().keyword_pass()) return;
    const MarkerReading reading = read_jump_marker(line.substr(line.find(kJumpMarkerOpen)));
    running_jump_.second_code = reading.fields[2];
    running_jump_.second_number = reading.fields[3];
  }

  // Writes the verdict into the store and schedules what it leaves.
  void apply(StoreWalk& walk, Verdict&& verdict, std::uint32_t pass) {
    const StoredLine& due = walk.due();
    if (verdict.change == Verdict::Change::none) {
      if (!(due.traits & line_traits::statement)) return walk.keep(kNoVisit, 0);
      const PassSchedule::Next next =
          schedule_.after_unchanged(store_.text(due), due, pass, verdict.unchanged);
      return walk.keep(next.due, next.unchanged_left);
    }
    revisit_windows_above(walk, pass);
    new_lines_.clear();
    LineReader lines(verdict.text);
    std::string_view line;
    while (lines.next(line)) {
      const std::uint8_t traits = schedule_.traits(line);
      new_lines_.push_back({line, due.origin, schedule_.first_visit(line, traits, pass), traits});
    }
    walk.replace(verdict.rows, new_lines_);
    // The work limit bounds the memory the lines take, their bookkeeping
    // included: a rule that multiplies short lines stops as soon as one that
    // lengthens a line does.
    if (verdict.written && store_.footprint() > session_.work_limit) stop_growth(verdict.rule);
  }

  // In the second phase a line whose window reached the changed line offers
  // other rows from the next pass on: it is visited again and counts anew.
  void revisit_windows_above(StoreWalk& walk, std::uint32_t pass) {
    if (window_rows_ == 1 || schedule_.numbers().first_phase(pass)) return;
    const std::uint32_t next = pass + 1 <= schedule_.numbers().last() ? pass + 1 : kNoVisit;
    walk.revisit_above(window_rows_ - 1, [&](StoredLine& line) {
      if (!(line.traits & line_traits::statement)) return false;
      line.due = std::min(line.due, next);
      line.unchanged_left = 0;
      return true;
    });
  }

  Verdict translate_line(StoreWalk& walk, std::uint32_t pass) {
    const StoredLine& due = walk.due();
    const std::string_view line = store_.text(due);
    const RowOffer offer = schedule_.numbers().offer(pass);
    if (is_blank(line)) return dropped();  // blank lines do not reach the output
    if (!(due.traits & line_traits::statement)) {
      // A label, or a line with unequal "(" and ")": not offered to the rules,
      // but kept (no source line is ever dropped).
      if (is_keyword_pass(offer) && !schedule_.is_label_line(line)) {
        JumpFields scratch = running_jump_;
        report_malformed_marker(tokenize_line(line, offer, settings_, scratch), line,
                                store_.origin(due));
      }
      return kept();
    }
    const RowRange first_range = offered_range(line, offer);
    if (offer.first_phase && !first_range.offered) return kept();
    return translate_window(walk, line, first_range, offer);
  }

  static bool is_keyword_pass(RowOffer offer) { return !offer.first_phase && offer.pass == 0; }

  // Reads the window under the due line, matches it and says what becomes of it.
  // Rows are read with a copy of the running jump fields; the fields advance only
  // over the rows this window settles, so that they follow the text's order.
  Verdict translate_window(StoreWalk& walk, std::string_view line, RowRange first_range,
                           RowOffer offer) {
    const bool keyword_pass = is_keyword_pass(offer);
    JumpFields jump = running_jump_;
    RowsKept kept_rows{window_, spare_rows_};
    TokenWindow& window = window_;
    jump_after_.clear();
    rows_.assign(1, &walk.due());
    add_row(line, first_range, offer, jump);
    if (keyword_pass) update_class_stack(window[0], stacks_);
    const bool pushed = keyword_pass && window[0].offers_tokens() &&
                        scan_keyword_pairs(window[0].tokens, settings_, stacks_, false);
    // The rows after the first: as many as a rule whose first line accepts the
    // first row can use.
    const std::size_t wanted =
        window_rows_ == 1
            ? 1
            : rows_wanted(window[0], {table_, settings_, stacks_, &index_}, window_rows_);
    StoreWalk::Below below = walk.below();
    while (window.size() < wanted) {
      const StoredLine* row = below.next();
      if (row == nullptr || !(row->traits & line_traits::statement)) break;
      const std::string_view text = store_.text(*row);
      add_row(text, offered_range(text, offer), offer, jump);
      rows_.push_back(row);
    }

    Outcome outcome = translate(window, keyword_pass, pushed);
    const EmitOutcome emitted = outcome.emission.outcome;
    const std::size_t settled = emitted == EmitOutcome::written ? outcome.emission.consumed : 1;
    running_jump_ = jump_after_[settled - 1];
    if (keyword_pass)
      for (std::size_t r = 0; r < settled; ++r)
        report_malformed_marker(window[r], store_.text(*rows_[r]), store_.origin(*rows_[r]));

    if (emitted == EmitOutcome::written) {
      Verdict verdict = replaced(settled, std::move(outcome.emission.text));
      verdict.rule = outcome.rule;
      verdict.written = true;
      return verdict;
    }
    if (emitted == EmitOutcome::rule_error && !reported_rules_.contains(outcome.rule))
      return reported_rule_error(line, outcome);
    return kept(unchanged_window(window, outcome, offer));
  }

  void add_row(std::string_view text, RowRange range, RowOffer offer, JumpFields& jump) {
    if (spare_rows_.empty()) {
      window_.emplace_back();
    } else {
      window_.push_back(std::move(spare_rows_.back()));
      spare_rows_.pop_back();
    }
    tokenize_line_into(window_.back(), text, offer, range, settings_, jump);
    jump_after_.push_back(jump);
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

  // How a window that left its line as it was fares in later call passes. It
  // matches nothing again, and a match that wrote nothing writes nothing again,
  // when the same rows are offered alike: a rule error (reported once), or a jump
  // that the rows cannot supply, unless a row's marker of two fields takes its
  // second pair from the running fields, which may differ by then.
  Unchanged unchanged_window(const TokenWindow& window, const Outcome& outcome,
                             RowOffer offer) const {
    Unchanged unchanged;
    unchanged.matched = outcome.matched;
    if (outcome.matched && outcome.emission.outcome == EmitOutcome::abandoned &&
        std::any_of(window.begin(), window.end(),
                    [](const TokenRow& row) { return row.marker_fields == 2; }))
      unchanged.repeat = Repeat::may_differ;
    if (offer.first_phase) return unchanged;
    // Each row is offered by the call passes in as many ways as it has "(", and
    // the window in the least common multiple of those. A first row of several
    // "(" may want other rows in other passes: then every pass visits it.
    std::uint32_t period = 1;
    bool as_in_keyword_pass = true;
    for (const TokenRow& row : window) {
      const std::uint32_t offers = PassSchedule::call_offers(row.raw);
      period = std::min<std::uint32_t>(std::lcm(period, offers), PassSchedule::kEveryPass);
      as_in_keyword_pass = as_in_keyword_pass && PassSchedule::offered_as_in_keyword_pass(row.raw);
    }
    if (window_rows_ > 1 && PassSchedule::call_offers(window[0].raw) > 1)
      period = PassSchedule::kEveryPass;
    unchanged.period = period;
    unchanged.offered_as_in_keyword_pass = as_in_keyword_pass;
    return unchanged;
  }

  // Matches the window and writes what the matching rule makes of it. In the
  // keyword pass `pushed` says whether the narrow keyword scan of the first row
  // pushed a pair; without a write, the wide scan may.
  Outcome translate(const TokenWindow& window, bool keyword_pass, bool pushed) {
    Outcome outcome;
    std::optional<Match> match = window[0].offers_tokens()
                                     ? match_window(window, {table_, settings_, stacks_, &index_})
                                     : std::nullopt;
    if (match) {
      outcome.matched = true;
      outcome.rule = match->rule;
      EmitContext context{table_, settings_, stacks_, session_.settings.label_head_text,
                          keyword_pass};
      outcome.emission = emit_match(*match, window, context);
    }
    if (keyword_pass) scan_keywords_after(window, outcome, pushed);
    return outcome;
  }

  // The keyword pass's scans after the trial: the wide scan of the first row
  // when nothing pushed or wrote a keyword, and with windows of several rows the
  // emitted lines read again for the keywords they open.
  void scan_keywords_after(const TokenWindow& window, const Outcome& outcome, bool pushed) {
    const bool written = outcome.emission.outcome == EmitOutcome::written;
    const bool wrote_keyword = written && outcome.emission.wrote_keyword;
    if (!pushed && !wrote_keyword && window[0].offers_tokens())
      scan_keyword_pairs(window[0].tokens, settings_, stacks_, true);
    if (!written || wrote_keyword || table_.pattern_height <= 1) return;
    LineReader emitted(outcome.emission.text);
    std::string_view line;
    while (emitted.next(line)) {
      JumpFields scratch = running_jump_;
      TokenRow row = tokenize_line(line, {false, 0}, settings_, scratch);
      if (row.offers_tokens()) scan_keyword_pairs(row.tokens, settings_, stacks_, true);
    }
  }

  // A rule whose replacement names a placeholder that its patterns do not give
  // is reported once per file, right after the line it failed to translate.
  Verdict reported_rule_error(std::string_view line, const Outcome& outcome) {
    reported_rules_.insert(outcome.rule);
    std::string text(line);
    report(
        session_, Severity::error,
        at_config_line(session_, table_.rules[outcome.rule].config_line,
                       "the rule writes " + utf8_from_cp932(outcome.emission.missing_placeholder) +
                           ", which its pattern does not give"),
        Message::macro_definition_wrong, {}, &text);
    report_more(session_, Message::placeholder_missing, outcome.emission.missing_placeholder,
                &text);
    return replaced(1, std::move(text));
  }

  void report_malformed_marker(const TokenRow& row, std::string_view line, LineOrigin origin) {
    if (row.marker != MarkerState::malformed) return;
    report(session_, Severity::error,
           at_line(session_, origin, "the jump marker of " + quoted(line) + " cannot be converted"),
           Message::jump_conversion_failed);
    report_more(session_, Message::jump_conversion_error);
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

  FileSession& session_;
  const RuleTable& table_;
  const SectionSettings& settings_;
  const RuleIndex index_;
  const std::size_t window_rows_;
  LineStore& store_;
  const PassSchedule& schedule_;
  BlockStacks stacks_;
  JumpFields running_jump_;
  // The window of the line being translated and what goes with its rows; rows
  // handed back keep their storage for the next window.
  TokenWindow window_;
  TokenWindow spare_rows_;
  std::vector<JumpFields> jump_after_;
  std::vector<const StoredLine*> rows_;
  std::vector<NewLine> new_lines_;
  std::unordered_set<std::size_t> reported_rules_;
};

bool is_directive_line(const FileSession& session, std::string_view line) {
  return !session.cpu_directive.empty() &&
         begins_with(after_white(line, session.line_width), session.cpu_directive);
}

// Runs the passes over the lines of `text` (without its CPU directive lines when
// `skip_directive`), which stay where they are until a rule rewrites them.
WorkText translate_text(FileSession& session, const WorkText& text, const RuleTable& table,
                        bool skip_directive) {
  PassNumbers numbers;
  for (auto [line, origin] : lines_of(text))
    if (!skip_directive || !is_directive_line(session, line)) numbers.measure(line);
  const PassSchedule schedule(numbers, session.settings, matching_reads_stacks(table));
  LineStore store(text.text, text.origins);
  GotoLines gotos(table);
  std::uint32_t index = 0;  // of the line in `text`, which its origin has too
  for (auto [line, origin] : lines_of(text)) {
    if (!skip_directive || !is_directive_line(session, line)) {
      const std::uint8_t traits = schedule.traits(line);
      store.add_base_line({line, index, schedule.first_visit(line, traits, 0), traits});
      gotos.note(line, origin);
    }
    ++index;
  }
  gotos.noted_all();
  MacroPass(session, table, store, schedule).run();
  return final_copy(session, store, gotos);
}

}  // namespace

WorkText run_macro_pass(FileSession& session, WorkText work_text, const RuleTable& table) {
  return translate_text(session, work_text, table, false);
}

std::optional<WorkText> macro_pass(FileSession& session, const WorkText& lowered) {
  RuleTable table;
  // A section that holds no rule stops the run before anything is translated:
  // there is no output to leave, not even the lowered text.
  std::optional<RuleCapacity> capacity = count_rules(session);
  if (!capacity) return std::nullopt;
  try {
    check_angle_brackets(session, lowered);
    // The passes read the lowered text where it stands, its directive lines passed
    // over, unless the scratch-register check writes its reports into a copy.
    std::optional<WorkText> checked;
    if (!session.settings.scratch_registers.empty())
      checked = check_scratch_registers(session, without_directive_lines(session, lowered));
    load_rules(session, *capacity, table);
    return checked ? translate_text(session, *checked, table, false)
                   : translate_text(session, lowered, table, true);
  } catch (const FatalStop& stop) {
    // A stop leaves the output file as the control pass wrote it.
    if (stop.left_file) throw;
    throw FatalStop(LeftFile{session.output_path, lowered.text});
  }
}

}  // namespace vonx
