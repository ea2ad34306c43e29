#include "common/report.hpp"

namespace vonx {

namespace {

// Every diagnostic line of a file, fatal or not, is printed here. A catalogue
// message goes to the console as a message, so that a path in it is shown as
// the console needs it.
void announce(FileSession& session, std::string_view line) { session.console.line(line); }
void announce(FileSession& session, Message message, std::string_view argument) {
  session.console.say(message, argument);
}

void mark(FileSession& session, Severity severity, std::string_view line, std::string* output) {
  session.wait_at_end = true;
  if (severity == Severity::error) session.failed = true;
  if (output != nullptr) {
    *output += line;
    *output += '\n';
  }
}

}  // namespace

void report(FileSession& session, Severity severity, std::string_view line, std::string* output) {
  announce(session, line);
  mark(session, severity, line, output);
}

void report(FileSession& session, Severity severity, Message message, std::string_view argument,
            std::string* output) {
  announce(session, message, argument);
  mark(session, severity, message_text(message, argument), output);
}

void stop(FileSession& session, std::string_view line, std::optional<LeftFile> left) {
  announce(session, line);
  throw FatalStop(std::move(left));
}

void stop(FileSession& session, Message message, std::string_view argument) {
  announce(session, message, argument);
  throw FatalStop();
}

void stop_file(FileSession& session, Message message, std::string_view argument) {
  report(session, Severity::error, message, argument);
  throw FileStop();
}

void stop_after_reports(FileSession&) { throw FatalStop(); }

}  // namespace vonx
