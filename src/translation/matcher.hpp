// Statement matching: which rule of the rule table applies to the rows under the
// cursor, and which source tokens each pattern token stands for.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/text.hpp"
#include "translation/operand_classes.hpp"
#include "translation/rule_table.hpp"
#include "translation/token_window.hpp"

namespace vonx {

// The one-branch jump placeholders of a replacement: "<trueonly>" names the
// true label and "<falseonly>" the false label, like "<trueaddress>" and
// "<falseaddress>", but a rule that writes one of them is a test that branches
// to that label only and falls through to the other. It is used only for a line
// whose five-field marker says the other label is the next line.
constexpr std::string_view kTrueOnly = "<trueonly>";
constexpr std::string_view kFalseOnly = "<falseonly>";

// The NextLine bits a rule's replacement needs: next_second for "<trueonly>",
// next_first for "<falseonly>", 0 for a rule that writes neither.
int next_line_needed(const Rule& rule);

// Source tokens [first, last) of one window row.
struct TokenSpan {
  std::size_t first = 0;
  std::size_t last = 0;
};

struct Match {
  std::size_t rule = 0;      // position in the rule table
  std::size_t consumed = 0;  // source lines the match consumes: the rule's pattern lines
  // bound[l][k]: the source tokens of row l bound to pattern token k of line l
  // (one token, or the run a wildcard absorbed).
  std::vector<std::vector<TokenSpan>> bound;
  // Per consumed row: the tokens the pattern line covered; the rest of the row
  // is kept around the emitted text.
  std::vector<std::size_t> covered;
};

// Positions of the rule table that can take part in matching: the table ends at
// the first rule without a pattern token.
std::size_t usable_rule_count(const RuleTable& table);

// Index of the rules by the first token of their first pattern line. A rule
// whose first token is a literal matches only a row that begins with that very
// token; the others (placeholders, numbers) are candidates for every row. The
// candidates come out in trial order, so the first match is the same as with a
// plain trial of every position.
class RuleIndex {
 public:
  explicit RuleIndex(const RuleTable& table);
  // Positions to try for a row whose first token is `first_token`, last first.
  void candidates(std::string_view first_token, std::vector<std::size_t>& out) const;

 private:
  std::unordered_map<std::string, std::vector<std::size_t>, TextHash, std::equal_to<>> by_literal_;
  std::vector<std::size_t> general_;
};

struct MatchContext {
  const RuleTable& table;
  const SectionSettings& settings;
  const BlockStacks& stacks;
  const RuleIndex* index = nullptr;  // without it every position is tried
};

// Tries the rules from the last position to the first and returns the first
// that matches the window, with its bindings. A one-branch rule whose other
// label is not the next line is passed over.
std::optional<Match> match_window(const TokenWindow& window, const MatchContext& context);

// The rows a window that begins with `row` and holds at most `most` rows can
// use: the pattern lines of the tallest rule that fits and whose first pattern
// line accepts the row, or 1. A rule is never matched by rows beyond its first
// unless its first line accepts the first row, nor by a window lower than it.
std::size_t rows_wanted(const TokenRow& row, const MatchContext& context, std::size_t most);

// Keyword pairs over the tokens of a row. The narrow scan pushes pair i where a
// keyword end is followed by its keyword; the wide one where a keyword stands,
// or follows a token other than its keyword end. Each scan pushes at most once.
bool scan_keyword_pairs(const std::vector<std::string_view>& tokens,
                        const SectionSettings& settings, BlockStacks& stacks, bool wide);

}  // namespace vonx
