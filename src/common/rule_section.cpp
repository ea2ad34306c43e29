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

constexpr std::string_view kSizeKeys[] = {"#o=", "#q=", "#l=", "#w=", "#b=", "# ="};

}  // namespace

bool is_settings_line(std::string_view text) {
  static const std::string header = message_text(Message::section_header_line);
  for (std::string_view key : kSizeKeys)
    if (begins_with(text, key)) return true;
  for (std::string_view key : {"#imm=", "#space=", "#keyword=", "#keywordend=", "#user",
                               "#labelhead=", "#labelend=", "#file="})
    if (begins_with(text, key)) return true;
  return begins_with(text, header);
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
  for (std::string_view line : rule_section_lines(config, directive, line_width)) {
    std::string_view text = after_white(line, line_width);
    auto value_of = [&text](std::string_view key) { return text.substr(key.size()); };

    bool size_key = false;
    for (std::string_view key : kSizeKeys) {
      if (!begins_with(text, key)) continue;
      // Size suffixes must not be empty: an empty item is skipped.
      for (std::string& item : list_items(value_of(key), false, false))
        settings.sized_names.push_back({key[1], std::move(item)});
      size_key = true;
      break;
    }
    if (size_key) continue;

    // List keys: entries accumulate over lines in file order. "#space=" skips
    // empty items and knows the "\," escape; the others keep empty items.
    struct ListKey {
      std::string_view key;
      std::vector<std::string>* list;
      bool keep_empty;
      bool comma_escape;
    };
    const ListKey list_keys[] = {
        {"#imm=", &settings.immediate_prefixes, true, false},
        {"#space=", &settings.space_words, false, true},
        {"#keyword=", &settings.keyword_list, true, false},
        {"#keywordend=", &settings.keyword_end_list, true, false},
    };
    bool list_key = false;
    for (const ListKey& k : list_keys) {
      if (!begins_with(text, k.key)) continue;
      for (auto& item : list_items(value_of(k.key), k.keep_empty, k.comma_escape))
        k.list->push_back(std::move(item));
      list_key = true;
      break;
    }
    if (list_key) continue;

    if (begins_with(text, "#user")) {
      // Classes are defined in order: "#user=" first, then "#user1=", "#user2=", ...
      std::size_t next = settings.user_classes.size();
      std::string key = "#user" + (next == 0 ? std::string() : decimal(next)) + "=";
      if (begins_with(text, key) && !without_newline(value_of(key)).empty())
        settings.user_classes.push_back(list_items(value_of(key), true, false));
    } else {
      for (auto [key, target] : {std::pair{"#file=", &settings.output_extension},
                                 std::pair{"#labelhead=", &settings.label_head_text},
                                 std::pair{"#labelend=", &settings.label_end_text}}) {
        std::string_view k(key);
        if (!begins_with(text, k)) continue;
        // An empty value leaves the setting unchanged.
        std::string_view value = without_newline(value_of(k));
        if (!value.empty()) *target = std::string(value);
        break;
      }
    }
  }
  if (!settings.label_end_text.empty()) settings.label_end_text += '\n';
  std::stable_sort(settings.sized_names.begin(), settings.sized_names.end(),
                   [](const SizedName& a, const SizedName& b) { return a.text.size() > b.text.size(); });
  return settings;
}

}  // namespace vonx
