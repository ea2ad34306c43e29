// The state of one source file's conversion, created by the driver at the start
// of the file and handed to every pass. Run-wide values sit in RunContext.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "common/console.hpp"
#include "common/rule_section.hpp"

namespace vonx {

// How far a work text of one file may grow: per_input_byte x the bytes read for
// the file + base. A caller that runs conversions in its own process, many in a
// row (the fuzz target), sets a lower bound; the program keeps this one.
struct WorkBound {
  std::size_t per_input_byte = 64;
  std::size_t base = std::size_t{64} << 20;
};

// What the command line asks of every conversion of the run. Parsed into the
// driver's Options and held, as given, by the run's RunContext.
struct ConversionOptions {
  std::string output_path;     // -o FILE: the output of the one source; empty: beside the source
  std::string rule_file_path;  // -r FILE, --rules=FILE; empty: config.txt beside the program
  std::vector<std::string> include_dirs;  // -I DIR: searched after the including file's folder
  std::string define_lines;         // "#define NAME VALUE" per -D, in order, put before the source
  bool write_dependencies = false;  // -MD, or -MF: a make dependency file beside each output
  std::string dependency_path;      // -MF FILE: its name for the one source
  bool line_markers = false;        // -g: line markers for the assembler and the debugger
  bool optimize = false;            // -O: every source's lowered text is tightened
  WorkBound work_bound{};           // set by no word: the program's own bound
};

struct RunContext {
  Console& console;
  std::string program_dir;     // ends with a separator; may be empty (current directory)
  std::string rule_file_path;  // program_dir + "config.txt", or the rule file of -r
  std::string rule_file_name = "config.txt";  // the rule file as messages name it
  ConversionOptions options{};
};

struct FileSession {
  FileSession(const RunContext& run_context, std::string path)
      : run(run_context),
        console(run_context.console),
        source_path(std::move(path)),
        origin_files{source_path} {}

  const RunContext& run;
  Console& console;

  std::string source_path;  // the name as given on the command line
  std::string source_stem;  // the path up to the ".7pp" of the base name
  // The files that lines come from (LineOrigin::file): the source first, then
  // every included file as opened, in the order they were included.
  std::vector<std::string> origin_files;
  // The included files: full names, as opened by include expansion.
  std::span<const std::string> included_files() const {
    return std::span<const std::string>(origin_files).subspan(1);
  }
  std::string config_text;  // "config.txt" as read at the start of this file
  // Bytes read for this file: the source, config.txt and every included file. No
  // work text may grow past work_limit (set from the run's WorkBound once the
  // source is loaded): a rule or define that keeps feeding itself stops the file
  // instead of filling the memory.
  std::size_t input_bytes = 0;
  std::size_t work_limit = WorkBound{}.base;
  std::size_t line_width = 0;
  std::string cpu_directive;

  bool wait_at_end = false;  // a diagnostic was printed: wait for a key after the file
  bool failed = false;       // the file failed without ending the run: exit status 1 at the end

  // Source directives, set by the preprocessing pass.
  bool preprocess_only = false;
  bool block_mode = false;
  bool in_order = false;  // ".inorder": compound conditions test their terms left to right
  bool optimize = false;  // ".optimize": the lowered text is tightened, as with -O
  int line_numbering_start = 0;

  // The settings keys of the rule section and the output's name: set by the
  // driver once the source is known to be one, before the passes.
  SectionSettings settings;
  std::string output_path;
};

}  // namespace vonx
