// The parts of a control header: where a condition or expression in parentheses
// ends, and how the init and step parts of a for header split into statements.
// Characters inside single or double quotes are never parentheses or commas.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vonx {

// The ")" that balances the "(" at `open`, or npos when none does.
std::size_t balancing_paren(std::string_view line, std::size_t open);

// Where the text in the header opened at `open`, starting at `start`, ends: at the
// ")" balancing that "(" when it lies at or after `start`, otherwise at the first
// ")" at or after `start` (npos when there is none). So "(a) == b" keeps its own
// parentheses and is not cut to "(a".
std::size_t header_text_end(std::string_view line, std::size_t open, std::size_t start);

// The statements of a for header's init or step part: cut at every "," outside
// parentheses, each piece verbatim (blanks kept). An empty part is one empty piece.
std::vector<std::string_view> header_pieces(std::string_view part);

}  // namespace vonx
