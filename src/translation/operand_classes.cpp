#include "translation/operand_classes.hpp"

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

}  // namespace

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
