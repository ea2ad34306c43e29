#include "common/report.hpp"

namespace vonx {

namespace {

// Every diagnostic line of a file, fatal or not, is printed here.
void announce(FileSession& session, std::string_view line) { session.console.line(line); }

}  // namespace

void report(FileSession& session, Severity severity, std::string_view line, std::string* output) {
  announce(session, line);
  session.wait_at_end = true;
  if (severity == Severity::error) session.failed = true;
  if (output != nullptr) {
    *output += line;
    *output += '\n';
  }
}

void report(FileSession& session, Severity severity, Message message, std::string_view argument,
            std::string* output) {
  report(session, severity, message_text(message, argument), output);
}

void stop(FileSession& session, std::string_view line, std::optional<LeftFile> left) {
  announce(session, line);
  throw FatalStop(std::move(left));
}

void stop(FileSession& session, Message message, std::string_view argument) {
  stop(session, message_text(message, argument));
}

void stop_after_reports(FileSession&) { throw FatalStop(); }

}  // namespace vonx
