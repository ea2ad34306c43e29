#include "translation/pass_schedule.hpp"

#include <algorithm>
#include <numeric>

#include "common/jump_marker.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

std::string_view content_of(std::string_view line) {
  return line.substr(0, std::min(line.find('\n'), line.size()));
}

// "(" and ")" counted from the line's second character on.
bool parentheses_balanced(std::string_view line) {
  std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
  return count_byte(counted, '(') == count_byte(counted, ')');
}

}  // namespace

void PassNumbers::measure(std::string_view line) {
  std::string_view counted = line.substr(std::min<std::size_t>(1, line.size()));
  comma_bound = std::max(comma_bound, static_cast<std::uint32_t>(count_byte(counted, ',') + 10));
  parenthesis_bound =
      std::max(parenthesis_bound, static_cast<std::uint32_t>(count_byte(counted, '(') + 10));
}

PassSchedule::PassSchedule(PassNumbers numbers, const SectionSettings& settings,
                           bool matching_reads_stacks)
    : numbers_(numbers),
      settings_(settings),
      label_head_(settings.label_head_text),
      label_end_(settings.label_end_text),
      matching_reads_stacks_(matching_reads_stacks) {
  for (const std::string& word : settings.space_words)
    space_word_with_white_ =
        space_word_with_white_ ||
        std::any_of(word.begin(), word.end(), [](char c) { return is_white(c); });
}

// A label definition: label head, letters and digits, label end (which holds
// the line break; the last line of the text may lack it).
bool PassSchedule::is_label_line(std::string_view line) const {
  if (label_head_.empty() || label_end_.empty() || label_end_ == "\n") return false;
  std::string_view text = after_white(line, line.size());
  if (!text.starts_with(label_head_)) return false;
  std::size_t i = label_head_.size();
  while (i < text.size() && is_alnum(text[i])) ++i;
  std::string_view rest = text.substr(i);
  return rest == label_end_ || (!rest.ends_with('\n') && rest == without_newline(label_end_));
}

std::uint8_t PassSchedule::traits(std::string_view line) const {
  if (is_blank(line) || is_label_line(line) || !parentheses_balanced(line)) return 0;
  return line_traits::statement | marker_traits(content_of(line));
}

// A call pass reads a line's jump marker where a token would begin. When blanks
// stand before the marker and nothing after it could carry a token past it (no
// quote, no "(" where a row could start, no separator word holding a blank),
// every call pass reads it alike, from wherever its row starts.
std::uint8_t PassSchedule::marker_traits(std::string_view content) const {
  const std::size_t at = content.find(kJumpMarkerOpen);
  if (at == std::string_view::npos) return 0;
  const std::string_view after = content.substr(at);
  if ((at != 0 && !is_white(content[at - 1])) || space_word_with_white_ ||
      after.find_first_of("(\"'") != std::string_view::npos)
    return line_traits::marker_by_offer;
  const MarkerReading reading = read_jump_marker(after);
  return reading.well_formed && reading.field_count >= 4 ? line_traits::four_field_marker : 0;
}

std::uint32_t PassSchedule::first_visit(std::string_view line, std::uint8_t traits,
                                        std::uint32_t pass) const {
  const std::uint32_t keyword = numbers_.keyword_pass();
  if (is_blank(line)) return pass + 1 <= numbers_.last() ? pass + 1 : kNoVisit;
  if (!(traits & line_traits::statement)) {
    // A line with unequal "(" and ")" is offered to no rule; the keyword pass
    // still reports a malformed jump marker on it.
    const bool reported = pass < keyword && !is_label_line(line) &&
                          line.find(kJumpMarkerOpen) != std::string_view::npos;
    return reported ? keyword : kNoVisit;
  }
  if (pass < keyword) return next_operand_pass(line, pass);
  return pass + 1 <= numbers_.last() ? pass + 1 : kNoVisit;
}

PassSchedule::Next PassSchedule::after_unchanged(std::string_view line, const StoredLine& stored,
                                                 std::uint32_t pass,
                                                 const Unchanged& unchanged) const {
  if (numbers_.first_phase(pass)) return {next_operand_pass(line, pass), 0};
  const std::uint32_t next = pass + 1 <= numbers_.last() ? pass + 1 : kNoVisit;
  if (stored.traits & line_traits::marker_by_offer) return {next, 0};
  if (pass == numbers_.keyword_pass()) {
    // Matching outside the keyword pass differs from it only in the stacks.
    const bool settled =
        !unchanged.matched && !matching_reads_stacks_ && unchanged.offered_as_in_keyword_pass;
    return {settled ? kNoVisit : next, 0};
  }
  if (unchanged.repeat == Repeat::may_differ) return {next, 0};
  std::uint32_t left = stored.unchanged_left;
  if (left == 0) left = std::min(unchanged.period, kEveryPass);
  if (left == kEveryPass) return {next, static_cast<std::uint8_t>(kEveryPass)};
  --left;
  return {left == 0 ? kNoVisit : next, static_cast<std::uint8_t>(left)};
}

// The first operand pass after `pass` whose operand may offer the rules two
// tokens or more (a single token is never offered); the keyword pass when none.
std::uint32_t PassSchedule::next_operand_pass(std::string_view line, std::uint32_t pass) const {
  std::string_view content = content_of(line);
  content = content.substr(0, std::min(content.find(kJumpMarkerOpen), content.size()));
  std::uint32_t seen = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '(' && content[i] != ',') continue;
    if (++seen <= pass) continue;
    if (seen >= numbers_.keyword_pass()) break;
    std::size_t end = content.find_first_of(",)", i + 1);
    if (end == std::string_view::npos) end = content.size();
    if (operand_offers_tokens(content.substr(i + 1, end - i - 1))) return seen;
  }
  return numbers_.keyword_pass();
}

// False only when the operand is at most one token: tokens end at blanks, at
// "(", at separator words, and around angle-bracketed terms and quotes. Any
// separator word counts, also one that takes in the blanks after the operand's
// last token.
bool PassSchedule::operand_offers_tokens(std::string_view operand) const {
  const std::string_view text = trim_left(operand);
  const std::string_view content = trim_right(text);
  if (content.empty()) return false;
  for (char c : content)
    if (is_white(c) || c == '(' || c == '<' || c == '"' || c == '\'') return true;
  if (settings_.space_words.empty()) return false;
  for (std::size_t k = 0; k < text.size(); ++k)
    if (!space_word_at(settings_, text.substr(k)).empty()) return true;
  return false;
}

std::uint32_t PassSchedule::call_offers(std::string_view line) {
  return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(count_byte(content_of(line), '(')));
}

bool PassSchedule::offered_as_in_keyword_pass(std::string_view line) {
  const std::size_t opens = count_byte(content_of(line), '(');
  if (opens == 0) return true;
  if (opens > 1) return false;
  const RowRange call = offered_range(line, {false, 1});
  return skip_white(line, call.begin, line.size()) == skip_white(line, 0, line.size());
}

}  // namespace vonx
