// The control pass: lowers every control statement of the preprocessed text to
// labels, gotos and term lines, in the label decoration of the section's settings.
#pragma once

#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Returns the lowered text. Every line written for a statement comes from that
// statement's line. An expression error in a condition stops the run; the output
// then keeps what was lowered up to that line, followed by the error line.
WorkText control_pass(FileSession& session, const WorkText& preprocessed);

}  // namespace vonx
