#include "preprocessor/preprocessing_pass.hpp"

namespace vonx {

std::string preprocessing_pass(FileSession&, std::string_view loaded) {
  return std::string(loaded);
}

}  // namespace vonx
