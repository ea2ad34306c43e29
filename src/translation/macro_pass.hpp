// The macro pass: loads the rules of the selected section and rewrites the
// lowered program into target assembler text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/session.hpp"
#include "translation/rule_table.hpp"

namespace vonx {

// Returns the final output text, or nothing when the rule tables could not be
// created (the memory message has been printed). Fatal errors stop the run; one
// raised before the rewriting starts leaves the output file holding `lowered`.
std::optional<std::string> macro_pass(FileSession& session, std::string_view lowered);

// The rewriting itself, over the work text (the lowered program without its CPU
// directive line): the operand passes, the call passes, and the final copy with
// optional line numbers and the report of jumps that no rule translated.
std::string run_macro_pass(FileSession& session, std::string_view work_text,
                           const RuleTable& table);

}  // namespace vonx
