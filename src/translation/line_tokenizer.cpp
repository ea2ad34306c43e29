#include "translation/line_tokenizer.hpp"

#include <cstdint>
#include <cstring>

#include "common/jump_marker.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

// How the tokens of a row end (see classify_row).
enum class RowKind { plain, conditional_expression, conditional_call };

bool is_name_char(char c) {
  return is_alnum(c) || c == '_' || c == '$';
}

// No byte of the text starts a two-byte character (none is 0x80 or above). Read
// eight bytes at a time: this runs over a line for each of its calls.
bool is_single_byte_text(std::string_view text) {
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t bytes;
    std::memcpy(&bytes, text.data() + i, 8);
    if ((bytes & 0x8080808080808080ULL) != 0) return false;
  }
  for (; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0x80) != 0) return false;
  return true;
}

// The first phase offers the text after the pass-th "(" or "," of the line up to
// the next "," or ")". Only the text before the jump marker counts: the marker
// is never statement text.
RowRange operand_range(std::string_view line, std::size_t content_end, int pass) {
  std::size_t bound = line.substr(0, content_end).find(kJumpMarkerOpen);
  if (bound == std::string_view::npos) bound = content_end;
  int seen = 0;
  for (std::size_t i = 0; i < bound; ++i) {
    if (line[i] != '(' && line[i] != ',') continue;
    if (++seen < pass) continue;
    std::size_t end = i + 1;
    while (end < bound && line[end] != ',' && line[end] != ')') ++end;
    return {true, i + 1, end};
  }
  return {};
}

// Pass p of the second phase starts the row at the name in front of the p-th "("
// (counting again from the line start when the line has fewer), on the character
// before that name; pass 0, and a line without "(", offer the whole line.
RowRange call_range(std::string_view line, std::size_t content_end, int pass) {
  RowRange range{true, 0, content_end};
  if (pass == 0) return range;
  std::size_t opens = count_byte(line.substr(0, content_end), '(');
  if (opens == 0) return range;
  std::size_t wanted = (static_cast<std::size_t>(pass) - 1) % opens;
  std::size_t paren = 0;
  for (std::size_t i = 0, seen = 0; i < content_end; ++i) {
    if (line[i] != '(') continue;
    if (seen++ == wanted) {
      paren = i;
      break;
    }
  }
  // The run of name characters that ends at the "(", and the character before it;
  // a two-byte character is no name character.
  std::size_t name = 0;
  std::size_t before = 0;
  if (is_single_byte_text(line.substr(0, paren))) {
    // Every byte is a character: the run is found from the "(" back.
    name = paren;
    while (name > 0 && is_name_char(line[name - 1])) --name;
    before = name > 0 ? name - 1 : 0;
  } else {
    for (std::size_t i = 0; i < paren;) {
      std::size_t next = next_character(line, i);
      if (next - i == 2 || !is_name_char(line[i])) {
        before = i;
        name = next;
      }
      i = next;
    }
  }
  range.begin = name == paren ? paren : before;  // no name: the "(" itself
  return range;
}

// A conditional expression has equal, non-zero counts of "?" and ":"; a
// conditional call holds "IIf(" or "If(" (after its first character) followed
// by an even, non-zero number of ",".
RowKind classify_row(std::string_view text) {
  std::size_t questions = count_byte(text, '?');
  if (questions != 0 && questions == count_byte(text, ':')) return RowKind::conditional_expression;
  if (text.size() > 1) {
    std::string_view rest = text.substr(1);
    std::size_t call = rest.find("IIf(");
    if (call == std::string_view::npos) call = rest.find("If(");
    if (call != std::string_view::npos) {
      std::size_t commas = count_byte(rest.substr(call), ',');
      if (commas != 0 && commas % 2 == 0) return RowKind::conditional_call;
    }
  }
  return RowKind::plain;
}

class RowScanner {
 public:
  RowScanner(std::string_view line, const RowRange& range, RowKind kind,
             const SectionSettings& settings)
      : line_(line), end_(range.end), kind_(kind), settings_(settings) {}

  // Position of the end of the next token starting at `pos` (a non-white
  // character), and whether it is an angle-bracketed term.
  std::size_t token_end(std::size_t pos, bool& bracketed) {
    bracketed = false;
    switch (kind_) {
      case RowKind::plain:
        return plain_token_end(pos, bracketed);
      case RowKind::conditional_expression:
        return expression_token_end(pos);
      case RowKind::conditional_call:
        return call_token_end(pos);
    }
    return pos + 1;
  }

 private:
  bool at_line_end(std::size_t i) const { return i >= end_ || line_[i] == '\n'; }

  std::string_view rest(std::size_t i) const { return line_.substr(i, end_ - i); }

  // A quote with its partner later in the row: the position after the partner.
  std::size_t past_quote(std::size_t i) const {
    std::size_t close = rest(i + 1).find(line_[i]);
    return close == std::string_view::npos ? i + 1 : i + 1 + close + 1;
  }

  // The ">" that ends an angle-bracketed term opened at `open`: the first ">"
  // followed (after blanks) by the end of the row, a jump marker, a separator or
  // another "<"; a ">" inside a comparison ("x > 5", "x >= 5") is not one. Without
  // such a ">", the first ">" of the row; without any, the "<" opens nothing.
  // The last scan is remembered: what it found holds for every "<" after its
  // own up to where it stopped, so a row of many "<" is not read once for each.
  std::size_t bracket_close(std::size_t open) {
    constexpr std::size_t npos = std::string_view::npos;
    if (scanned_ && scan_.open < open && open < scan_.stop) {
      if (scan_.close != npos) return scan_.close;
      // No ">" up to the stop ends a term: the first ">" after `open`, if any.
      if (scan_.first != npos && scan_.first <= open) {
        scan_.first = npos;
        for (std::size_t i = open + 1; i < scan_.stop; ++i)
          if (line_[i] == '>') {
            scan_.first = i;
            break;
          }
      }
      scan_.open = open;
      return scan_.first;
    }
    scanned_ = true;
    scan_ = {open, open + 1, npos, npos};
    for (std::size_t& i = scan_.stop; !at_line_end(i); ++i) {
      if (rest(i).starts_with(kJumpMarkerOpen)) break;
      if (line_[i] != '>') continue;
      if (scan_.first == npos) scan_.first = i;
      std::size_t after = i + 1;
      while (!at_line_end(after) && (line_[after] == ' ' || line_[after] == '\t')) ++after;
      char c = at_line_end(after) ? '\n' : line_[after];
      if (at_line_end(after) || rest(after).starts_with(kJumpMarkerOpen) || c == ',' || c == ')' ||
          c == '(' || c == '<' || c == '\r' || !space_word_at(settings_, rest(after)).empty()) {
        scan_.close = i;
        return i;
      }
    }
    return scan_.first;
  }

  std::size_t plain_token_end(std::size_t pos, bool& bracketed) {
    char c = line_[pos];
    if (c == ',' || c == '(' || c == ')') return pos + 1;
    std::string_view word = space_word_at(settings_, rest(pos));
    if (!word.empty()) return pos + word.size();
    if (c == '<' && !at_line_end(pos + 1)) {
      char next = line_[pos + 1];
      if (next != ' ' && next != '\t' && next != '<') {
        std::size_t close = bracket_close(pos);
        if (close != std::string_view::npos) {
          bracketed = true;
          return close + 1;
        }
      }
    }
    std::size_t i = pos;
    while (!at_line_end(i)) {
      char ch = line_[i];
      if (is_white(ch)) break;
      if (i > pos && (ch == ',' || ch == '(' || ch == ')')) break;
      if (i > pos && !space_word_at(settings_, rest(i)).empty()) break;
      i = (ch == '"' || ch == '\'') ? past_quote(i) : next_character(line_, i);
    }
    return i;
  }

  // In a conditional row white space ends a token only after a sized name, and
  // before a jump marker.
  bool white_ends_token(std::size_t pos, std::size_t i) const {
    std::size_t after = i;
    while (!at_line_end(after) && is_white(line_[after])) ++after;
    if (rest(after).starts_with(kJumpMarkerOpen)) return true;
    return sized_name_of(settings_, line_.substr(pos, i - pos)) != nullptr;
  }

  std::size_t trimmed(std::size_t pos, std::size_t i) const {
    while (i > pos && is_white(line_[i - 1])) --i;
    return i;
  }

  // Conditional expression: "?" and ":" outside parentheses end tokens and are
  // tokens of their own.
  std::size_t expression_token_end(std::size_t pos) const {
    if (line_[pos] == '?' || line_[pos] == ':') return pos + 1;
    int depth = 0;
    std::size_t i = pos;
    while (!at_line_end(i)) {
      char ch = line_[i];
      if (depth == 0 && (ch == '?' || ch == ':')) break;
      if (is_white(ch)) {
        if (white_ends_token(pos, i)) break;
        ++i;
        continue;
      }
      if (ch == '(') ++depth;
      if (ch == ')' && depth > 0) --depth;
      i = (ch == '"' || ch == '\'') ? past_quote(i) : i + 1;
    }
    return trimmed(pos, i);
  }

  // Conditional call: the parentheses of the first level and the "," inside them
  // end tokens and are tokens of their own; deeper text stays in its token.
  std::size_t call_token_end(std::size_t pos) {
    char c = line_[pos];
    if (c == '(' && depth_ == 0) {
      depth_ = 1;
      return pos + 1;
    }
    if ((c == ')' && depth_ == 1) || (c == ',' && depth_ == 1)) {
      if (c == ')') depth_ = 0;
      return pos + 1;
    }
    std::size_t i = pos;
    while (!at_line_end(i)) {
      char ch = line_[i];
      if (is_white(ch)) {
        if (white_ends_token(pos, i)) break;
        ++i;
        continue;
      }
      if (ch == '(') {
        if (depth_ == 0) break;
        ++depth_;
      } else if (ch == ')') {
        if (depth_ == 1) break;
        if (depth_ > 1) --depth_;
      } else if (ch == ',' && depth_ == 1) {
        break;
      }
      i = (ch == '"' || ch == '\'') ? past_quote(i) : i + 1;
    }
    return trimmed(pos, i);
  }

  std::string_view line_;
  std::size_t end_;
  RowKind kind_;
  const SectionSettings& settings_;
  // The last bracket scan: from the "<" at `open` up to `stop` (where it ended or
  // found `close`), with the first ">" after `open` it saw.
  struct BracketScan {
    std::size_t open, stop, close, first;
  };
  BracketScan scan_{};
  bool scanned_ = false;
  int depth_ = 0;
};

}  // namespace

RowRange offered_range(std::string_view line, RowOffer offer) {
  std::size_t content_end = line.find('\n');
  if (content_end == std::string_view::npos) content_end = line.size();
  return offer.first_phase ? operand_range(line, content_end, offer.pass)
                           : call_range(line, content_end, offer.pass);
}

void tokenize_line_into(TokenRow& row, std::string_view line, RowOffer offer,
                        const SectionSettings& settings, JumpFields& running) {
  tokenize_line_into(row, line, offer, offered_range(line, offer), settings, running);
}

void tokenize_line_into(TokenRow& row, std::string_view line, RowOffer offer, RowRange range,
                        const SectionSettings& settings, JumpFields& running) {
  row.raw = line;
  row.tokens.clear();
  row.bracketed.clear();
  row.tail = 0;
  row.first_phase = offer.first_phase;
  row.marker = MarkerState::none;
  row.jump = JumpFields{};
  row.marker_fields = 0;
  if (!range.offered) return;
  std::size_t start = skip_white(line, range.begin, line.size());
  row.tail = start;

  std::string_view text = line.substr(start, range.end > start ? range.end - start : 0);
  std::size_t marker_at = text.find(kJumpMarkerOpen);
  RowKind kind = classify_row(text.substr(0, marker_at));
  // A conditional row is left to the second phase.
  if (offer.first_phase && kind != RowKind::plain) return;

  RowScanner scanner(line, range, kind, settings);
  bool reached_end = false;
  std::size_t pos = start;
  while (true) {
    pos = skip_white(line, pos, line.size());
    if (pos >= range.end || line[pos] == '\n') {
      reached_end = true;
      break;
    }
    if (!offer.first_phase && line.substr(pos).starts_with(kJumpMarkerOpen)) {
      MarkerReading reading = read_jump_marker(line.substr(pos));
      if (reading.well_formed) {
        running.first_code = reading.fields[0];
        running.first_number = reading.fields[1];
        if (reading.field_count >= 4) {
          running.second_code = reading.fields[2];
          running.second_number = reading.fields[3];
        }
        running.five_fields = reading.field_count == 5;
        running.next_line = static_cast<int>(reading.fields[4]);
        row.marker = MarkerState::well_formed;
        row.marker_fields = reading.field_count;
        row.jump = running;
        reached_end = true;
      } else {
        row.marker = MarkerState::malformed;
      }
      break;
    }
    bool bracketed = false;
    std::size_t end = scanner.token_end(pos, bracketed);
    if (end <= pos) end = pos + 1;  // never stall on a character no rule takes
    row.tokens.emplace_back(line.substr(pos, end - pos));
    row.bracketed.push_back(bracketed);
    row.tail = end;
    pos = end;
  }

  // A row of fewer than two tokens offers nothing, unless it is a whole
  // statement (its scan reached the line end or the end of a marker). An operand
  // of the first phase is never a whole statement.
  std::size_t count = row.tokens.size();
  if (count == 0 || (count < 2 && (offer.first_phase || !reached_end))) {
    row.tokens.clear();
    row.bracketed.clear();
    return;
  }
  row.tokens.emplace_back("!!!");
}

TokenRow tokenize_line(std::string_view line, RowOffer offer, const SectionSettings& settings,
                       JumpFields& running) {
  TokenRow row;
  tokenize_line_into(row, line, offer, settings, running);
  return row;
}

void update_class_stack(const TokenRow& row, BlockStacks& stacks) {
  std::size_t count = row.token_count();
  for (std::size_t k = 0; k < count; ++k) {
    std::string_view token = row.tokens[k];
    if (token == "Class") {
      if (k + 1 < count) stacks.class_stack.emplace_back(row.tokens[k + 1]);
      return;
    }
    if (!stacks.keyword_stack.empty() && token == stacks.keyword_stack.back().keyword_end &&
        row.tokens[k + 1] == "Class") {
      if (!stacks.class_stack.empty()) stacks.class_stack.pop_back();
      return;
    }
  }
}

}  // namespace vonx
