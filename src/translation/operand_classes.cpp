#include "translation/operand_classes.hpp"

#include <optional>

#include "common/text.hpp"

namespace vonx {

namespace {

bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// `head` followed by nothing or by a run of digits, then ">".
bool is_numbered_form(std::string_view token, std::string_view head) {
  if (!token.starts_with(head) || token.size() < head.size() + 1 || token.back() != '>')
    return false;
  for (std::size_t i = head.size(); i + 1 < token.size(); ++i)
    if (!is_digit(token[i])) return false;
  return true;
}

// A whole number written in decimal or, after "0x", in hexadecimal, with an
// optional sign, as a sign and a magnitude (0 is never negative). A number with
// a leading zero is refused: assemblers differ on whether it is octal.
struct Integer {
  bool negative = false;
  unsigned long long magnitude = 0;
};

std::optional<Integer> integer_of(std::string_view text) {
  Integer value;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    value.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    unsigned digit = 0;
    if (is_digit(c))
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && is_hex_digit(c))
      digit = static_cast<unsigned>((c | 0x20) - 'a' + 10);
    else
      return std::nullopt;
    if (value.magnitude > (~0ULL - digit) / base) return std::nullopt;
    value.magnitude = value.magnitude * base + digit;
  }
  if (value.magnitude == 0) value.negative = false;
  return value;
}

bool not_above(const Integer& a, const Integer& b) {
  if (a.negative != b.negative) return a.negative;
  return a.negative ? a.magnitude >= b.magnitude : a.magnitude <= b.magnitude;
}

// The bounds of a range placeholder; a bound left out is nothing. False when
// the token is no range placeholder or a bound is not a number.
bool range_bounds(std::string_view token, std::optional<Integer>& low,
                  std::optional<Integer>& high) {
  if (!is_range_placeholder(token)) return false;
  std::string_view range = token.substr(token.find(':') + 1);
  range.remove_suffix(1);
  std::size_t dots = range.find("..");
  if (dots == std::string_view::npos) return false;
  std::string_view low_text = range.substr(0, dots);
  std::string_view high_text = range.substr(dots + 2);
  low = high = std::nullopt;
  if (!low_text.empty() && !(low = integer_of(low_text))) return false;
  if (!high_text.empty() && !(high = integer_of(high_text))) return false;
  return true;
}

}  // namespace

const WordClass* word_class_of(const SectionSettings& settings, std::string_view placeholder) {
  if (settings.word_classes.empty() || placeholder.size() < 3 || placeholder[0] != '<' ||
      !is_alpha(placeholder[1]) || placeholder.back() != '>')
    return nullptr;
  std::string_view inside = placeholder.substr(1, placeholder.size() - 2);
  std::size_t name_end = inside.size();
  while (name_end > 0 && is_digit(inside[name_end - 1])) --name_end;
  std::string_view name = inside.substr(0, name_end);
  for (const WordClass& word_class : settings.word_classes)
    if (word_class.name == name) return &word_class;
  return nullptr;
}

bool in_word_class(const WordClass& word_class, std::string_view token) {
  for (const std::string& word : word_class.words)
    if (word == token) return true;
  return false;
}

bool is_range_placeholder(std::string_view token) {
  if (!token.starts_with("<imm") || !token.ends_with(">")) return false;
  std::size_t i = 4;
  while (i < token.size() && is_digit(token[i])) ++i;
  return i < token.size() && token[i] == ':';
}

bool range_well_formed(std::string_view placeholder) {
  std::optional<Integer> low, high;
  if (!range_bounds(placeholder, low, high)) return false;
  return !low || !high || not_above(*low, *high);
}

bool range_accepts(std::string_view placeholder, std::string_view token) {
  std::optional<Integer> low, high;
  if (!range_bounds(placeholder, low, high)) return false;
  std::optional<Integer> value = integer_of(token);
  return value && (!low || not_above(*low, *value)) && (!high || not_above(*value, *high));
}

std::string range_short_name(std::string_view placeholder) {
  return std::string(placeholder.substr(0, placeholder.find(':'))) + ">";
}

bool is_exact_placeholder(const SectionSettings& settings, std::string_view token) {
  return is_range_placeholder(token) || word_class_of(settings, token) != nullptr;
}

bool immediate_test(const SectionSettings& settings, std::string_view token) {
  bool prefixed = false;
  for (const std::string& prefix : settings.immediate_prefixes)
    if (!prefix.empty() && token.starts_with(prefix)) {
      prefixed = true;
      break;
    }
  if (!prefixed || token.empty()) return false;
  char first = token[0];
  char second = token.size() > 1 ? token[1] : '\0';
  char last = token.back();
  if (!is_digit(first) && is_digit(second)) return true;
  if (is_digit(last)) return true;
  return (last == '\'' || last == '"') && token.size() > 1 && is_hex_digit(token[token.size() - 2]);
}

bool is_number(std::string_view token) {
  return is_number_token(token);
}

bool user_class_test(const SectionSettings& settings, std::string_view pattern,
                     std::string_view token) {
  if (!pattern.starts_with("<user")) return false;
  for (std::size_t n = 0; n < settings.user_classes.size(); ++n) {
    std::string name =
        "<user" + (n == 0 ? std::string() : decimal(static_cast<long long>(n))) + ">";
    if (!pattern.starts_with(name)) continue;
    for (const std::string& word : settings.user_classes[n])
      if (!word.empty() && token.starts_with(word)) return true;
    return false;
  }
  return false;
}

const SizedName* sized_name_of(const SectionSettings& settings, std::string_view token) {
  for (const SizedName& name : settings.sized_names)
    if (!name.text.empty() && token.starts_with(name.text)) return &name;
  return nullptr;
}

std::string_view space_word_at(const SectionSettings& settings, std::string_view text) {
  // Called at every character of a token: the first byte is tested before the word.
  if (text.empty()) return {};
  for (const std::string& word : settings.space_words)
    if (!word.empty() && word[0] == text[0] && text.starts_with(word)) return word;
  return {};
}

bool is_wildcard(std::string_view token) {
  return is_numbered_form(token, "<...");
}
bool is_immediate_placeholder(std::string_view token) {
  return is_numbered_form(token, "<imm");
}
bool is_user_placeholder(std::string_view token) {
  return is_numbered_form(token, "<user");
}
bool is_named_placeholder(std::string_view token) {
  return token.size() > 1 && token[0] == '<' && is_alpha(token[1]);
}

}  // namespace vonx
