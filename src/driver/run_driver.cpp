#include "driver/run_driver.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/files.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
#include "driver/dependency_file.hpp"
#include "lowering/control_pass.hpp"
#include "preprocessor/preprocessing_pass.hpp"
#include "preprocessor/source_loading.hpp"
#include "translation/macro_pass.hpp"

namespace vonx {

namespace {

void print_banner(Console& console) {
  console.say(Message::banner);
  console.say(Message::maker_notice);
  console.line("");
  console.say(Message::usage);
  console.line("");
  console.say(Message::drag_and_drop);
  console.line("");
}

std::size_t longest_ended_line(std::string_view text) {
  std::size_t longest = 0;
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line))
    if (line.back() == '\n') longest = std::max(longest, line.size() - 1);
  return longest;
}

// The name must contain ".7pp" (any letter case, anywhere in the path).
void check_extension(FileSession& session) {
  if (find_nocase(session.source_path, ".7pp") != std::string_view::npos) return;
  if (find_nocase(session.source_path, ".asm") != std::string_view::npos)
    stop(session, Message::rename_to_7pp);
  stop(session, Message::wrong_extension);
}

void write_output_file(FileSession& session, const std::string& path, std::string_view text) {
  if (!write_text_file(path, text)) stop(session, Message::cannot_write, path);
}

// The make rule of the output: made from the source, every included file and the
// rule file. Never written over one of them or over the output itself.
void write_dependency_file(FileSession& session) {
  const RunContext& run = session.run;
  std::string path =
      run.dependency_path.empty() ? dependency_path_of(session.output_path) : run.dependency_path;
  std::vector<std::string> prerequisites = {session.source_path};
  prerequisites.insert(prerequisites.end(), session.included_files.begin(),
                       session.included_files.end());
  prerequisites.push_back(run.rule_file_path);
  std::vector<std::string> kept = prerequisites;
  kept.push_back(session.output_path);
  for (const std::string& file : kept) {
    std::error_code error;
    if (std::filesystem::equivalent(native_path(path), native_path(file), error)) {
      session.console.error("the dependency file " + path + " would overwrite " + file);
      session.failed = true;
      return;
    }
  }
  write_output_file(session, path, dependency_rules(session.output_path, prerequisites));
}

// The usage lines of -h/--help, each written as one console line.
void print_usage(Console& console) {
  std::string text = usage_text();
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) console.line(line.substr(0, line.size() - 1));
}

RunContext run_context(const Options& options, std::string program_dir, Console& console) {
  RunContext run{console, program_dir, program_dir + "config.txt"};
  if (!options.rule_file_path.empty()) run.rule_file_path = run.rule_file_name = options.rule_file_path;
  run.include_dirs = options.include_dirs;
  run.define_lines = options.define_lines;
  run.output_path = options.output_path;
  run.write_dependencies = options.write_dependencies;
  run.dependency_path = options.dependency_path;
  return run;
}

}  // namespace

std::size_t measure_line_width(std::string_view source, std::string_view config) {
  return 3 * std::max(longest_ended_line(source) + 1, longest_ended_line(config));
}

void run_source_file(FileSession& session) {
  Console& console = session.console;
  std::optional<std::string> source = read_text_file(session.source_path);
  if (!source) stop(session, Message::not_found, session.source_path);
  std::optional<std::string> config = read_text_file(session.run.rule_file_path);
  if (!config) stop(session, Message::not_found, session.run.rule_file_name);
  session.config_text = std::move(*config);
  // The -D lines count as lines of the source.
  session.line_width = measure_line_width(session.run.define_lines + *source, session.config_text);

  std::string loaded = load_source(session, *source);
  session.cpu_directive = find_cpu_directive(session, loaded);
  check_extension(session);

  std::string preprocessed = preprocessing_pass(session, loaded);
  std::string lowered = control_pass(session, preprocessed);
  std::optional<std::string> translated = macro_pass(session, lowered);
  if (translated) {
    write_output_file(session, session.output_path, *translated);
    if (session.run.write_dependencies) write_dependency_file(session);
  } else {
    // The rule tables could not be created (reported as an error): no output
    // remains for this file.
    remove_file(session.output_path);
  }
  if (session.wait_at_end) console.wait_for_key();
}

int run_program(const Options& options, std::string program_dir, Console& console) {
  console.set_quiet(options.quiet);
  console.set_no_wait(options.no_wait);
  if (options.file_names.empty()) {
    print_banner(console);
    console.wait_for_key();
    return 1;
  }
  RunContext run = run_context(options, std::move(program_dir), console);
  int status = 0;
  try {
    if (!read_text_file(run.rule_file_path)) console.fatal(Message::not_found, run.rule_file_name);
    for (const std::string& name : options.file_names) {
      FileSession session(run, name);
      run_source_file(session);
      if (session.failed) status = 1;
    }
  } catch (const FatalStop& stop) {
    if (stop.left_file) write_text_file(stop.left_file->path, stop.left_file->text);
    console.wait_for_key();
    return 1;
  }
  return status;
}

int run_command_line(const std::vector<std::string>& words, std::string program_dir,
                     Console& console) {
  Options options = parse_options(words);
  if (!options.usage_error.empty()) {
    console.error(options.usage_error + " (vonx --help lists the options)");
    return 2;
  }
  if (options.show_help) {
    print_usage(console);
    return 0;
  }
  if (options.show_version) {
    console.line("vonx " VONX_VERSION);
    return 0;
  }
  return run_program(options, std::move(program_dir), console);
}

std::string find_program_dir(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string path = !error && !self.empty() ? self.string() : std::string(argv0 ? argv0 : "");
  return path.substr(0, base_name_start(path));
}

}  // namespace vonx
