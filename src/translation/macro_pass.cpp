#include "translation/macro_pass.hpp"

namespace vonx {

std::optional<std::string> macro_pass(FileSession&, std::string_view lowered) {
  return std::string(lowered);
}

}  // namespace vonx
