// The one door for the diagnostics of a source file. A pass says which message,
// where it points and what it does to the file; the door writes the located line
// on standard error, prints the message, marks the file and, where the system
// writes diagnostics into the output, copies it there. Fatal stops pass through
// the same door before the run ends.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/messages.hpp"
#include "common/session.hpp"

namespace vonx {

// Where a diagnostic points and what it says there, for its line on standard
// error: "PLACE: error: TEXT", or "vonx: error: TEXT" when the place is empty.
struct Located {
  std::string place;  // "FILE:LINE"
  std::string text;   // short English, UTF-8
};

// A line of a work text: the origin file as opened and the line number.
Located at_line(const FileSession& session, LineOrigin origin, std::string text);
// A line of config.txt (1-based).
Located at_config_line(const FileSession& session, std::size_t line, std::string text);
// No line applies.
Located unplaced(std::string text);

// Writes the located line, prints the console line and sets wait_at_end; an
// error (Severity::error) also marks the file failed, a warning does not. With
// `output`, the console line and a line end are appended to that text.
void report(FileSession& session, Severity severity, const Located& located, std::string_view line,
            std::string* output = nullptr);
void report(FileSession& session, Severity severity, const Located& located, Message message,
            std::string_view argument = {}, std::string* output = nullptr);
// Writes the located line only: for what an option asked that the file cannot
// give. The console stays as a run without the option has it, and nothing waits.
void report_on_stderr(FileSession& session, Severity severity, const Located& located);
// The second console line of the diagnostic just reported (printed, and copied
// into `output` when given).
void report_more(FileSession& session, Message message, std::string_view argument = {},
                 std::string* output = nullptr);

// Writes the located line, prints the console line and ends the run (FatalStop,
// caught where the run started). `left` is a file that must stay on disk as it stands.
[[noreturn]] void stop(FileSession& session, const Located& located, std::string_view line,
                       std::optional<LeftFile> left = std::nullopt);
[[noreturn]] void stop(FileSession& session, const Located& located, Message message,
                       std::string_view argument = {});
// Reports the error and ends this file only (FileStop): it gets no output and the
// run goes on with the next file.
[[noreturn]] void stop_file(FileSession& session, const Located& located, Message message,
                            std::string_view argument = {});
// Ends the run after the errors that caused it have been reported.
[[noreturn]] void stop_after_reports(FileSession& session);

}  // namespace vonx
