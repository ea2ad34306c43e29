#include "common/line_origins.hpp"

namespace vonx {

WorkText numbered_text(std::string_view text, std::size_t file) {
  WorkText numbered{std::string(text), {}};
  LineReader reader(numbered.text);
  std::string_view line;
  for (std::uint32_t number = 1; reader.next(line); ++number)
    numbered.origins.push_back({static_cast<std::uint32_t>(file), number});
  return numbered;
}

}  // namespace vonx
