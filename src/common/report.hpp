// The one door for the diagnostics of a source file. A pass says which message
// and what it does to the file; the door prints it, marks the file and, where the
// system writes diagnostics into the output, copies it there. Fatal stops pass
// through the same door before the run ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/messages.hpp"
#include "common/session.hpp"

namespace vonx {

// An error makes the file fail (exit status 1 at the end of the run); a warning
// does not. Both make the file wait for a key at its end.
enum class Severity { warning, error };

// Prints the line on the console and sets wait_at_end; an error also marks the
// file failed. With `output`, the line and a line end are appended to that text.
void report(FileSession& session, Severity severity, std::string_view line,
            std::string* output = nullptr);
void report(FileSession& session, Severity severity, Message message,
            std::string_view argument = {}, std::string* output = nullptr);

// Prints the line and ends the run (FatalStop, caught where the run started).
// `left` is a file that must stay on disk as it stands.
[[noreturn]] void stop(FileSession& session, std::string_view line,
                       std::optional<LeftFile> left = std::nullopt);
[[noreturn]] void stop(FileSession& session, Message message, std::string_view argument = {});
// Reports the error and ends this file only (FileStop): it gets no output and the
// run goes on with the next file.
[[noreturn]] void stop_file(FileSession& session, Message message, std::string_view argument = {});
// Ends the run after the errors that caused it have been reported.
[[noreturn]] void stop_after_reports(FileSession& session);

}  // namespace vonx
