#include "common/report.hpp"

#include "common/text.hpp"

namespace vonx {

namespace {

// Every diagnostic of a file, fatal or not, is printed here: the located line
// on standard error, the message on the console. A catalogue message goes to
// the console as a message, so that a path in it is shown as the console needs it.
void announce(FileSession& session, Severity severity, const Located& located,
              std::string_view line) {
  session.console.diagnostic(located.place, severity, located.text);
  session.console.line(line);
}
void announce(FileSession& session, Severity severity, const Located& located, Message message,
              std::string_view argument) {
  session.console.diagnostic(located.place, severity, located.text);
  session.console.say(message, argument);
}

// A message written into an output stands on a line of its own, also after a
// last line that has no line end.
void write_line(std::string* output, std::string_view line) {
  if (output == nullptr) return;
  if (!output->empty() && output->back() != '\n') *output += '\n';
  *output += line;
  *output += '\n';
}

void mark(FileSession& session, Severity severity, std::string_view line, std::string* output) {
  session.wait_at_end = true;
  if (severity == Severity::error) session.failed = true;
  write_line(output, line);
}

}  // namespace

Located at_line(const FileSession& session, LineOrigin origin, std::string text) {
  if (origin.file >= session.origin_files.size() || origin.line == 0)
    return unplaced(std::move(text));
  return {session.origin_files[origin.file] + ":" + decimal(origin.line), std::move(text)};
}

Located at_config_line(const FileSession& session, std::size_t line, std::string text) {
  return {session.run.rule_file_path + ":" + decimal(static_cast<long long>(line)),
          std::move(text)};
}

Located unplaced(std::string text) {
  return {std::string(), std::move(text)};
}

void report(FileSession& session, Severity severity, const Located& located, std::string_view line,
            std::string* output) {
  announce(session, severity, located, line);
  mark(session, severity, line, output);
}

void report(FileSession& session, Severity severity, const Located& located, Message message,
            std::string_view argument, std::string* output) {
  announce(session, severity, located, message, argument);
  mark(session, severity, message_text(message, argument), output);
}

void report_on_stderr(FileSession& session, Severity severity, const Located& located) {
  session.console.diagnostic(located.place, severity, located.text);
  if (severity == Severity::error) session.failed = true;
}

void report_more(FileSession& session, Message message, std::string_view argument,
                 std::string* output) {
  const std::string line = message_text(message, argument);
  session.console.line(line);
  write_line(output, line);
}

void stop(FileSession& session, const Located& located, std::string_view line,
          std::optional<LeftFile> left) {
  announce(session, Severity::error, located, line);
  throw FatalStop(std::move(left));
}

void stop(FileSession& session, const Located& located, Message message,
          std::string_view argument) {
  announce(session, Severity::error, located, message, argument);
  throw FatalStop();
}

void stop_file(FileSession& session, const Located& located, Message message,
               std::string_view argument) {
  report(session, Severity::error, located, message, argument);
  throw FileStop();
}

void stop_after_reports(FileSession&) {
  throw FatalStop();
}

}  // namespace vonx
