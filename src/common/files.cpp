#include "common/files.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vonx {

namespace fs = std::filesystem;

namespace {

std::string failure(std::string_view what, const std::string& path, int error) {
  return std::string(what) + " " + path + ": " + std::strerror(error);
}

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

// The name of a new temporary file: short, so that it fits in any folder where
// the target's own name fits.
std::string temporary_name() {
  static std::mt19937_64 random = [] {
    std::random_device seed;
    return std::mt19937_64((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
  }();
  char name[32];
  std::snprintf(name, sizeof name, ".vonx-%012llx.tmp",
                static_cast<unsigned long long>(random() & 0xffffffffffffULL));
  return name;
}

// The file that writing `path` reaches: its symbolic links followed (at most 40,
// as the system does), a relative link read from its own folder. Nothing when
// the links lead round in a loop.
std::optional<fs::path> written_through(fs::path path) {
  for (int hops = 0; hops <= 40; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
    fs::path link = fs::read_symlink(path, error);
    if (error) return path;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return std::nullopt;
}

fs::path folder_of(const fs::path& path) {
  fs::path folder = path.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

#ifdef _WIN32

namespace {

// The temporary file that Ctrl-C or closing the console must remove, while one
// exists. It is created shareable for deletion, so the handler (which runs on a
// thread of its own) can remove it while it is open; the process then ends as
// it would have.
std::atomic<const wchar_t*> pending_temporary{nullptr};

BOOL WINAPI remove_temporary_on_console_end(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
      event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    if (const wchar_t* name = pending_temporary.load()) DeleteFileW(name);
  }
  return FALSE;  // the usual handling goes on: the process ends
}

void watch_console_end() {
  static const bool installed = SetConsoleCtrlHandler(remove_temporary_on_console_end, TRUE);
  (void)installed;
}

// The name is registered while the temporary file exists.
class PendingTemporary {
 public:
  explicit PendingTemporary(fs::path name) : name_(std::move(name)) {
    pending_temporary.store(name_.c_str());
  }
  ~PendingTemporary() { pending_temporary.store(nullptr); }
  PendingTemporary(const PendingTemporary&) = delete;
  PendingTemporary& operator=(const PendingTemporary&) = delete;
  const fs::path& name() const { return name_; }

 private:
  fs::path name_;
};

bool is_character_device(const fs::path& path) {
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool device = GetFileType(handle) == FILE_TYPE_CHAR;
  CloseHandle(handle);
  return device;
}

bool write_handle(HANDLE handle, std::string_view text, int& error) {
  while (!text.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, text.data(), chunk, &written, nullptr)) {
      error = EIO;
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

std::optional<std::string> write_directly(const fs::path& path, const std::string& shown,
                                          std::string_view text) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return failure("cannot write", shown, EACCES);
  int error = 0;
  bool written = write_handle(handle, text, error);
  CloseHandle(handle);
  if (!written) return failure("cannot write", shown, error);
  return std::nullopt;
}

// An existing file that this user may not write keeps its place and its bytes.
std::optional<std::string> refuse_unwritable(const fs::path& path, const std::string& shown) {
  std::error_code error;
  fs::file_status target = fs::status(path, error);
  if (!fs::exists(target)) return std::nullopt;
  if (fs::is_directory(target)) return failure("cannot write", shown, EISDIR);
  if (!fs::is_regular_file(target)) return "cannot write " + shown + ": not a regular file";
  std::FILE* probe = _wfopen(path.c_str(), L"ab");
  if (!probe) return failure("cannot write", shown, errno ? errno : EACCES);
  std::fclose(probe);
  return std::nullopt;
}

// Writes the text into a new temporary file in `folder`; its name is registered
// for removal while it exists.
std::optional<std::string> write_temporary(const fs::path& folder, const std::string& shown,
                                           std::string_view text,
                                           std::optional<PendingTemporary>& temporary) {
  watch_console_end();
  for (int attempt = 0; attempt < 64; ++attempt) {
    fs::path name = folder / temporary_name();
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return failure("cannot create a file beside", shown, EACCES);
    }
    temporary.emplace(std::move(name));
    int error = 0;
    bool written = write_handle(handle, text, error);
    CloseHandle(handle);
    if (!written) return failure("cannot write", shown, error);
    return std::nullopt;
  }
  return failure("cannot create a file beside", shown, EEXIST);
}

}  // namespace

std::optional<std::string> read_text_file(std::string_view name, FileIdentity* identity) {
  fs::path path = native_path(name);
  std::error_code error;
  if (path.empty() || !fs::is_regular_file(path, error)) return std::nullopt;
  if (identity) {
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information;
    bool known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known) return std::nullopt;
    identity->device = information.dwVolumeSerialNumber;
    identity->index =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return as_text(std::move(text));
}

FileKind file_kind(std::string_view name) {
  fs::path path = native_path(name);
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return FileKind::missing;
  if (fs::is_regular_file(status)) return FileKind::regular;
  if (fs::is_directory(status)) return FileKind::folder;
  return is_character_device(path) ? FileKind::device : FileKind::other;
}

#else

namespace {

// The temporary file that SIGINT, SIGTERM or SIGHUP must remove, while one has a
// name. The handler removes it and ends the process with the signal's usual
// action, so that the caller sees the usual status.
std::atomic<const char*> pending_temporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temporary_and_end(int signal_number) {
  // Only async-signal-safe calls here.
  if (const char* name = pending_temporary.load()) unlink(name);
  std::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// Installed once, for the signals whose action is the default one (a signal
// the caller ignores stays ignored).
void watch_ending_signals() {
  static const bool installed = [] {
    for (int signal_number : kEndingSignals) {
      struct sigaction current {};
      if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
        continue;
      struct sigaction action {};
      action.sa_handler = remove_temporary_and_end;
      sigemptyset(&action.sa_mask);
      sigaction(signal_number, &action, nullptr);
    }
    return true;
  }();
  (void)installed;
}

// The ending signals wait while a temporary file gets or gives up its name, so
// that no signal falls between the two.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal_number : kEndingSignals) sigaddset(&held, signal_number);
    sigprocmask(SIG_BLOCK, &held, &before_);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_;
};

// The name is registered while the temporary file has it.
class PendingTemporary {
 public:
  explicit PendingTemporary(fs::path name) : name_(std::move(name)) {
    pending_temporary.store(name_.c_str());
  }
  ~PendingTemporary() {
    SignalsHeld held;
    pending_temporary.store(nullptr);
  }
  PendingTemporary(const PendingTemporary&) = delete;
  PendingTemporary& operator=(const PendingTemporary&) = delete;
  const fs::path& name() const { return name_; }

 private:
  fs::path name_;
};

bool write_descriptor(int descriptor, std::string_view text, int& error) {
  while (!text.empty()) {
    ssize_t written = ::write(descriptor, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Closes the descriptor; false (with `error`) when the last writes failed.
bool close_descriptor(int descriptor, int& error) {
  if (::close(descriptor) == 0) return true;
  error = errno;
  return false;
}

std::optional<std::string> write_directly(const fs::path& path, const std::string& shown,
                                          std::string_view text) {
  int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return failure("cannot write", shown, errno);
  int error = 0;
  bool written = write_descriptor(descriptor, text, error);
  if (!close_descriptor(descriptor, error) || !written)
    return failure("cannot write", shown, error);
  return std::nullopt;
}

// An existing file that this user may not write keeps its place and its bytes,
// even where the folder would allow a rename over it. Anything but a regular
// file (a folder, a pipe) is never written.
std::optional<std::string> refuse_unwritable(const fs::path& path, const std::string& shown) {
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) return std::nullopt;
  if (S_ISDIR(target.st_mode)) return failure("cannot write", shown, EISDIR);
  if (!S_ISREG(target.st_mode)) return "cannot write " + shown + ": not a regular file";
  int probe = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
  if (probe < 0) return failure("cannot write", shown, errno);
  ::close(probe);
  return std::nullopt;
}

// A file without a name in `folder`, where the file system allows it (-1 when
// not): nothing is left of it if the process ends before it is named.
int open_unnamed(const fs::path& folder) {
#ifdef O_TMPFILE
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
  (void)folder;
  return -1;
#endif
}

// Gives the unnamed file a temporary name in `folder`, registered for removal.
// False when the platform cannot name it (no /proc): it is then written anew.
bool name_unnamed(int descriptor, const fs::path& folder,
                  std::optional<PendingTemporary>& temporary) {
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  for (int attempt = 0; attempt < 64; ++attempt) {
    fs::path name = folder / temporary_name();
    SignalsHeld held;
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporary.emplace(std::move(name));
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// A new named file in `folder`, registered for removal; -1 with `error` set when
// none can be created.
int open_named(const fs::path& folder, std::optional<PendingTemporary>& temporary, int& error) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    fs::path name = folder / temporary_name();
    SignalsHeld held;
    int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      temporary.emplace(std::move(name));
      return descriptor;
    }
    if (errno != EEXIST) break;
  }
  error = errno ? errno : EEXIST;
  return -1;
}

// Gives the new file the owner and permissions of the file it replaces, where
// there is one. The owner is kept where this user may give it (a run by the
// superuser leaves the user's file the user's); the permissions always.
bool take_over(int descriptor, const std::optional<struct stat>& replaced, int& error) {
  if (!replaced) return true;
  // Where this user may not give the file away, it stays this user's.
  static_cast<void>(::fchown(descriptor, replaced->st_uid, replaced->st_gid) == 0);
  if (::fchmod(descriptor, replaced->st_mode & 07777) == 0) return true;
  error = errno;
  return false;
}

// Writes the text into a new temporary file in `folder` that takes over the
// file it replaces (`replaced`, when there is one); the file has a name,
// registered for removal, once this returns nothing.
std::optional<std::string> write_temporary(const fs::path& folder, const std::string& shown,
                                           std::string_view text,
                                           const std::optional<struct stat>& replaced,
                                           std::optional<PendingTemporary>& temporary) {
  watch_ending_signals();
  int error = 0;
  int descriptor = open_unnamed(folder);
  if (descriptor >= 0) {
    bool written =
        write_descriptor(descriptor, text, error) && take_over(descriptor, replaced, error);
    bool named = written && name_unnamed(descriptor, folder, temporary);
    if (!close_descriptor(descriptor, error) && named) return failure("cannot write", shown, error);
    if (!written) return failure("cannot write", shown, error ? error : EIO);
    if (named) return std::nullopt;
  }
  descriptor = open_named(folder, temporary, error);
  if (descriptor < 0) return failure("cannot create a file beside", shown, error);
  bool written =
      write_descriptor(descriptor, text, error) && take_over(descriptor, replaced, error);
  if (!close_descriptor(descriptor, error) || !written)
    return failure("cannot write", temporary->name().string(), error ? error : EIO);
  return std::nullopt;
}

bool is_character_device(const fs::path& path) {
  struct stat target {};
  return ::stat(path.c_str(), &target) == 0 && S_ISCHR(target.st_mode);
}

}  // namespace

std::optional<std::string> read_text_file(std::string_view name, FileIdentity* identity) {
  fs::path path = native_path(name);
  if (path.empty()) return std::nullopt;
  // Opened without waiting, so that a pipe is refused instead of waited on.
  int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  struct stat file {};
  if (::fstat(descriptor, &file) != 0 || !S_ISREG(file.st_mode)) {
    ::close(descriptor);
    return std::nullopt;
  }
  if (identity) *identity = {static_cast<std::uint64_t>(file.st_dev), file.st_ino};
  std::string text;
  text.reserve(static_cast<std::size_t>(file.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(descriptor, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(descriptor);
      return std::nullopt;
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(descriptor);
  return as_text(std::move(text));
}

FileKind file_kind(std::string_view name) {
  struct stat target {};
  if (::stat(native_path(name).c_str(), &target) != 0)
    return errno == ELOOP ? FileKind::link_loop : FileKind::missing;
  if (S_ISREG(target.st_mode)) return FileKind::regular;
  if (S_ISDIR(target.st_mode)) return FileKind::folder;
  if (S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode)) return FileKind::device;
  if (S_ISFIFO(target.st_mode)) return FileKind::pipe;
  return FileKind::other;
}

#endif

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

std::optional<std::string> replace_file(std::string_view name, std::string_view text) {
  const std::string shown(name);
  std::optional<fs::path> reached = written_through(native_path(name));
  if (!reached) return failure("cannot write", shown, ELOOP);
  const fs::path& path = *reached;
  if (is_character_device(path)) return write_directly(path, shown, text);
  if (auto refused = refuse_unwritable(path, shown)) return refused;
  std::optional<PendingTemporary> temporary;
#ifdef _WIN32
  std::optional<std::string> reason = write_temporary(folder_of(path), shown, text, temporary);
#else
  std::optional<struct stat> replaced(std::in_place);
  if (::stat(path.c_str(), &*replaced) != 0) replaced.reset();
  std::optional<std::string> reason =
      write_temporary(folder_of(path), shown, text, replaced, temporary);
#endif
  if (!reason) reason = refuse_unwritable(path, shown);
  if (!reason) {
    std::error_code renamed;
    fs::rename(temporary->name(), path, renamed);
    if (!renamed) {
      temporary.reset();
      return std::nullopt;
    }
    reason = "cannot replace " + shown + ": " + renamed.message();
  }
  if (temporary) {
    std::error_code ignored;
    fs::remove(temporary->name(), ignored);
  }
  return reason;
}

void remove_file(std::string_view name) {
  const std::string shown(name);
  fs::path path = native_path(name);
  std::error_code error;
  // Only what replace_file could replace: never a folder, a device or pipe that
  // stood as the output, nor a file this user keeps from writes. Of a link the
  // link goes, not the file it names.
  if (refuse_unwritable(path, shown) || !fs::is_regular_file(fs::status(path, error))) return;
  fs::remove(path, error);
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
