#include "lowering/control_pass.hpp"

namespace vonx {

std::string control_pass(FileSession&, std::string_view preprocessed) {
  return std::string(preprocessed);
}

}  // namespace vonx
