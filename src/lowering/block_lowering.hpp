// Block lowering: every structured statement of the preprocessed text becomes
// numbered label lines, goto lines, statement lines and term lines whose jump
// markers name their targets by label code and label number.
#pragma once

#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "lowering/block_state.hpp"
#include "lowering/statement_recognition.hpp"

namespace vonx {

// Writes the lines of one line to `out` (a line that is no control line is
// copied) and updates the counters and stacks. A compound condition's conversion
// may throw ExpressionError. Problems are reported at `origin`.
void lower_statement(BlockLowering& state, FileSession& session, const RecognisedLine& statement,
                     std::string_view line, LineOrigin origin, std::string& out);

}  // namespace vonx
