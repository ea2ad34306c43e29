#include "driver/run_driver.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/files.hpp"
#include "common/line_reader.hpp"
#include "common/report.hpp"
#include "common/text.hpp"
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

void write_output_file(FileSession& session, std::string_view text) {
  if (!write_text_file(session.output_path, text))
    stop(session, Message::cannot_write, session.output_path);
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
  if (!config) stop(session, Message::not_found, "config.txt");
  session.config_text = std::move(*config);
  session.line_width = measure_line_width(*source, session.config_text);

  std::string loaded = load_source(session, *source);
  session.cpu_directive = find_cpu_directive(session, loaded);
  check_extension(session);

  std::string preprocessed = preprocessing_pass(session, loaded);
  std::string lowered = control_pass(session, preprocessed);
  std::optional<std::string> translated = macro_pass(session, lowered);
  if (translated) {
    write_output_file(session, *translated);
  } else {
    // The rule tables could not be created (reported as an error): no output
    // remains for this file.
    remove_file(session.output_path);
  }
  if (session.wait_at_end) console.wait_for_key();
}

int run_program(const std::vector<std::string>& file_names, std::string program_dir,
                Console& console) {
  if (file_names.empty()) {
    print_banner(console);
    console.wait_for_key();
    return 1;
  }
  RunContext run{console, program_dir, program_dir + "config.txt"};
  int status = 0;
  try {
    if (!read_text_file(run.rule_file_path)) console.fatal(Message::not_found, "config.txt");
    for (const std::string& name : file_names) {
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

std::string find_program_dir(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string path = !error && !self.empty() ? self.string() : std::string(argv0 ? argv0 : "");
  return path.substr(0, base_name_start(path));
}

}  // namespace vonx
