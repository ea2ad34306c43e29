#include "common/utf8.hpp"

#include <iconv.h>

#include <cerrno>

#include "common/text.hpp"

namespace vonx {

std::string utf8_from_cp932(std::string_view text) {
  text = without_newline(text);
  std::string out;
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    // Without a converter only the ASCII bytes are shown as they are.
    for (char c : text) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    return out;
  }
  std::string in(text);
  char* in_at = in.data();
  std::size_t in_left = in.size();
  char buffer[256];
  while (in_left > 0) {
    char* out_at = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t result = iconv(converter, &in_at, &in_left, &out_at, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_at - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off character: one byte is shown as "?".
      out += '?';
      ++in_at;
      --in_left;
    }
  }
  iconv_close(converter);
  return out;
}

std::string quoted(std::string_view text) {
  return "\"" + utf8_from_cp932(trim_right(trim_left(text))) + "\"";
}

}  // namespace vonx
