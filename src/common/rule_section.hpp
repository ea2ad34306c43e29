// The rule section of config.txt: which lines belong to the selected target, and
// the settings keys in it (operand classes, size suffixes, label decoration,
// output extension and line marker form). Every reader of the section uses these functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vonx {

// The lines inside the rule section of `directive`, in file order, each whole
// (leading white space and line end included). A line beginning with the
// directive opens (or reopens) the section and is not itself returned; inside it,
// a line beginning with "." ends it.
std::vector<std::string_view> rule_section_lines(std::string_view config,
                                                 std::string_view directive,
                                                 std::size_t line_width);

// The 1-based number of the first line of `config` that opens the section of
// `directive`; 0 when none does.
std::size_t section_line_number(std::string_view config, std::string_view directive,
                                std::size_t line_width);

// Numbers lines of config.txt that are views into it, met in file order.
class ConfigLineNumbers {
 public:
  explicit ConfigLineNumbers(std::string_view config) : config_(config) {}
  std::size_t of(std::string_view line) {
    const std::size_t offset = static_cast<std::size_t>(line.data() - config_.data());
    for (; counted_ < offset; ++counted_)
      if (config_[counted_] == '\n') ++number_;
    return number_;
  }

 private:
  std::string_view config_;
  std::size_t counted_ = 0;
  std::size_t number_ = 1;
};

// True for a line (after its leading white space) that is a settings line: one of
// the settings keys that read_section_settings reads (the same table) or the
// reserved section header line. The macro area ends at the first such line.
bool is_settings_line(std::string_view text);

// One entry of `sized_names`: a size suffix and its size letter (o, q, l, w, b or blank).
struct SizedName {
  char size_letter;
  std::string text;
};

// A class of whole words ("#user NAME=W,W,..."): a token belongs when it is one
// of the words. Its placeholders are "<" NAME ">" and "<" NAME digits ">".
struct WordClass {
  std::string name;
  std::vector<std::string> words;
};

// The settings keys of the section, read once per source file (by the control
// pass) and held by the file session: the label decoration and output extension
// that lowering writes with, and the operand classes that translation matches with.
struct SectionSettings {
  std::vector<std::string> immediate_prefixes;         // "#imm="
  std::vector<std::string> space_words;                // "#space="
  std::vector<std::string> keyword_list;               // "#keyword="
  std::vector<std::string> keyword_end_list;           // "#keywordend="
  std::vector<std::vector<std::string>> user_classes;  // "#user=", "#user1=", ...
  std::vector<WordClass> word_classes;  // "#user NAME=", in order of first definition
  // The config.txt lines of "#user" and a blank that define no word class.
  std::vector<std::size_t> unread_word_classes;
  std::vector<std::string> scratch_registers;  // "#scratch=": the source may not use them
  std::vector<SizedName> sized_names;          // longest first, equal lengths in file order
  std::string output_extension;                // "#file="
  std::string label_head_text;                 // "#labelhead="
  std::string label_end_text;                  // "#labelend=" value + "\n", or empty
  // The line marker form that -g writes: "#linemark=" (a marker holds until the
  // next one) or "#linecount=" (the assembler counts the lines after a marker on
  // from it); whichever of the two comes last in the section.
  std::string line_mark_text;
  bool line_mark_counts = false;  // the form came from "#linecount="
  std::string line_file_text;     // "#linefile=": declares a file before its first marker
};

// Reads every settings key of the section.
SectionSettings read_section_settings(std::string_view config, std::string_view directive,
                                      std::size_t line_width);

// The items of a list value (the text after the key, up to the line end). Empty
// items are kept when `keep_empty`; with `comma_escape`, an item beginning with
// "\," stands for the text from that "," on.
std::vector<std::string> list_items(std::string_view value, bool keep_empty, bool comma_escape);

}  // namespace vonx
