// File access for the converter: whole texts in, whole texts out, and paths in
// which both "/" and "\" separate components.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vonx {

// Reads a whole file as text. Line ends "\r\n" become "\n", as a text-mode read
// gives them on the platform where sources are usually written, and a UTF-8
// byte order mark that begins the file is dropped (editors put it there; the
// bytes begin no character of code page 932). Empty when the file cannot be
// opened or is not a regular file.
std::optional<std::string> read_text_file(std::string_view name);

// Reads standard input to its end, as read_text_file reads a file (on Windows
// in binary mode, so that the bytes come as they are). Empty when it cannot be
// read (closed, or a read failed).
std::optional<std::string> read_standard_input();

// Writes the text to standard output, byte for byte. Returns the reason (one
// line of English) when it could not be written whole.
std::optional<std::string> write_standard_output(std::string_view text);

// Writes a whole file so that no half-written file is ever left: the text goes
// into an exclusively created, uniquely named temporary file in the same folder,
// which takes the file's name only when complete and is removed on any failure.
// An existing file that cannot be opened for writing is left alone. Returns the
// reason (one line of English) when the file could not be written.
std::optional<std::string> replace_file(std::string_view name, std::string_view text);

// Removes a file if it exists and replace_file could replace it: a folder,
// anything but a regular file, and a file this user may not write are left alone.
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
