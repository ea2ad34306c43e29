#include "common/jump_marker.hpp"

#include <array>

namespace vonx {

namespace {

constexpr std::array<std::string_view, kLastLabelCode + 1> kLabelWords{
    "",                            // 0: no label
    "localfor",                    // 1: for condition holds
    "localwhile",                  // 2: while condition holds
    "localdowhile",                // 3: do-while condition holds
    "localelse",                   // 4: if / else if condition holds
    "exitfor",                     // 5: for condition fails
    "exitwhile",                   // 6: while condition fails
    "exitdowhile",                 // 7: do-while condition fails
    "nextelse",                    // 8: if / else if condition fails
    "exitfor",                     // 9: break out of a for
    "exitwhile",                   // 10: break out of a while
    "exitdowhile",                 // 11: break out of a do
    "zoubuntijmp",                 // 12: continue in a for
    "loopstartwhile",              // 13: continue in a while
    "loopenddowhile",              // 14: continue in a do
    "exitswitch",                  // 15: break out of a switch
    "localcase",                   // 16: case value matches
    "nextcase",                    // 17: case value does not match
    "iflocalelseand",              // 18
    "iflocalelseor",               // 19
    "ifnextelseandjmp",            // 20
    "ifnextelseorjmp",             // 21
    "forlocalelseand",             // 22
    "forlocalelseor",              // 23
    "fornextelseandjmp",           // 24
    "fornextelseorjmp",            // 25
    "whilelocalelseand",           // 26
    "whilelocalelseor",            // 27
    "whilenextelseandjmp",         // 28
    "whilenextelseorjmp",          // 29
    "dowhilelocalelseand",         // 30
    "dowhilelocalelseor",          // 31
    "dowhilenextelseandjmp",       // 32
    "dowhilenextelseorjmp",        // 33
    "forlocalelseandgotonot",      // 34
    "whilelocalelseandgotonot",    // 35
    "dowhilelocalelseandgotonot",  // 36
    "iflocalelseandgotonot",       // 37
};

}  // namespace

std::string_view label_word(int code) {
  if (code < 1 || code > kLastLabelCode) return {};
  return kLabelWords[static_cast<std::size_t>(code)];
}

bool takes_second_number(int code) {
  switch (code) {
    case 5: case 6: case 7: case 8: case 17: case 20: case 21:
    case 24: case 25: case 28: case 29: case 32: case 33:
      return true;
    default:
      return false;
  }
}

}  // namespace vonx
