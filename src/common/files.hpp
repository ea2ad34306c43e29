// File access for the converter: whole texts in, whole texts out, and paths in
// which both "/" and "\" separate components.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vonx {

// Who a file is, whatever name reaches it: device and inode on POSIX, volume
// and file index on Windows.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct FileIdentityHash {
  std::size_t operator()(const FileIdentity& id) const {
    return std::hash<std::uint64_t>{}(id.device * 0x9e3779b97f4a7c15ULL ^ id.index);
  }
};

// What a name leads to, its symbolic links followed.
enum class FileKind { missing, regular, folder, device, pipe, other, link_loop };
FileKind file_kind(std::string_view name);

// Reads a whole file as text. Line ends "\r\n" become "\n", as a text-mode read
// gives them on the platform where sources are usually written, and a UTF-8
// byte order mark that begins the file is dropped (editors put it there; the
// bytes begin no character of code page 932). Empty when the file cannot be
// opened or is not a regular file (a pipe is never waited on). With `identity`,
// sets who the file read is.
std::optional<std::string> read_text_file(std::string_view name, FileIdentity* identity = nullptr);

// Reads standard input to its end, as read_text_file reads a file (on Windows
// in binary mode, so that the bytes come as they are). Empty when it cannot be
// read (closed, or a read failed).
std::optional<std::string> read_standard_input();

// Writes the text to standard output, byte for byte. Returns the reason (one
// line of English) when it could not be written whole.
std::optional<std::string> write_standard_output(std::string_view text);

// Writes a whole file so that no half-written file is ever left: the text goes
// into a new temporary file in the target's folder (unnamed where the platform
// allows, else a short name ".vonx-HEX.tmp" that fits wherever the target's name
// fits), which takes the target's name only when complete and is removed on any
// failure and when SIGINT, SIGTERM or SIGHUP (Ctrl-C or closing the console on
// Windows) ends the process meanwhile. A replaced file keeps its permissions
// (and, on POSIX, its owner where this user may give it); a symbolic link is
// written through to the file it names; a character device (/dev/null, NUL) is
// written directly. An existing file that cannot be opened for writing, a folder
// and any other kind of file are left alone. Returns the
// reason (one line of English) when the file could not be written.
std::optional<std::string> replace_file(std::string_view name, std::string_view text);

// Removes a file if it exists and replace_file could replace it: a folder,
// anything but a regular file, and a file this user may not write are left
// alone. Of an output that is a symbolic link, the link goes, not its file.
void remove_file(std::string_view name);

// The name as this platform opens it: on POSIX a "\" separates components too;
// on Windows the UTF-8 name becomes the UTF-16 of the wide file functions.
// Defined with the other platform code, in platform.cpp.
std::filesystem::path native_path(std::string_view name);

// Position just after the last "/" or "\" (0 when there is none).
std::size_t base_name_start(std::string_view path);

bool has_separator(std::string_view name);

// A folder for a message: the path as given, or "the current folder" when empty.
std::string folder_text(std::string_view folder);

}  // namespace vonx
