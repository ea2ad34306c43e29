#include "common/rule_section.hpp"

#include <algorithm>

#include "common/line_reader.hpp"
#include "common/messages.hpp"
#include "common/text.hpp"

namespace vonx {

std::vector<std::string_view> rule_section_lines(std::string_view config,
                                                 std::string_view directive,
                                                 std::size_t line_width) {
  std::vector<std::string_view> lines;
  bool inside = false;
  LineReader reader(config);
  std::string_view line;
  while (reader.next(line)) {
    std::string_view text = after_white(line, line_width);
    if (!directive.empty() && begins_with(text, directive)) {
      inside = true;
    } else if (inside && begins_with(text, ".")) {
      inside = false;
    } else if (inside) {
      lines.push_back(line);
    }
  }
  return lines;
}

std::size_t section_line_number(std::string_view config, std::string_view directive,
                                std::size_t line_width) {
  LineReader reader(config);
  std::string_view line;
  for (std::size_t number = 1; reader.next(line); ++number)
    if (!directive.empty() && begins_with(after_white(line, line_width), directive)) return number;
  return 0;
}

namespace {

// How the value of a settings key is read.
enum class KeyRule {
  size_suffixes,  // items name sizes of the key's letter; empty items are skipped
  list,           // items accumulate over lines in file order
  user_class,     // "#user=", then "#user1=", "#user2=", ... each a class of its own
  text,           // the whole value; an empty value leaves the setting unchanged
  line_mark,      // a text value that also says which kind of line marker it is
};

struct SettingsKey {
  std::string_view key;
  KeyRule rule;
  std::vector<std::string> SectionSettings::*list = nullptr;  // KeyRule::list
  bool keep_empty = false;                                    // KeyRule::list
  bool comma_escape = false;  // KeyRule::list: an item beginning with "\," keeps the ","
  std::string SectionSettings::*text = nullptr;  // KeyRule::text, KeyRule::line_mark
  bool counts = false;                           // KeyRule::line_mark: "#linecount="
};

// Every settings key, in the order a line is tested against them. "#user" is a
// prefix: any line beginning with it is a settings line. "#space=" skips empty
// items and knows the "\," escape; the other lists keep empty items.
const SettingsKey kSettingsKeys[] = {
    {"#o=", KeyRule::size_suffixes},
    {"#q=", KeyRule::size_suffixes},
    {"#l=", KeyRule::size_suffixes},
    {"#w=", KeyRule::size_suffixes},
    {"#b=", KeyRule::size_suffixes},
    {"# =", KeyRule::size_suffixes},
    {"#imm=", KeyRule::list, &SectionSettings::immediate_prefixes, true, false},
    {"#space=", KeyRule::list, &SectionSettings::space_words, false, true},
    {"#keyword=", KeyRule::list, &SectionSettings::keyword_list, true, false},
    {"#keywordend=", KeyRule::list, &SectionSettings::keyword_end_list, true, false},
    {"#user", KeyRule::user_class},
    {"#scratch=", KeyRule::list, &SectionSettings::scratch_registers, false, false},
    {"#file=", KeyRule::text, nullptr, false, false, &SectionSettings::output_extension},
    {"#labelhead=", KeyRule::text, nullptr, false, false, &SectionSettings::label_head_text},
    {"#labelend=", KeyRule::text, nullptr, false, false, &SectionSettings::label_end_text},
    {"#linemark=", KeyRule::line_mark, nullptr, false, false, &SectionSettings::line_mark_text},
    {"#linecount=", KeyRule::line_mark, nullptr, false, false, &SectionSettings::line_mark_text,
     true},
    {"#linefile=", KeyRule::text, nullptr, false, false, &SectionSettings::line_file_text},
};

const SettingsKey* settings_key_of(std::string_view text) {
  for (const SettingsKey& key : kSettingsKeys)
    if (begins_with(text, key.key)) return &key;
  return nullptr;
}

// Names that the placeholders of the system already use cannot name a word class.
bool is_reserved_class_name(std::string_view name) {
  static constexpr std::string_view kReserved[] = {
      "imm",        "user",    "size",        "class",        "keyword",
      "keywordend", "address", "trueaddress", "falseaddress",
  };
  for (std::string_view reserved : kReserved)
    if (name == reserved) return true;
  return false;
}

// "#user" followed by blanks, a name of letters and "_", "=" and the words: the
// words add to the class of that name. Any other form defines nothing (false).
bool read_word_class(SectionSettings& settings, std::string_view rest) {
  std::size_t at = 0;
  while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t')) ++at;
  const std::size_t name_start = at;
  while (at < rest.size() && (is_alpha(rest[at]) || rest[at] == '_')) ++at;
  std::string_view name = rest.substr(name_start, at - name_start);
  if (name.empty() || at >= rest.size() || rest[at] != '=' || is_reserved_class_name(name))
    return false;
  std::vector<std::string> words = list_items(rest.substr(at + 1), false, false);
  for (WordClass& word_class : settings.word_classes)
    if (word_class.name == name) {
      word_class.words.insert(word_class.words.end(), words.begin(), words.end());
      return true;
    }
  settings.word_classes.push_back({std::string(name), std::move(words)});
  return true;
}

// Reads one settings line (after its leading white space) that begins with `key`;
// false for a line of a word class that defines none.
bool read_setting(SectionSettings& settings, const SettingsKey& key, std::string_view text) {
  const std::string_view value = text.substr(key.key.size());
  switch (key.rule) {
    case KeyRule::size_suffixes:
      // The letter of the key: "#b=" names sizes "b", "# =" the blank size.
      for (std::string& item : list_items(value, false, false))
        settings.sized_names.push_back({key.key[1], std::move(item)});
      break;
    case KeyRule::list:
      for (std::string& item : list_items(value, key.keep_empty, key.comma_escape))
        (settings.*key.list).push_back(std::move(item));
      break;
    case KeyRule::user_class: {
      if (value.starts_with(' ') || value.starts_with('\t'))
        return read_word_class(settings, value);
      // Classes are defined in order: "#user=" first, then "#user1=", "#user2=", ...
      // A line for any other class, or with an empty value, is ignored.
      std::size_t next = settings.user_classes.size();
      std::string user_key = "#user" + (next == 0 ? std::string() : decimal(next)) + "=";
      std::string_view user_value = text.substr(std::min(user_key.size(), text.size()));
      if (begins_with(text, user_key) && !without_newline(user_value).empty())
        settings.user_classes.push_back(list_items(user_value, true, false));
      break;
    }
    case KeyRule::text:
    case KeyRule::line_mark:
      if (without_newline(value).empty()) break;
      settings.*key.text = std::string(without_newline(value));
      if (key.rule == KeyRule::line_mark) settings.line_mark_counts = key.counts;
      break;
  }
  return true;
}

}  // namespace

bool is_settings_line(std::string_view text) {
  static const std::string header = message_text(Message::section_header_line);
  return settings_key_of(text) != nullptr || begins_with(text, header);
}

std::vector<std::string> list_items(std::string_view value, bool keep_empty, bool comma_escape) {
  // A final line without a line end still gives its last item.
  value = without_newline(value);
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (true) {
    std::size_t start = pos;
    std::size_t search = pos;
    if (comma_escape && value.substr(pos, 2) == "\\,") {
      start = pos + 1;  // the backslash is dropped; the escaped "," belongs to the item
      search = pos + 2;
    }
    std::size_t comma = value.find(',', search);
    std::size_t end = comma == std::string_view::npos ? value.size() : comma;
    std::string_view item = value.substr(start, end - start);
    if (!item.empty() || keep_empty) items.emplace_back(item);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return items;
}

SectionSettings read_section_settings(std::string_view config, std::string_view directive,
                                      std::size_t line_width) {
  SectionSettings settings;
  ConfigLineNumbers numbers(config);
  for (std::string_view line : rule_section_lines(config, directive, line_width)) {
    std::string_view text = after_white(line, line_width);
    if (const SettingsKey* key = settings_key_of(text); key && !read_setting(settings, *key, text))
      settings.unread_word_classes.push_back(numbers.of(line));
  }
  if (!settings.label_end_text.empty()) settings.label_end_text += '\n';
  std::stable_sort(
      settings.sized_names.begin(), settings.sized_names.end(),
      [](const SizedName& a, const SizedName& b) { return a.text.size() > b.text.size(); });
  return settings;
}

}  // namespace vonx
