// Label codes: the numbers that a jump marker uses for label words. The control
// pass writes codes 1 to 17 for structured statements and 18 to 33 for compound
// conditions; translation turns each code back into its label word.
#pragma once

#include <string_view>

namespace vonx {

constexpr int kLastLabelCode = 37;

// The label word of a code from 1 to 37; empty for any other code.
std::string_view label_word(int code);

// Which number of a jump marker goes with a code: the second number for the exit
// and next labels (5-8, 17, 20, 21, 24, 25, 28, 29, 32, 33), else the first.
bool takes_second_number(int code);

}  // namespace vonx
