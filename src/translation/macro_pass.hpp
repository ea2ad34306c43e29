// The macro pass: loads the rules of the selected section and rewrites the
// lowered program into target assembler text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/session.hpp"

namespace vonx {

// Returns the final output text, or nothing when the rule tables could not be
// created (the memory message has been printed). Fatal errors stop the run.
std::optional<std::string> macro_pass(FileSession& session, std::string_view lowered);

}  // namespace vonx
