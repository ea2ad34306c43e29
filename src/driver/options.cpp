#include "driver/options.hpp"

#include <cstddef>
#include <string_view>

namespace vonx {

namespace {

// The words still to read; an option's argument is the rest of its word or the next word.
class WordStream {
 public:
  explicit WordStream(const std::vector<std::string>& words) : words_(words) {}
  bool done() const { return at_ == words_.size(); }
  const std::string& next() { return words_[at_++]; }

 private:
  const std::vector<std::string>& words_;
  std::size_t at_ = 0;
};

bool holds_white(std::string_view text) {
  return text.find_first_of(" \t\n\v\f\r") != std::string_view::npos;
}

// A quote in the text that no later quote of the same kind closes.
bool holds_unclosed_quote(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\'' && text[i] != '"') continue;
    std::size_t close = text.find(text[i], i + 1);
    if (close == std::string_view::npos) return true;
    i = close;
  }
  return false;
}

// -D NAME[=VALUE] is the line "#define NAME VALUE"; VALUE is 1 when "=" is missing,
// and an empty VALUE gives "#define NAME". The reason when the line could not be
// one #define line of that name and that value: a value that opens a comment
// would take the source's lines (or the rest of its own) with it, and an
// unclosed quote would protect the rest of a line that uses the name.
std::string add_define(Options& options, std::string_view argument) {
  std::size_t equals = argument.find('=');
  std::string_view name = argument.substr(0, equals);
  std::string_view value = equals == std::string_view::npos ? "1" : argument.substr(equals + 1);
  if (name.empty() || holds_white(name) || value.find_first_of("\n\r") != std::string_view::npos)
    return "-D needs NAME or NAME=VALUE, the name without blanks";
  if (argument.find("/*") != std::string_view::npos ||
      argument.find("//") != std::string_view::npos)
    return "-D " + std::string(argument) + ": the definition may not open a comment";
  if (holds_unclosed_quote(value))
    return "-D " + std::string(argument) + ": the value holds a quote that nothing closes";
  options.conversion.define_lines += "#define ";
  options.conversion.define_lines += name;
  if (!value.empty()) {
    options.conversion.define_lines += ' ';
    options.conversion.define_lines += value;
  }
  options.conversion.define_lines += '\n';
  return {};
}

// Stores the argument of an option that takes one; false with the error set when
// the argument is missing or unusable.
bool take_argument(Options& options, std::string_view option, std::string_view argument) {
  if (option == "-I") {
    options.conversion.include_dirs.emplace_back(argument);
    return true;
  }
  if (option == "-D") {
    options.usage_error = add_define(options, argument);
    return options.usage_error.empty();
  }
  if (argument.empty()) {
    options.usage_error = "option '" + std::string(option) + "' needs a file name";
    return false;
  }
  if (option == "-o") {
    options.conversion.output_path = argument;
  } else if (option == "-MF") {
    options.conversion.dependency_path = argument;
    options.conversion.write_dependencies = true;
  } else {
    options.conversion.rule_file_path = argument;
  }
  return true;
}

// The argument of an option: the rest of its own word when there is one, else the
// next word.
bool argument_of(Options& options, WordStream& words, std::string_view option,
                 std::string_view rest, std::string& argument) {
  if (!rest.empty()) {
    argument = rest;
    return true;
  }
  if (words.done()) {
    options.usage_error = "option '" + std::string(option) + "' needs an argument";
    return false;
  }
  argument = words.next();
  return true;
}

// "--name" or "--name=ARGUMENT". False when parsing ends here (an error, help or version).
bool long_option(Options& options, WordStream& words, std::string_view word) {
  std::size_t equals = word.find('=');
  std::string_view name = word.substr(0, equals);
  bool has_argument = equals != std::string_view::npos;
  if (name == "--rules") {
    std::string argument;
    if (has_argument) {
      argument = word.substr(equals + 1);
    } else if (!argument_of(options, words, name, {}, argument)) {
      return false;
    }
    return take_argument(options, "--rules", argument);
  }
  bool* flag = name == "--help"      ? &options.show_help
               : name == "--version" ? &options.show_version
               : name == "--quiet"   ? &options.quiet
               : name == "--no-wait" ? &options.no_wait
                                     : nullptr;
  if (!flag) {
    options.usage_error = "unknown option '" + std::string(name) + "'";
    return false;
  }
  if (has_argument) {
    options.usage_error = "option '" + std::string(name) + "' takes no argument";
    return false;
  }
  *flag = true;
  return !options.show_help && !options.show_version;
}

// "-MD", "-MF FILE" and bundled one-letter options ("-qh", "-oFILE", "-I DIR").
bool short_options(Options& options, WordStream& words, std::string_view word) {
  if (word == "-MD") {
    options.conversion.write_dependencies = true;
    return true;
  }
  if (word.substr(0, 3) == "-MF") {
    std::string argument;
    return argument_of(options, words, "-MF", word.substr(3), argument) &&
           take_argument(options, "-MF", argument);
  }
  for (std::size_t at = 1; at < word.size(); ++at) {
    char letter = word[at];
    if (letter == 'h') {
      options.show_help = true;
      return false;
    }
    if (letter == 'q' || letter == 'g') {
      (letter == 'q' ? options.quiet : options.conversion.line_markers) = true;
      continue;
    }
    if (letter == 'O') {
      options.conversion.optimize = true;
      continue;
    }
    if (letter == 'o' || letter == 'r' || letter == 'I' || letter == 'D') {
      std::string option = {'-', letter};
      std::string argument;
      return argument_of(options, words, option, word.substr(at + 1), argument) &&
             take_argument(options, option, argument);
    }
    options.usage_error = "unknown option '" + std::string(word.substr(0, 1)) +
                          (letter == 'M' ? std::string(word.substr(at)) : std::string(1, letter)) +
                          "'";
    return false;
  }
  return true;
}

}  // namespace

Options parse_options(const std::vector<std::string>& words) {
  Options options;
  WordStream stream(words);
  bool only_files = false;
  while (!stream.done()) {
    const std::string& word = stream.next();
    // "-" alone names a file, as does every word after "--".
    if (only_files || word.size() < 2 || word[0] != '-') {
      options.file_names.push_back(word);
      continue;
    }
    if (word == "--") {
      only_files = true;
      continue;
    }
    bool go_on =
        word[1] == '-' ? long_option(options, stream, word) : short_options(options, stream, word);
    if (!go_on) return options;
  }
  const ConversionOptions& conversion = options.conversion;
  if (options.file_names.size() > 1 && !conversion.output_path.empty())
    options.usage_error = "-o names the output of one source, not of several";
  else if (options.file_names.size() > 1 && !conversion.dependency_path.empty())
    options.usage_error = "-MF names the dependency file of one source, not of several";
  else if (options.reads_standard_input() && conversion.output_path.empty())
    options.usage_error =
        "the source - (standard input) needs -o FILE, or -o - for standard output";
  else if (conversion.output_path == kStandardStream && conversion.write_dependencies)
    options.usage_error = "-MD and -MF write the make rule of an output file; -o - writes none";
  return options;
}

std::string usage_text() {
  return "Usage: vonx [OPTION]... FILE...\n"
         "Converts structured assembly sources (.7pp) into assembler text by the rules\n"
         "of config.txt beside the program. Options may stand anywhere; \"--\" ends them.\n"
         "\n"
         "  -h, --help          print this help and end\n"
         "      --version       print the version and end\n"
         "  -o FILE             write the output to FILE (one source only); -o - writes\n"
         "                      it to standard output, and nothing else goes there\n"
         "  -r, --rules=FILE    read the rules from FILE instead of config.txt\n"
         "  -q, --quiet         print nothing on standard output (no progress, no messages;\n"
         "                      standard error keeps them)\n"
         "  -g                  write line markers (the rule section's #linemark= or\n"
         "                      #linecount=), so that the assembler and the debugger\n"
         "                      name the source's lines\n"
         "      --no-wait       never wait for a key\n"
         "  -O                  tighten the jumps: none to the next line or to a jump\n"
         "  -I DIR              look for included files in DIR too (repeatable)\n"
         "  -D NAME[=VALUE]     put \"#define NAME VALUE\" before the source's first line\n"
         "                      (VALUE 1 when omitted; repeatable)\n"
         "  -MD                 write the make dependencies to OUTPUT-STEM.d beside the output\n"
         "  -MF FILE            write them to FILE (implies -MD; one source only)\n"
         "\n"
         "The source - is read from standard input (with -o).\n"
         "Included files are looked up beside the program (or where a name with a path\n"
         "points), then in the including file's folder, then in each -I folder.\n"
         "Exit status: 0 every file converted, 1 a file failed, 2 a wrong command line.\n";
}

}  // namespace vonx
