// The macro pass: loads the rules of the selected section and rewrites the
// lowered program into target assembler text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "translation/rule_table.hpp"

namespace vonx {

// Returns the final output text, or nothing when the rule tables could not be
// created (the memory message has been printed). Fatal errors stop the run; one
// raised before the rewriting starts leaves the output file holding `lowered`.
std::optional<WorkText> macro_pass(FileSession& session, const WorkText& lowered);

// The rewriting itself, over the work text (the lowered program without its CPU
// directive line): the operand passes, the call passes, and the final copy with
// optional line numbers and the report of jumps that no rule translated.
// Each line keeps the origin of the line it was written for.
WorkText run_macro_pass(FileSession& session, WorkText work_text, const RuleTable& table);

}  // namespace vonx
