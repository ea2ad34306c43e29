// File access for the converter: whole texts in, whole texts out, and paths in
// which both "/" and "\" separate components.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vonx {

// Reads a whole file as text. Line ends "\r\n" become "\n", as a text-mode read
// gives them on the platform where sources are usually written. Empty when the
// file cannot be opened or is not a regular file.
std::optional<std::string> read_text_file(std::string_view name);

// Writes a whole file; false when it cannot be created or written.
bool write_text_file(std::string_view name, std::string_view text);

// Removes a file if it exists.
void remove_file(std::string_view name);

// The name as this platform opens it: on POSIX a "\" separates components too.
std::string native_path(std::string_view name);

// Position just after the last "/" or "\" (0 when there is none).
std::size_t base_name_start(std::string_view path);

bool has_separator(std::string_view name);

// A folder for a message: the path as given, or "the current folder" when empty.
std::string folder_text(std::string_view folder);

}  // namespace vonx
