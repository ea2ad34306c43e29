#include "translation/matcher.hpp"

#include <algorithm>
#include <functional>

#include "common/jump_marker.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

constexpr std::string_view kEndOfLine = "!!!";

template <typename Token>
std::string_view token_at(const std::vector<Token>& tokens, std::size_t k) {
  return k < tokens.size() ? std::string_view(tokens[k]) : std::string_view();
}

// A rule with no replacement line, or whose first replacement line is empty,
// is passed over like one that failed.
bool has_replacement(const Rule& rule) {
  return !rule.replacement_lines.empty() && !rule.replacement_lines[0].empty() &&
         !rule.replacement_lines[0][0].empty();
}

// A first pattern token that only an identical source token can meet.
bool is_literal_first_token(std::string_view token) {
  return !token.empty() && token[0] != '<' && !is_number(token);
}

enum class Verdict { accepted, rejected };

// One step of the first walk: pattern token `p` against source token `t`.
Verdict accept_token(std::string_view p, std::string_view t, const MatchContext& context,
                     bool& wildcard_seen) {
  const SectionSettings& settings = context.settings;
  if (const WordClass* words = word_class_of(settings, p))
    return in_word_class(*words, t) ? Verdict::accepted : Verdict::rejected;
  if (is_range_placeholder(p)) return range_accepts(p, t) ? Verdict::accepted : Verdict::rejected;
  bool p_number = is_number(p);
  if ((is_immediate_placeholder(p) || p_number) && (immediate_test(settings, t) || is_number(t))) {
    // A sized name is never an immediate, however it looks; a number in a
    // pattern accepts only that same number.
    if (sized_name_of(settings, t) != nullptr) return Verdict::rejected;
    if (p_number && is_number(t)) return p == t ? Verdict::accepted : Verdict::rejected;
    return p.starts_with("<imm") ? Verdict::accepted : Verdict::rejected;
  }
  if (is_user_placeholder(p) && user_class_test(settings, p, t)) return Verdict::accepted;
  if (!p.empty() && p[0] == '<' && p != "<class>" && p != "<keyword>" && !p.starts_with("<user")) {
    if (is_wildcard(p)) {
      wildcard_seen = true;
      return Verdict::accepted;
    }
    if (is_named_placeholder(p) && !immediate_test(settings, t)) return Verdict::accepted;
  }
  const BlockStacks& stacks = context.stacks;
  if (p == "<class>" && !stacks.class_stack.empty() && t == stacks.class_stack.back())
    return Verdict::accepted;
  if (p == "<keyword>" && !stacks.keyword_stack.empty() && t == stacks.keyword_stack.back().keyword)
    return Verdict::accepted;
  return p == t ? Verdict::accepted : Verdict::rejected;
}

// A token the first walk would accept; a wildcard in the pattern is not met here.
bool token_accepted(std::string_view p, std::string_view t, const MatchContext& context) {
  bool wildcard_seen = false;
  return accept_token(p, t, context, wildcard_seen) == Verdict::accepted;
}

// In the second walk a plain placeholder and "<imm>" take whatever token the
// alignment gives them; every other pattern token (a literal, a number, a class
// placeholder, a range, "<class>", "<keyword>") accepts only what the first
// walk accepts, also after a wildcard.
bool binds_any_token(std::string_view p, const SectionSettings& settings) {
  return is_named_placeholder(p) && !is_user_placeholder(p) && p != "<class>" && p != "<keyword>" &&
         !is_exact_placeholder(settings, p);
}

// The first walk: every pattern line against its row, token by token. After a
// wildcard the rest of a line is accepted; the second walk aligns it.
bool line_accepts(const TokenLine& pattern, const std::vector<std::string_view>& source,
                  const MatchContext& context) {
  bool wildcard_seen = false;
  for (std::size_t k = 0;; ++k) {
    std::string_view p = token_at(pattern, k);
    std::string_view t = token_at(source, k);
    if (p == kEndOfLine && t == kEndOfLine) return true;
    if (t == kEndOfLine || t.empty()) return false;
    if (accept_token(p, t, context, wildcard_seen) == Verdict::accepted) continue;
    return wildcard_seen;
  }
}

bool first_walk(const Rule& rule, const TokenWindow& window, const MatchContext& context) {
  for (std::size_t l = 0; l < rule.pattern_lines.size(); ++l) {
    if (l >= window.size() || !window[l].offers_tokens()) return false;
    if (!line_accepts(rule.pattern_lines[l], window[l].tokens, context)) return false;
  }
  return true;
}

// Equal pattern tokens must meet equal source tokens and different ones
// different source tokens, over all pattern lines of the rule. A word-class or
// range placeholder (`exact`) is held only to the first: two of them, or one and
// another token, may meet the same text ("x0 += x0").
class RepeatCheck {
 public:
  bool holds(std::string_view pattern, std::string_view source, bool exact) {
    if (!exact) return patterns_.number(pattern) == sources_.number(source);
    for (const auto& [placeholder, text] : exact_)
      if (placeholder == pattern) return text == source;
    exact_.emplace_back(pattern, source);
    return true;
  }

 private:
  std::vector<std::pair<std::string_view, std::string_view>> exact_;
  // Numbers texts in the order they are first seen: by a search of the few seen
  // so far, by a table once there are many.
  class Numbering {
   public:
    std::size_t number(std::string_view text) {
      if (by_text_.empty()) {
        for (std::size_t i = 0; i < seen_.size(); ++i)
          if (seen_[i] == text) return i;
        seen_.push_back(text);
        if (seen_.size() > kSearched)
          for (std::size_t i = 0; i < seen_.size(); ++i) by_text_.emplace(seen_[i], i);
        return seen_.size() - 1;
      }
      return by_text_.try_emplace(text, by_text_.size()).first->second;
    }

   private:
    static constexpr std::size_t kSearched = 16;
    std::vector<std::string_view> seen_;
    std::unordered_map<std::string_view, std::size_t> by_text_;
  };

  Numbering patterns_;
  Numbering sources_;
};

std::string_view closing_bracket_of(std::string_view opening) {
  static constexpr std::pair<std::string_view, std::string_view> kPairs[] = {
      {"(", ")"}, {"<", ">"}, {"{", "}"}, {"[", "]"}, {"\x81\x75", "\x81\x76"},  // 「 」
  };
  for (auto [open, close] : kPairs)
    if (opening == open) return close;
  return {};
}

// The second byte of a two-byte character is no bracket.
std::size_t occurrences(std::string_view text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = find_character(text, what); at != std::string_view::npos;
       at = find_character(text, what, at + what.size()))
    ++n;
  return n;
}

// The run a wildcard at pattern position k absorbs from source position `from`:
// up to the first token equal to the pattern token after it, or, when a bracket
// pair surrounds the wildcard in the pattern, up to the closing bracket that
// balances the depth. The end of the line ends it in any case.
std::size_t absorb(const TokenLine& pattern, std::size_t k,
                   const std::vector<std::string_view>& source, std::size_t from) {
  std::string_view next = token_at(pattern, k + 1);
  std::string_view open = k > 0 ? std::string_view(pattern[k - 1]) : std::string_view();
  bool paired = !open.empty() && closing_bracket_of(open) == next && !next.empty();
  long long depth = 1;
  std::size_t i = from;
  for (; i < source.size() && source[i] != kEndOfLine; ++i) {
    std::string_view t = source[i];
    if (!paired) {
      if (t == next) break;
      continue;
    }
    long long after = depth + static_cast<long long>(occurrences(t, open)) -
                      static_cast<long long>(occurrences(t, next));
    if (t == next && after == 0) break;
    depth = after;
  }
  return i;
}

// The second walk: aligns every pattern line with its row, letting wildcards
// absorb runs, applies the repeat check and records the bindings.
std::optional<Match> second_walk(std::size_t position, const Rule& rule, const TokenWindow& window,
                                 const MatchContext& context) {
  Match match;
  match.rule = position;
  match.consumed = rule.pattern_lines.size();
  RepeatCheck repeat;
  for (std::size_t l = 0; l < rule.pattern_lines.size(); ++l) {
    const TokenLine& pattern = rule.pattern_lines[l];
    const std::vector<std::string_view>& source = window[l].tokens;
    std::vector<TokenSpan>& bound = match.bound.emplace_back();
    std::size_t s = 0;  // source position aligned with pattern position k
    for (std::size_t k = 0;; ++k) {
      std::string_view p = token_at(pattern, k);
      std::string_view t = token_at(source, s);
      if (p == kEndOfLine) {
        match.covered.push_back(s);
        break;
      }
      if (t == kEndOfLine || t.empty()) return std::nullopt;
      if (is_wildcard(p)) {
        std::size_t end = absorb(pattern, k, source, s);
        bound.push_back({s, end});
        s = end;
        continue;
      }
      if (!repeat.holds(p, t, is_exact_placeholder(context.settings, p))) return std::nullopt;
      if (!binds_any_token(p, context.settings) && !token_accepted(p, t, context))
        return std::nullopt;
      bound.push_back({s, s + 1});
      ++s;
    }
  }
  return match;
}

// A one-branch rule suits only rows whose marker says that the label it does
// not branch to is the next line.
bool suits_next_line(const Rule& rule, const TokenWindow& window) {
  const int needed = next_line_needed(rule);
  if (needed == 0) return true;
  const JumpFields* jump = consumed_jump(window, rule.pattern_lines.size());
  return jump != nullptr && jump->five_fields && (jump->next_line & needed) == needed;
}

std::optional<Match> try_rule(std::size_t position, const TokenWindow& window,
                              const MatchContext& context) {
  const Rule& rule = context.table.rules[position];
  if (!has_replacement(rule)) return std::nullopt;
  if (!first_walk(rule, window, context)) return std::nullopt;
  if (!suits_next_line(rule, window)) return std::nullopt;
  return second_walk(position, rule, window, context);
}

}  // namespace

int next_line_needed(const Rule& rule) {
  int needed = next_none;
  for (const TokenLine& line : rule.replacement_lines)
    for (const std::string& token : line) {
      if (token == kTrueOnly) needed |= next_second;
      if (token == kFalseOnly) needed |= next_first;
    }
  return needed;
}

std::size_t usable_rule_count(const RuleTable& table) {
  std::size_t n = 0;
  while (n < table.rules.size() && !table.rules[n].pattern_lines.empty() &&
         !table.rules[n].pattern_lines[0].empty() && !table.rules[n].pattern_lines[0][0].empty())
    ++n;
  return n;
}

RuleIndex::RuleIndex(const RuleTable& table) {
  std::size_t count = usable_rule_count(table);
  for (std::size_t position = count; position-- > 0;) {
    const std::string& first = table.rules[position].pattern_lines[0][0];
    if (is_literal_first_token(first))
      by_literal_[first].push_back(position);
    else
      general_.push_back(position);
  }
}

void RuleIndex::candidates(std::string_view first_token, std::vector<std::size_t>& out) const {
  out.clear();
  static const std::vector<std::size_t> kNone;
  auto found = by_literal_.find(first_token);
  const std::vector<std::size_t>& literal = found == by_literal_.end() ? kNone : found->second;
  // Both lists run from the last position down; merge them in that order.
  out.resize(literal.size() + general_.size());
  std::merge(literal.begin(), literal.end(), general_.begin(), general_.end(), out.begin(),
             std::greater<>());
}

std::optional<Match> match_window(const TokenWindow& window, const MatchContext& context) {
  if (window.empty() || !window[0].offers_tokens()) return std::nullopt;
  if (context.index == nullptr) {
    for (std::size_t position = usable_rule_count(context.table); position-- > 0;)
      if (auto match = try_rule(position, window, context)) return match;
    return std::nullopt;
  }
  std::vector<std::size_t> candidates;
  context.index->candidates(window[0].tokens[0], candidates);
  for (std::size_t position : candidates)
    if (auto match = try_rule(position, window, context)) return match;
  return std::nullopt;
}

std::size_t rows_wanted(const TokenRow& row, const MatchContext& context, std::size_t most) {
  if (!row.offers_tokens()) return 1;
  std::vector<std::size_t> positions;
  if (context.index != nullptr) {
    context.index->candidates(row.tokens[0], positions);
  } else {
    for (std::size_t position = usable_rule_count(context.table); position-- > 0;)
      positions.push_back(position);
  }
  std::size_t wanted = 1;
  for (std::size_t position : positions) {
    const Rule& rule = context.table.rules[position];
    if (rule.pattern_lines.size() > wanted && rule.pattern_lines.size() <= most &&
        line_accepts(rule.pattern_lines[0], row.tokens, context))
      wanted = rule.pattern_lines.size();
  }
  return wanted;
}

bool scan_keyword_pairs(const std::vector<std::string_view>& tokens,
                        const SectionSettings& settings, BlockStacks& stacks, bool wide) {
  if (tokens.empty() || tokens[0] == "###") return false;
  if (tokens[0] == "}" && token_at(tokens, 1) != kEndOfLine) return false;
  std::size_t pairs = std::min(settings.keyword_list.size(), settings.keyword_end_list.size());
  for (std::size_t k = 0; k < tokens.size() && !tokens[k].empty() && tokens[k] != kEndOfLine; ++k) {
    std::string_view token = tokens[k];
    std::string_view next = token_at(tokens, k + 1);
    for (std::size_t i = 0; i < pairs; ++i) {
      const std::string& keyword = settings.keyword_list[i];
      const std::string& keyword_end = settings.keyword_end_list[i];
      bool push = wide ? (token == keyword || (token != keyword_end && next == keyword))
                       : (token == keyword_end && next == keyword);
      if (push) {
        stacks.keyword_stack.push_back({keyword, keyword_end});
        return true;
      }
    }
  }
  return false;
}

}  // namespace vonx
