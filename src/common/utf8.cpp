#include "common/utf8.hpp"

#include "common/platform.hpp"
#include "common/text.hpp"

namespace vonx {

std::string utf8_from_cp932(std::string_view text) {
  return code_page_932_to_utf8(without_newline(text));
}

std::string quoted(std::string_view text) {
  text = trim_right(trim_left(text));
  // A line can be megabytes long; a diagnostic shows its beginning.
  constexpr std::size_t kShown = 60;
  std::size_t end = 0;
  for (std::size_t shown = 0; end < text.size() && shown < kShown; ++shown)
    end = next_character(text, end);
  std::string shown = "\"";
  shown += utf8_from_cp932(text.substr(0, end));
  shown += end == text.size() ? "\"" : "...\"";
  return shown;
}

}  // namespace vonx
