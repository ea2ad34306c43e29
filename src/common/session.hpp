// The state of one source file's conversion, created by the driver at the start
// of the file and handed to every pass. Run-wide values sit in RunContext.
#pragma once

#include <cstddef>
#include <string>

#include "common/console.hpp"
#include "common/rule_section.hpp"

namespace vonx {

struct RunContext {
  Console& console;
  std::string program_dir;     // ends with a separator; may be empty (current directory)
  std::string rule_file_path;  // program_dir + "config.txt"
};

struct FileSession {
  FileSession(const RunContext& run_context, std::string path)
      : run(run_context), console(run_context.console), source_path(std::move(path)) {}

  const RunContext& run;
  Console& console;

  std::string source_path;  // the name as given on the command line
  std::string source_stem;  // the path up to the ".7pp" of the base name
  std::string config_text;  // "config.txt" as read at the start of this file
  std::size_t line_width = 0;
  std::string cpu_directive;

  bool wait_at_end = false;  // a diagnostic was printed: wait for a key after the file
  bool failed = false;       // the file failed without ending the run: exit status 1 at the end

  // Source directives, set by the preprocessing pass.
  bool preprocess_only = false;
  bool block_mode = false;
  int line_numbering_start = 0;

  // The settings keys of the rule section, read once by the control pass.
  SectionSettings settings;
  std::string output_path;
};

}  // namespace vonx
