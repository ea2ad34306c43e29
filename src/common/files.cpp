#include "common/files.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vonx {

std::string native_path(std::string_view name) {
  std::string path(name);
#ifndef _WIN32
  for (char& c : path)
    if (c == '\\') c = '/';
#endif
  return path;
}

std::optional<std::string> read_text_file(std::string_view name) {
  std::string path = native_path(name);
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  std::string text;
  text.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text.push_back(raw[i]);
  }
  return text;
}

bool write_text_file(std::string_view name, std::string_view text) {
  std::ofstream out(native_path(name), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

void remove_file(std::string_view name) {
  std::error_code error;
  std::string path = native_path(name);
  if (std::filesystem::is_directory(path, error)) return;  // never a user's folder
  std::filesystem::remove(path, error);
}

std::size_t base_name_start(std::string_view path) {
  std::size_t at = path.find_last_of("/\\");
  return at == std::string_view::npos ? 0 : at + 1;
}

bool has_separator(std::string_view name) {
  return name.find_first_of("/\\") != std::string_view::npos;
}

std::string folder_text(std::string_view folder) {
  return folder.empty() ? std::string("the current folder") : std::string(folder);
}

}  // namespace vonx
