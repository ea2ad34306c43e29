#include "common/diagnostics.hpp"

#include "common/text.hpp"

namespace vonx {

std::string place_of(const FileSession& session, LineOrigin origin) {
  if (origin.file >= session.origin_files.size() || origin.line == 0) return {};
  return session.origin_files[origin.file] + ":" + decimal(static_cast<long long>(origin.line));
}

std::string config_place(const FileSession& session, std::size_t config_line) {
  return session.run.rule_file_path + ":" + decimal(static_cast<long long>(config_line));
}

void diagnose(FileSession& session, std::string_view place, Severity severity,
              std::string_view text) {
  session.console.diagnostic(place, severity, text);
  if (severity == Severity::error) session.failed = true;
}

void diagnose(FileSession& session, LineOrigin origin, Severity severity, std::string_view text) {
  diagnose(session, place_of(session, origin), severity, text);
}

}  // namespace vonx
