#include "translation/emitter.hpp"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "common/jump_marker.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

constexpr std::string_view kEndOfLine = "!!!";

bool is_jump_placeholder(std::string_view token) {
  return token == "<address>" || token == "<trueaddress>" || token == "<falseaddress>" ||
         token == kTrueOnly || token == kFalseOnly;
}

bool is_block_or_size_placeholder(std::string_view token) {
  return token == "<class>" || token == "<keyword>" || token == "<keywordend>" ||
         token == "<size>" || token == "<size2>";
}

// Where a pattern token first stands in the rule's pattern lines.
struct PatternPlace {
  std::size_t line = 0;
  std::size_t position = 0;
};

using PatternPlaces = std::unordered_map<std::string, PatternPlace>;

// Every pattern token, and for a range placeholder also its short name ("<imm>"
// for "<imm:0..7>") unless the pattern holds that placeholder itself.
PatternPlaces pattern_places(const Rule& rule) {
  PatternPlaces places;
  std::vector<std::pair<std::string, PatternPlace>> short_names;
  for (std::size_t l = 0; l < rule.pattern_lines.size(); ++l)
    for (std::size_t k = 0; k < rule.pattern_lines[l].size(); ++k) {
      const std::string& token = rule.pattern_lines[l][k];
      if (token == kEndOfLine) break;
      places.try_emplace(token, PatternPlace{l, k});
      if (is_range_placeholder(token))
        short_names.push_back({range_short_name(token), PatternPlace{l, k}});
    }
  for (auto& [name, place] : short_names) places.try_emplace(std::move(name), place);
  return places;
}

// A marker of five fields pairs each number with the code before it: the
// first target is the true label and the first "<address>", the second target
// the false label and the second "<address>". A one-branch placeholder needs
// the other label to be the next line.
std::optional<JumpTarget> tightened_target(std::string_view placeholder, const JumpFields& jump,
                                           int address_uses) {
  const JumpTarget first{label_code_of(jump.first_code, 5), static_cast<long>(jump.first_number)};
  const JumpTarget second{label_code_of(jump.second_code, 5),
                          static_cast<long>(jump.second_number)};
  if (placeholder == "<trueaddress>") return first;
  if (placeholder == "<falseaddress>") return second;
  if (placeholder == kTrueOnly) {
    if ((jump.next_line & next_second) != 0) return first;
  } else if (placeholder == kFalseOnly) {
    if ((jump.next_line & next_first) != 0) return second;
  } else if (address_uses == 1) {
    return first;
  } else if (address_uses == 2) {
    return second;
  }
  return std::nullopt;
}

// The label reference of a jump placeholder, or nothing when the marker cannot
// supply it: no marker, a code without a label word, an "<address>" use whose
// code does not belong to that use, or a one-branch placeholder whose other
// label is not the next line.
std::optional<std::string> label_reference(std::string_view placeholder, const JumpFields* jump,
                                           int& address_uses, std::string_view label_head_text) {
  if (jump == nullptr) return std::nullopt;
  if (placeholder == "<address>") ++address_uses;
  if (jump->five_fields) {
    std::optional<JumpTarget> target = tightened_target(placeholder, *jump, address_uses);
    if (!target || target->code == LabelCode::none) return std::nullopt;
    return std::string(label_head_text) + std::string(label_word(target->code)) +
           decimal(target->number);
  }
  const LabelCode first = label_code_of(jump->first_code);
  const LabelCode second = label_code_of(jump->second_code);
  LabelCode code = LabelCode::none;
  if (placeholder == "<trueaddress>") {
    code = first;
  } else if (placeholder == "<falseaddress>") {
    code = second;
  } else if (placeholder == "<address>") {
    if (address_uses == 1 && address_use(first) == AddressUse::first)
      code = first;
    else if (address_uses == 2 && address_use(second) == AddressUse::second)
      code = second;
  }
  if (code == LabelCode::none) return std::nullopt;
  long long number = takes_second_number(code) ? jump->second_number : jump->first_number;
  return std::string(label_head_text) + std::string(label_word(code)) + decimal(number);
}

// Source text of the rows before the first token taken.
std::string_view leading_text(const TokenRow& row) {
  return row.raw.substr(0, row.tokens.empty() ? 0 : row.start(0));
}

// The text of a consumed row that the match did not cover: in the first phase
// everything after the translated operand, in the second phase the uncovered
// tokens (the jump marker belongs to the match).
std::string_view row_tail(const TokenRow& row, std::size_t covered) {
  std::size_t from = covered > 0 ? row.end(covered - 1) : row.start(0);
  if (row.first_phase) return row.raw.substr(from);
  return row.raw.substr(from, row.tail > from ? row.tail - from : 0);
}

bool begins_with_space_word(const SectionSettings& settings, std::string_view token) {
  return !space_word_at(settings, token).empty();
}

// A wildcard's run: the tokens joined by one blank, except next to a separator
// word of "#space=", which takes no blank on either side.
std::string wildcard_text(const TokenRow& row, TokenSpan span, const SectionSettings& settings) {
  std::string text;
  for (std::size_t i = span.first; i < span.last; ++i) {
    if (i > span.first && !begins_with_space_word(settings, row.tokens[i]) &&
        !begins_with_space_word(settings, row.tokens[i - 1]))
      text += ' ';
    text += row.tokens[i];
  }
  return text;
}

// A single bound token; an angle-bracketed term loses its outer brackets.
std::string_view single_token_text(const TokenRow& row, std::size_t index) {
  std::string_view token = row.tokens[index];
  if (row.bracketed[index] && token.size() >= 2) return token.substr(1, token.size() - 2);
  return token;
}

int size_rank(char letter) {
  static constexpr std::string_view kNarrowToWide = "bwlqo";
  std::size_t at = kNarrowToWide.find(letter);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

class Writer {
 public:
  Writer(const Match& match, const TokenWindow& window, EmitContext& context)
      : match_(match),
        window_(window),
        context_(context),
        rule_(context.table.rules[match.rule]),
        places_(pattern_places(rule_)),
        jump_(consumed_jump(window, match.consumed)) {}

  // Resolves every jump placeholder and checks every other placeholder before
  // anything is written, so that a match either writes all its lines or none.
  EmitOutcome prepare(std::string& missing) {
    int address_uses = 0;
    for (const TokenLine& line : rule_.replacement_lines)
      for (const std::string& token : line) {
        if (token == kEndOfLine) break;
        if (is_jump_placeholder(token)) {
          auto reference = label_reference(token, jump_, address_uses, context_.label_head_text);
          if (!reference) return EmitOutcome::abandoned;
          references_.push_back(std::move(*reference));
        } else if (!is_block_or_size_placeholder(token) &&
                   (is_named_placeholder(token) || is_wildcard(token)) &&
                   !places_.contains(token)) {
          missing = token;
          return EmitOutcome::rule_error;
        }
      }
    return EmitOutcome::written;
  }

  std::string write(bool& wrote_keyword) {
    std::size_t lines = rule_.replacement_lines.size();
    std::size_t rows = match_.consumed;
    std::vector<std::string> tails(lines);
    for (std::size_t r = 0; r < rows; ++r) {
      // Each consumed row's uncovered text goes with one line; the last row's
      // with the last line, so that nothing is lost and nothing is doubled.
      std::size_t target = r + 1 == rows ? lines - 1 : std::min(r, lines - 1);
      tails[target] += row_tail(window_[r], match_.covered[r]);
    }
    std::string text;
    for (std::size_t j = 0; j < lines; ++j) {
      std::string line(leading_text(window_[std::min(j, rows - 1)]));
      write_line(j, line, wrote_keyword);
      line += tails[j];
      if (line.empty() || line.back() != '\n') line += '\n';
      text += line;
    }
    return text;
  }

 private:
  void write_line(std::size_t j, std::string& out, bool& wrote_keyword) {
    const TokenLine& line = rule_.replacement_lines[j];
    BlockStacks& stacks = context_.stacks;
    for (std::size_t i = 0; i < line.size() && line[i] != kEndOfLine; ++i) {
      const std::string& token = line[i];
      if (is_jump_placeholder(token)) {
        out += references_[next_reference_++];
      } else if (token == "<class>") {
        if (!stacks.class_stack.empty()) out += stacks.class_stack.back();
      } else if (token == "<keyword>" || token == "<keywordend>") {
        if (!context_.keyword_pass) continue;
        wrote_keyword = true;
        if (stacks.keyword_stack.empty()) continue;
        const KeywordPair& top = stacks.keyword_stack.back();
        out += token == "<keyword>" ? top.keyword : top.keyword_end;
        // "<keywordend> <keyword>" closes the block: the pair is popped.
        std::size_t before = i >= 2 ? i - 2 : 0;
        if (token == "<keyword>" && i >= 1 && line[before] == "<keywordend>")
          stacks.keyword_stack.pop_back();
      } else if (token == "<size>" || token == "<size2>") {
        out += size_letter(j, line, i, token == "<size2>");
      } else if (auto place = places_.find(token); place != places_.end()) {
        out += bound_text(place->second);
      } else {
        out += token;
      }
    }
  }

  std::string bound_text(PatternPlace place) const {
    const TokenRow& row = window_[place.line];
    TokenSpan span = match_.bound[place.line][place.position];
    if (is_wildcard(rule_.pattern_lines[place.line][place.position]))
      return wildcard_text(row, span, context_.settings);
    if (span.first >= span.last) return {};
    return std::string(single_token_text(row, span.first));
  }

  // The size letter of the operands after "<size>" on the replacement line: each
  // placeholder there that stands in the pattern line of the same index (the last
  // pattern line for later replacement lines) is looked up in the sized names.
  std::string size_letter(std::size_t j, const TokenLine& line, std::size_t at, bool widest) const {
    std::size_t pattern_line = std::min(j, rule_.pattern_lines.size() - 1);
    const TokenLine& pattern = rule_.pattern_lines[pattern_line];
    std::optional<char> chosen;
    std::optional<char> unranked;
    for (std::size_t i = at + 1; i < line.size() && line[i] != kEndOfLine; ++i) {
      if (line[i].empty() || line[i][0] != '<') continue;
      auto k = std::find(pattern.begin(), pattern.end(), line[i]);
      if (k == pattern.end() || *k == kEndOfLine) continue;
      TokenSpan span = match_.bound[pattern_line][static_cast<std::size_t>(k - pattern.begin())];
      if (span.first >= span.last) continue;
      const SizedName* name =
          sized_name_of(context_.settings, window_[pattern_line].tokens[span.first]);
      if (name == nullptr) continue;
      int rank = size_rank(name->size_letter);
      if (rank < 0) {
        if (!unranked) unranked = name->size_letter;
      } else if (!chosen || (widest ? rank > size_rank(*chosen) : rank < size_rank(*chosen))) {
        chosen = name->size_letter;
      }
    }
    if (chosen) return std::string(1, *chosen);
    if (unranked) return std::string(1, *unranked);
    return {};
  }

  const Match& match_;
  const TokenWindow& window_;
  EmitContext& context_;
  const Rule& rule_;
  PatternPlaces places_;
  const JumpFields* jump_;
  std::vector<std::string> references_;
  std::size_t next_reference_ = 0;
};

}  // namespace

Emission emit_match(const Match& match, const TokenWindow& window, EmitContext& context) {
  Emission emission;
  Writer writer(match, window, context);
  emission.outcome = writer.prepare(emission.missing_placeholder);
  if (emission.outcome != EmitOutcome::written) return emission;
  emission.text = writer.write(emission.wrote_keyword);
  emission.consumed = match.consumed;
  return emission;
}

}  // namespace vonx
