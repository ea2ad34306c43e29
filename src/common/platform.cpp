#include "common/platform.hpp"

#include <filesystem>
#include <iostream>
#include <system_error>

#ifdef _WIN32
// windows.h comes first: shellapi.h builds on what it declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>
#else
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#endif

#include "common/files.hpp"

namespace vonx {

#ifdef _WIN32

namespace {

std::wstring wide_text(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), count);
  return text;
}

// UTF-16 in the given code page; outside UTF-8 a character the code page cannot
// represent becomes "?" (no nearest-looking substitute).
std::string narrow_text(std::wstring_view text, UINT code_page) {
  if (text.empty()) return {};
  bool utf8 = code_page == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* replacement = utf8 ? nullptr : "?";
  int size = static_cast<int>(text.size());
  int count =
      WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, replacement, nullptr);
  std::string result(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), size, result.data(), count, replacement,
                      nullptr);
  return result;
}

// Collects UTF-8 text and writes it, at each flush, to the console of a
// standard handle (output or error) as Unicode. The console is flushed after
// every complete piece of text, so no character is split between two writes.
class UnicodeConsoleBuffer : public std::streambuf {
 public:
  explicit UnicodeConsoleBuffer(DWORD handle) : handle_(handle) {}

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof()))
      pending_.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    pending_.append(bytes, static_cast<std::size_t>(count));
    return count;
  }
  int sync() override {
    std::wstring text = wide_text(pending_);
    pending_.clear();
    HANDLE console = GetStdHandle(handle_);
    const wchar_t* at = text.data();
    std::size_t left = text.size();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteConsoleW(console, at, static_cast<DWORD>(left), &written, nullptr) || written == 0)
        return -1;
      at += written;
      left -= written;
    }
    return 0;
  }

 private:
  DWORD handle_;
  std::string pending_;
};

bool is_console(DWORD handle) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(handle), &mode) != 0;
}

}  // namespace

std::vector<std::string> command_line_words(int argc, char** argv) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) result.push_back(narrow_text(words[i], CP_UTF8));
  LocalFree(words);
  return result;
}

std::string executable_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return narrow_text(path, CP_UTF8);
    }
    path.resize(path.size() * 2);
  }
}

std::filesystem::path native_path(std::string_view name) {
  return std::filesystem::path(wide_text(name));
}

std::string path_in_code_page_932(std::string_view path) {
  return narrow_text(wide_text(path), 932);
}

std::string code_page_932_to_utf8(std::string_view text) {
  if (text.empty()) return {};
  int size = static_cast<int>(text.size());
  int count = MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(932, 0, text.data(), size, wide.data(), count);
  return narrow_text(wide, CP_UTF8);
}

void use_binary_console_output() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool console_reads_unicode() {
  return is_console(STD_OUTPUT_HANDLE);
}

std::ostream& console_stream(bool unicode) {
  if (!unicode) return std::cout;
  static UnicodeConsoleBuffer buffer(STD_OUTPUT_HANDLE);
  static std::ostream stream(&buffer);
  return stream;
}

std::ostream& error_stream() {
  if (!is_console(STD_ERROR_HANDLE)) return std::cerr;
  static UnicodeConsoleBuffer buffer(STD_ERROR_HANDLE);
  static std::ostream stream(&buffer);
  return stream;
}

bool standard_input_is_terminal() {
  return is_console(STD_INPUT_HANDLE);
}

#else

std::vector<std::string> command_line_words(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string executable_path() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
}

std::filesystem::path native_path(std::string_view name) {
  std::string path(name);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string path_in_code_page_932(std::string_view path) {
  return std::string(path);
}

std::string code_page_932_to_utf8(std::string_view text) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string result;
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char buffer[256];
  while (in_left > 0) {
    char* out = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t done = iconv(converter, &in, &in_left, &out, &out_left);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A byte that begins no character (or a lead byte at the end).
      result.push_back('?');
      ++in;
      --in_left;
    }
  }
  iconv_close(converter);
  return result;
}

void use_binary_console_output() {}

bool console_reads_unicode() {
  if (!isatty(STDOUT_FILENO)) return false;
  // The locale is consulted and put back at once: the converter's byte
  // handling always runs in the "C" locale.
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  std::string previous = current ? current : "C";
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    const char* code_set = nl_langinfo(CODESET);
    utf8 = code_set != nullptr && std::strcmp(code_set, "UTF-8") == 0;
  }
  std::setlocale(LC_CTYPE, previous.c_str());
  return utf8;
}

std::ostream& console_stream(bool) {
  return std::cout;
}

std::ostream& error_stream() {
  return std::cerr;
}

bool standard_input_is_terminal() {
  return isatty(STDIN_FILENO) != 0;
}

#endif

}  // namespace vonx
