// The control pass: reads the label decoration, output extension and size
// suffixes of the rule section, names the output file and lowers every control
// statement of the preprocessed text to labels, gotos and term lines.
#pragma once

#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Returns the lowered text; sets output_path and the rule-section texts.
// Every line written for a statement comes from that statement's line.
WorkText control_pass(FileSession& session, const WorkText& preprocessed);

}  // namespace vonx
