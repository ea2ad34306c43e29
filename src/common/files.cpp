#include "common/files.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace vonx {

namespace {

// The bytes read as text: a byte order mark that begins them dropped, CR LF
// line ends made LF (in place; most texts have none).
std::string as_text(std::string text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::size_t kept = text.find('\r');
  if (kept == std::string::npos) return text;
  for (std::size_t i = kept; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    text[kept++] = text[i];
  }
  text.resize(kept);
  return text;
}

}  // namespace

std::optional<std::string> read_text_file(std::string_view name) {
  std::filesystem::path path = native_path(name);
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return as_text(std::move(text));
}

std::optional<std::string> read_standard_input() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  std::string text;
  char buffer[1 << 16];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, count);
  if (std::ferror(stdin)) return std::nullopt;
  return as_text(std::move(text));
}

std::optional<std::string> write_standard_output(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return std::nullopt;
  return std::string("cannot write to standard output: ") + std::strerror(errno ? errno : EIO);
}

namespace {

// Opens a file by its platform name. `exclusive` creates it and fails when it
// exists already (the temporary file of a replacement).
std::FILE* open_file(const std::filesystem::path& path, bool exclusive) {
#ifdef _WIN32
  if (!exclusive) return _wfopen(path.c_str(), L"ab");
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
    return nullptr;
  }
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  return _fdopen(descriptor, "wb");
#else
  return std::fopen(path.c_str(), exclusive ? "wbx" : "ab");
#endif
}

std::string failure(std::string_view what, const std::string& path, int error) {
  return std::string(what) + " " + path + ": " + std::strerror(error);
}

// A new file beside `path` that did not exist before (the "x" mode creates it
// exclusively), named after it with a random suffix.
std::FILE* create_temporary(const std::string& path, std::string& temporary, int& error) {
  std::size_t base = base_name_start(path);
  std::random_device seed;
  std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
  for (int attempt = 0; attempt < 64; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    temporary = path.substr(0, base) + "." + path.substr(base) + suffix;
    errno = 0;
    if (std::FILE* file = open_file(native_path(temporary), true)) return file;
    if (errno != EEXIST) break;
  }
  error = errno ? errno : EEXIST;
  return nullptr;
}

// An existing file that this user may not write keeps its place and its bytes,
// even where the folder would allow a rename over it. A dangling link is replaced
// like a missing file; anything but a regular file (a folder, a device, a pipe)
// is never written.
std::optional<std::string> refuse_unwritable(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::file_status target = fs::status(native_path(path), error);
  if (!fs::exists(target)) return std::nullopt;
  if (fs::is_directory(target)) return failure("cannot write", path, EISDIR);
  if (!fs::is_regular_file(target)) return "cannot write " + path + ": not a regular file";
  errno = 0;
  std::FILE* probe = open_file(native_path(path), false);
  if (!probe) return failure("cannot write", path, errno ? errno : EACCES);
  std::fclose(probe);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> replace_file(std::string_view name, std::string_view text) {
  std::string path(name);
  if (auto refused = refuse_unwritable(path)) return refused;
  std::string temporary;
  int error = 0;
  std::FILE* file = create_temporary(path, temporary, error);
  if (!file) return failure("cannot create a file beside", path, error);
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  error = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  std::optional<std::string> reason;
  if (!written)
    reason = failure("cannot write", temporary, error ? error : EIO);
  else
    reason = refuse_unwritable(path);
  if (!reason) {
    std::error_code renamed;
    std::filesystem::rename(native_path(temporary), native_path(path), renamed);
    if (!renamed) return std::nullopt;
    reason = "cannot replace " + path + ": " + renamed.message();
  }
  std::error_code ignored;
  std::filesystem::remove(native_path(temporary), ignored);
  return reason;
}

void remove_file(std::string_view name) {
  std::string path(name);
  if (refuse_unwritable(path)) return;  // never a folder, nor a file the user keeps from writes
  std::error_code error;
  std::filesystem::remove(native_path(path), error);
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
