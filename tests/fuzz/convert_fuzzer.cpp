// Fuzz target: one input holds a rule file and a source. The text before the
// first line "=== prog.7pp ===" becomes config.txt, the text after it prog.7pp;
// without that line the whole input is both files. Both are written into a
// fresh folder, which is also the program's folder, so "#include" finds
// config.txt and prog.7pp there, and the whole conversion runs in this process
// on them, with -g, so that the line markers are written wherever the rule
// file gives a form. Standard input is empty, so every wait for a key returns
// at once; the console text is discarded.
//
// The work texts of a run may grow to 4 x the input + 128 KiB instead of the
// program's 64 x the input + 64 MiB: a rule that feeds itself reaches the same
// stop, in a fraction of a second under the sanitizers rather than minutes, so
// one input stays far below the run's timeout.
//
// The folder sits inside a per-process box: after each run the box must hold
// nothing but that folder (the output stays beside the source), and the folder
// is removed.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include "driver/options.hpp"
#include "driver/run_driver.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view source_marker = "\n=== prog.7pp ===\n";
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
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
  vonx::Options options = vonx::parse_options({"-g", (run / "prog.7pp").string()});
  options.conversion.work_bound = work_bound;
  vonx::run_program(options, run.string() + "/", console);

  for (const fs::directory_entry& entry : fs::directory_iterator(box)) {
    if (entry.path() != run) {
      std::fprintf(stderr, "a file was written outside the run folder: %s\n", entry.path().c_str());
      std::abort();
    }
  }
  fs::remove_all(run, error);
  return 0;
}
