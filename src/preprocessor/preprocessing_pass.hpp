// The preprocessing pass: layout normalisation, conditional compilation and the
// substitution of #define constants, from the loaded source to the text the
// control pass lowers.
#pragma once

#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Takes the loaded source (comments removed, includes expanded). Stops the run
// (FatalStop) after a failure it has reported.
WorkText preprocessing_pass(FileSession& session, const WorkText& loaded);

}  // namespace vonx
