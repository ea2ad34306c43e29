// Which passes of the macro pass a line is visited in. A pass can change a line
// only through the part of it that the pass offers to the rules: the operand
// after the pass's "(" or "," in the first phase, the call around the pass's "("
// in the second. So a line is visited in the operand passes whose operand the
// rules could take, in the keyword pass, and in the call passes until each of
// the rows its window reads has offered every call it has without a change; a
// line that changes starts afresh from what it now holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "translation/line_store.hpp"
#include "translation/line_tokenizer.hpp"
#include "translation/operand_classes.hpp"

namespace vonx {

// The passes numbered across both phases: the operand passes 1 to C - 1, the
// keyword pass C (the first pass of the second phase) and the call passes up to
// C + P - 1, where C and P are the comma and parenthesis bounds.
struct PassNumbers {
  std::uint32_t comma_bound = 10;
  std::uint32_t parenthesis_bound = 10;

  std::uint32_t keyword_pass() const { return comma_bound; }
  std::uint32_t last() const { return comma_bound + parenthesis_bound - 1; }
  bool first_phase(std::uint32_t pass) const { return pass < comma_bound; }
  RowOffer offer(std::uint32_t pass) const {
    return first_phase(pass) ? RowOffer{true, static_cast<int>(pass)}
                             : RowOffer{false, static_cast<int>(pass - comma_bound)};
  }
  // Widens the bounds for one line of the text the passes start from: its ","
  // and "(" from its second character on, plus 10 each.
  void measure(std::string_view line);
};

// How a window that left its line as it was would fare in a later call pass
// that offers its rows alike.
enum class Repeat {
  same,        // it matches nothing again, or matches and writes nothing again
  may_differ,  // the running jump fields may make it write
};

// What a visit that left its line unchanged tells the schedule.
struct Unchanged {
  Repeat repeat = Repeat::same;
  bool matched = false;  // a rule matched (and wrote nothing)
  // The call passes that offer the window's rows every way they can be offered,
  // one after the other (kEveryPass: too many to wait for).
  std::uint32_t period = 1;
  // Every row is offered in each call pass as the keyword pass offers it.
  bool offered_as_in_keyword_pass = false;
};

class PassSchedule {
 public:
  static constexpr std::uint32_t kEveryPass = 255;

  PassSchedule(PassNumbers numbers, const SectionSettings& settings, bool matching_reads_stacks);

  const PassNumbers& numbers() const { return numbers_; }

  bool is_label_line(std::string_view line) const;
  std::uint8_t traits(std::string_view line) const;

  // The first pass after `pass` (0: before the first) that visits a line that
  // enters the text in `pass`.
  std::uint32_t first_visit(std::string_view line, std::uint8_t traits, std::uint32_t pass) const;

  // The next visit of a line the pass `pass` left as it was, and the call passes
  // that must still find it so (StoredLine::unchanged_left).
  struct Next {
    std::uint32_t due = kNoVisit;
    std::uint8_t unchanged_left = 0;
  };
  Next after_unchanged(std::string_view line, const StoredLine& stored, std::uint32_t pass,
                       const Unchanged& unchanged) const;

  // What a call pass offers of a line, in how many ways (its "(" or 1), and
  // whether each offers it as the keyword pass does.
  static std::uint32_t call_offers(std::string_view line);
  static bool offered_as_in_keyword_pass(std::string_view line);

 private:
  std::uint32_t next_operand_pass(std::string_view line, std::uint32_t pass) const;
  bool operand_offers_tokens(std::string_view operand) const;
  std::uint8_t marker_traits(std::string_view content) const;

  PassNumbers numbers_;
  const SectionSettings& settings_;
  std::string_view label_head_;
  std::string_view label_end_;
  bool matching_reads_stacks_;
  bool space_word_with_white_ = false;
};

}  // namespace vonx
