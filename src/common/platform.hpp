// The platform edge. Inside the converter a path is a string of bytes: UTF-8 on
// Windows (converted here from and to the UTF-16 of its wide API), the bytes as
// given on POSIX. The console shows the catalogue's code page 932 text readably
// when a person reads it as Unicode; pipes and files get the bytes unchanged.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace vonx {

// Every command-line word, the program path first (Windows: read as UTF-16 and
// converted to UTF-8; POSIX: argv as it is).
std::vector<std::string> command_line_words(int argc, char** argv);

// The running executable's own path; empty when the platform does not tell it.
std::string executable_path();

// A path to be put into a code page 932 message. Windows converts UTF-8 to code
// page 932, a character it cannot represent becoming "?"; POSIX keeps the bytes.
std::string path_in_code_page_932(std::string_view path);

// Code page 932 text as UTF-8. A byte that begins no character is replaced
// ("?" on POSIX, the code page's own replacement character on Windows).
std::string code_page_932_to_utf8(std::string_view text);

// Standard output and error write their bytes unchanged ("\n" stays "\n").
void use_binary_console_output();

// True when standard output is a Windows console, or a POSIX terminal whose
// locale uses UTF-8.
bool console_reads_unicode();

// The stream for console text: on a Windows console it takes UTF-8 and writes
// Unicode through the console API; everywhere else standard output.
std::ostream& console_stream(bool unicode);

// The stream for the located lines, which are UTF-8: standard error, written as
// Unicode through the console API when it is a Windows console.
std::ostream& error_stream();

// True when standard input is a terminal (a Windows console): a person is there
// to press a key.
bool standard_input_is_terminal();

}  // namespace vonx
