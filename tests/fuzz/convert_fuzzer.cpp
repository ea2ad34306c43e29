// Fuzz target: one input holds a rule file and a source. The text before the
// first line "=== prog.7pp ===" becomes config.txt, the text after it prog.7pp;
// without that line the whole input is both files. An input that begins with the
// line "=== options ===" first holds command-line words, one a line, up to the
// line "=== config.txt ===": they stand before "prog.7pp" on the command line,
// so -D, -I, -o, -MD, -MF, -q, -g and every other option are fuzzed too. A "/"
// or "\" in a word becomes "_" (but in a -D value): every name the words give
// stays in the run folder. An input without them runs with -g, so that the line
// markers are written wherever the rule file gives a form.
// Both files are written into a fresh folder, which is also the program's
// folder and the current folder during the run, so "#include" finds config.txt
// and prog.7pp there, and the whole conversion runs in this process on them.
// The console's input is empty, so every wait for a key returns at once; the
// console text is discarded. The source "-" reads the process's standard input,
// which holds the source's bytes in every run; what goes to standard output
// (-o -, -MF -) is discarded.
//
// Seven runs in eight let the work texts grow to 4 x the input + 128 KiB instead
// of the program's 64 x the input + 64 MiB: a rule that feeds itself reaches the
// same stop, in a fraction of a second under the sanitizers rather than minutes.
// The eighth (chosen by the input's hash) keeps the program's own limit, so that
// what a text costs up to that limit is fuzzed too. Such a rule then takes about
// 10 s of CPU under the sanitizers, so a run with a short timeout (the CI step)
// sets VONX_FUZZ_SMALL_LIMIT to keep the small limit in every run.
//
// The folder sits inside a per-process box: after each run the box must hold
// nothing but that folder (the output stays beside the source), no temporary
// file of a replaced output may be left in the folder, and the folder is
// removed.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "driver/options.hpp"
#include "driver/run_driver.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view source_marker = "\n=== prog.7pp ===\n";
constexpr std::string_view options_marker = "=== options ===\n";
constexpr std::string_view config_marker = "=== config.txt ===\n";
constexpr vonx::WorkBound work_bound{4, std::size_t{128} << 10};

// Created at the first run, removed when the process ends normally.
struct Box {
  Box() {
    std::string pattern = (fs::temp_directory_path() / "vonx-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    path = pattern;
  }
  ~Box() {
    std::error_code error;
    fs::remove_all(path, error);
  }
  fs::path path;
};

const fs::path& box_folder() {
  static const Box box;
  return box.path;
}

void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::perror(path.c_str());
    std::abort();
  }
}

// The option words at the start of the input, or -g alone; `input` is left with
// the rest. A word keeps no separator, so every path it names is in the run folder.
std::vector<std::string> option_words(std::string_view& input) {
  if (!input.starts_with(options_marker)) return {"-g"};
  std::vector<std::string> words;
  input.remove_prefix(options_marker.size());
  while (!input.empty() && !input.starts_with(config_marker)) {
    std::size_t end = input.find('\n');
    std::string word(input.substr(0, end));
    // A -D value names no file: it keeps its slashes (a comment it would open).
    const bool define_value = word.starts_with("-D") || (!words.empty() && words.back() == "-D");
    if (!define_value)
      for (char& c : word)
        if (c == '/' || c == '\\') c = '_';
    words.push_back(std::move(word));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  if (!input.empty()) input.remove_prefix(config_marker.size());
  return words;
}

// A temporary file of a replaced output that was not removed (a name that an
// option word gave is an output).
bool temporary_left(const fs::path& folder, const std::vector<std::string>& words) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(".vonx-") || !name.ends_with(".tmp")) continue;
    if (std::none_of(words.begin(), words.end(),
                     [&](const std::string& word) { return word.find(name) != std::string::npos; }))
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  static const bool small_limit_only = std::getenv("VONX_FUZZ_SMALL_LIMIT") != nullptr;
  const bool full_limit = !small_limit_only && std::hash<std::string_view>{}(input) % 8 == 0;
  std::vector<std::string> words = option_words(input);
  std::string_view config = input;
  std::string_view source = input;
  if (std::size_t at = input.find(source_marker); at != std::string_view::npos) {
    config = input.substr(0, at + 1);
    source = input.substr(at + source_marker.size());
  }

  const fs::path& box = box_folder();
  const fs::path run = box / "run";
  std::error_code error;
  fs::remove_all(run, error);
  fs::create_directory(run);
  write_file(run / "config.txt", config);
  write_file(run / "prog.7pp", source);

  std::ostringstream console_out;
  std::istringstream console_in;
  std::ostringstream console_errors;
  vonx::Console console(console_out, console_in, console_errors);
  words.push_back("prog.7pp");
  vonx::Options options = vonx::parse_options(words);
  if (!full_limit) options.conversion.work_bound = work_bound;
  if (!std::freopen((run / "prog.7pp").c_str(), "rb", stdin)) {
    std::perror("stdin");
    std::abort();
  }
  static const bool output_discarded = std::freopen("/dev/null", "wb", stdout) != nullptr;
  (void)output_discarded;
  const fs::path started_in = fs::current_path();
  fs::current_path(run);
  if (options.usage_error.empty() && !options.show_help && !options.show_version)
    vonx::run_program(options, run.string() + "/", console);
  fs::current_path(started_in);

  if (temporary_left(run, words)) {
    std::fprintf(stderr, "a temporary file was left in the run folder\n");
    std::abort();
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(box)) {
    if (entry.path() != run) {
      std::fprintf(stderr, "a file was written outside the run folder: %s\n", entry.path().c_str());
      std::abort();
    }
  }
  fs::remove_all(run, error);
  return 0;
}
