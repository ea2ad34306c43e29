// Text taken from sources and config.txt (code page 932) shown on standard
// error, which is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vonx {

// The text converted from code page 932 to UTF-8 by the platform's converter.
// A byte that is no code page 932 character becomes "?"; a line end is dropped.
std::string utf8_from_cp932(std::string_view text);

// The text converted and put in double quotes, leading and trailing white space
// removed: how a diagnostic quotes a line, a term or a name. A text longer than
// 60 characters is cut there and ends with "...".
std::string quoted(std::string_view text);

}  // namespace vonx
