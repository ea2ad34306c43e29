// The located report of a diagnostic: one line on standard error naming the file
// and line it concerns. An error makes the file's exit status a failure; a
// warning does not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/session.hpp"
#include "common/work_text.hpp"

namespace vonx {

// "FILE:LINE" for a line of a work text.
std::string place_of(const FileSession& session, LineOrigin origin);
// "FILE:LINE" for a line of config.txt (1-based).
std::string config_place(const FileSession& session, std::size_t config_line);

// Writes "PLACE: error: TEXT" (or "warning") on standard error; an empty place
// gives "vonx: error: TEXT". An error marks the file failed.
void diagnose(FileSession& session, std::string_view place, Severity severity,
              std::string_view text);
void diagnose(FileSession& session, LineOrigin origin, Severity severity, std::string_view text);

}  // namespace vonx
