#include "driver/run_driver.hpp"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

#include "common/files.hpp"
#include "common/line_reader.hpp"
#include "common/platform.hpp"
#include "common/report.hpp"
#include "common/rule_section.hpp"
#include "common/text.hpp"
#include "driver/dependency_file.hpp"
#include "driver/line_markers.hpp"
#include "lowering/control_pass.hpp"
#include "lowering/jump_tightening.hpp"
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

// A source's own name contains ".7pp" (any letter case): a folder named
// prog.7pp makes no source of the files in it.
void check_extension(FileSession& session) {
  std::string_view name = session.source_path;
  name = name.substr(base_name_start(name));
  if (find_nocase(name, ".7pp") != std::string_view::npos) return;
  if (find_nocase(name, ".asm") != std::string_view::npos)
    stop(session, unplaced(session.source_path + ": rename the source to .7pp"),
         Message::rename_to_7pp);
  stop(session, unplaced(session.source_path + ": the file name must contain .7pp"),
       Message::wrong_extension);
}

bool same_file(std::string_view a, std::string_view b) {
  std::error_code error;
  return std::filesystem::equivalent(native_path(a), native_path(b), error) && !error;
}

// Why the output may not be written at `path`, or nothing when it may: it stays
// beside its source and never takes the place of a file the conversion read.
// Standard output takes the place of no file.
std::optional<std::string> output_refusal(const FileSession& session, const std::string& path) {
  if (path == kStandardStream) return std::nullopt;
  const std::string& extension = session.settings.output_extension;
  if (has_separator(extension) || extension.find("..") != std::string::npos)
    return "output extension \"" + extension +
           "\" would place the output outside the source's folder";
  if (same_file(path, session.source_path)) return "output " + path + " is the source itself";
  for (const std::string& included : session.included_files())
    if (same_file(path, included)) return "output " + path + " is the included file " + included;
  if (same_file(path, session.run.rule_file_path))
    return "output " + path + " is the rule file " + session.run.rule_file_path;
  return std::nullopt;
}

// A file that stops keeps no output that an earlier run left: a build would take
// it for this run's. A name that the output may not take, or a file this user
// may not write, is not touched; before the output is named there is nothing
// to remove.
void remove_earlier_output(FileSession& session) {
  if (!session.output_path.empty() && session.output_path != kStandardStream &&
      !output_refusal(session, session.output_path))
    remove_file(session.output_path);
}

// Writes a file the conversion makes; stops the run when it cannot be written.
void write_file_or_stop(FileSession& session, const std::string& path, std::string_view text) {
  std::optional<std::string> reason = output_refusal(session, path);
  if (!reason)
    reason = path == kStandardStream ? write_standard_output(text) : replace_file(path, text);
  if (!reason) return;
  stop(session, unplaced(*reason), Message::cannot_write, path);
}

// The output of the file, or what a pass left of it when it stopped the run. An
// output that cannot be written leaves no earlier one in its place either.
void write_output_file(FileSession& session, const std::string& path, std::string_view text) {
  try {
    write_file_or_stop(session, path, text);
  } catch (const FatalStop&) {
    remove_earlier_output(session);
    throw;
  }
}

// The three passes and, with -g, the line markers; nothing when the file stopped
// without ending the run (a FileStop, or rule tables that could not be made).
std::optional<WorkText> convert(FileSession& session, WorkText loaded) {
  try {
    // Each text lives only while the next pass reads it.
    WorkText preprocessed = preprocessing_pass(session, loaded);
    loaded = WorkText();
    WorkText lowered = control_pass(session, preprocessed);
    preprocessed = WorkText();
    if (session.run.options.optimize || session.optimize) lowered = tighten_jumps(session, lowered);
    std::optional<WorkText> translated = macro_pass(session, lowered);
    if (translated && session.run.options.line_markers) add_line_markers(session, *translated);
    return translated;
  } catch (const FileStop&) {
    return std::nullopt;
  }
}

// The make rule of the output: made from the source (unless it came from
// standard input), every included file and the rule file. Never written over
// one of them or over the output itself.
void write_dependency_file(FileSession& session, bool from_standard_input) {
  const RunContext& run = session.run;
  std::string path = run.options.dependency_path.empty() ? dependency_path_of(session.output_path)
                                                         : run.options.dependency_path;
  std::vector<std::string> prerequisites;
  if (!from_standard_input) prerequisites.push_back(session.source_path);
  prerequisites.insert(prerequisites.end(), session.included_files().begin(),
                       session.included_files().end());
  prerequisites.push_back(run.rule_file_path);
  std::vector<std::string> kept = prerequisites;
  kept.push_back(session.output_path);
  for (const std::string& file : kept) {
    if (path != kStandardStream && same_file(path, file)) {
      report(session, Severity::error,
             unplaced("the dependency file " + path + " would overwrite " + file),
             Message::cannot_write, path);
      return;
    }
  }
  write_file_or_stop(session, path,
                     dependency_rules(session.output_path, prerequisites, !from_standard_input));
}

// The usage lines of -h/--help, each written as one console line.
void print_usage(Console& console) {
  std::string text = usage_text();
  LineReader reader(text);
  std::string_view line;
  while (reader.next(line)) console.line(line.substr(0, line.size() - 1));
}

RunContext run_context(const Options& options, std::string program_dir, Console& console) {
  RunContext run{console, program_dir, program_dir + "config.txt", "config.txt",
                 options.conversion};
  if (!options.conversion.rule_file_path.empty())
    run.rule_file_path = run.rule_file_name = options.conversion.rule_file_path;
  return run;
}

// Before a file session exists the console reports directly.
[[noreturn]] void rule_file_missing(const RunContext& run) {
  run.console.error(run.rule_file_name == "config.txt"
                        ? "config.txt not found in " + folder_text(run.program_dir)
                        : "cannot open the rule file " + run.rule_file_path);
  run.console.fatal(Message::not_found, run.rule_file_name);
}

}  // namespace

std::size_t measure_line_width(std::string_view source, std::string_view config) {
  return 3 * std::max(longest_ended_line(source) + 1, longest_ended_line(config));
}

void name_output_file(FileSession& session) {
  session.settings =
      read_section_settings(session.config_text, session.cpu_directive, session.line_width);
  const std::string& given = session.run.options.output_path;
  if (!given.empty()) {
    session.output_path = given;
    return;
  }
  std::string name = session.source_stem + ".as";
  name.resize(name.find('.', base_name_start(name)));
  session.output_path = name + "." + session.settings.output_extension;
}

void run_source_file(FileSession& session, bool from_standard_input) {
  std::optional<std::string> source =
      from_standard_input ? read_standard_input() : read_text_file(session.source_path);
  if (!source)
    stop(session,
         unplaced(from_standard_input ? "cannot read the source from standard input"
                                      : "cannot open the source file " + session.source_path),
         Message::not_found, session.source_path);
  std::optional<std::string> config = read_text_file(session.run.rule_file_path);
  if (!config) rule_file_missing(session.run);
  session.config_text = std::move(*config);
  // The -D lines count as lines of the source.
  session.line_width =
      measure_line_width(session.run.options.define_lines + *source, session.config_text);

  session.input_bytes = source->size() + session.config_text.size();

  WorkText loaded = load_source(session, *source);
  source.reset();
  const WorkBound& bound = session.run.options.work_bound;
  session.work_limit = bound.per_input_byte * session.input_bytes + bound.base;
  session.cpu_directive = find_cpu_directive(session, loaded);
  // Standard input has no name to test.
  if (!from_standard_input) check_extension(session);
  name_output_file(session);

  // From here on every stop of the file leaves no earlier output behind, and
  // one that ends the run leaves what the pass had written where it says so.
  std::optional<WorkText> translated;
  try {
    translated = convert(session, std::move(loaded));
    if (translated) write_output_file(session, session.output_path, translated->text);
  } catch (const FatalStop& stopped) {
    if (!stopped.left_file) {
      remove_earlier_output(session);
      throw;
    }
    // What the pass had written before it stopped stays, written like any output.
    write_output_file(session, stopped.left_file->path, stopped.left_file->text);
    throw;
  } catch (const std::bad_alloc&) {
    remove_earlier_output(session);
    throw;
  }
  if (translated) {
    if (session.run.options.write_dependencies) write_dependency_file(session, from_standard_input);
  } else {
    remove_earlier_output(session);
    session.failed = true;
  }
  if (session.wait_at_end) session.console.wait_for_key();
}

int run_program(const Options& options, std::string program_dir, Console& console) {
  // Standard output that carries a file takes nothing else, and standard input
  // that carried the source holds no key press.
  const ConversionOptions& conversion = options.conversion;
  console.set_quiet(options.quiet || conversion.output_path == kStandardStream ||
                    conversion.dependency_path == kStandardStream);
  console.set_no_wait(options.no_wait || options.reads_standard_input());
  if (options.file_names.empty()) {
    print_banner(console);
    // Quiet hides the banner: standard error says why nothing was converted.
    if (options.quiet) console.error("no source file named (vonx --help lists the options)");
    console.wait_for_key();
    return 1;
  }
  RunContext run = run_context(options, std::move(program_dir), console);
  int status = 0;
  try {
    if (!read_text_file(run.rule_file_path)) rule_file_missing(run);
    for (const std::string& name : options.file_names) {
      const bool from_input = name == kStandardStream;
      FileSession session(run, from_input ? std::string("<stdin>") : name);
      run_source_file(session, from_input);
      if (session.failed) status = 1;
    }
  } catch (const FatalStop&) {
    console.wait_for_key();
    return 1;
  } catch (const std::bad_alloc&) {
    console.error("out of memory; the conversion was given up");
    console.say(Message::memory_failed);
    console.say(Message::reduce_macros);
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
  std::string path = executable_path();
  if (path.empty()) path = argv0 ? argv0 : "";
  return path.substr(0, base_name_start(path));
}

}  // namespace vonx
