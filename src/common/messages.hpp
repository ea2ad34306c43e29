// The catalogue of every message the converter prints or writes into an output.
// Passes name an entry; only this catalogue holds the code page 932 bytes.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vonx {

enum class Message {
  banner,         // first banner line
  maker_notice,   // second banner line
  usage,          // "vonx filename filename …"
  drag_and_drop,  // "Please drag and drop."
  memory_failed,  // first line of the storage failure
  reduce_macros,  // second line of the storage failure
  not_found,      // %s: a file name
  cpu_directive_missing,
  rename_to_7pp,
  wrong_extension,
  define_conflict,
  define_cycle,        // substitution that never settles
  expression_error,    // "error: %s"
  missing_open_paren,  // argument of expression_error
  stack_full,          // argument of expression_error
  case_operand_missing,
  braces_unbalanced,
  no_macros,
  angle_brackets_unbalanced,  // %d: a line number
  jump_conversion_failed,
  jump_conversion_error,
  macro_definition_wrong,
  placeholder_missing,  // %s: a placeholder
  macro_not_defined,
  cannot_write,             // %s: a file name
  condition_unconvertible,  // a compound condition whose terms and operators do not form one
                            // expression
  label_undefined,          // %s: a label that lowered lines jump to but that is never written
  default_repeated,         // a second default: in one switch
  section_header_line,      // the reserved settings header of config.txt
  work_limit_rule,          // %d: the config.txt line of the rule whose output grew past the limit
  work_limit_define,        // %s: the name of the #define whose replacements grew past the limit
  comment_unclosed,         // a "/*" whose "*/" never comes
  statement_unknown,        // a line that opens a block but is no control statement
  statement_misplaced,      // %s: break, else or default outside the construct it belongs to
  if_missing,               // %s: an #else, #elif or #endif with no open #if group
  endif_missing,            // %s: an #if, #ifdef or #ifndef whose group is never closed
  text_after_label,         // %s: case or default, followed by text on its line
  do_without_brace,         // a do line that does not open its body with "{"
  scratch_register_used,    // %s: a scratch register of the rule section, used by the source
  directive_unknown,        // a "#" word close to a directive's name that is none
  statement_semicolon,      // %s: break or continue, followed by ";"
  define_unnamed,           // a #define line without a name
  parens_unbalanced,        // a ")" too many after the parentheses of a header
  do_while_split,           // the "}" of a do loop and its "while (...)" on two lines
  work_limit_sweeps,        // #define replacements that would settle only past the work limit
  not_a_file,               // %s: an included name that is a folder, a device or a pipe
  link_loop,                // %s: an included name whose symbolic links lead round in a loop
  nul_byte,                 // a NUL byte in a source or an included file
  catalogue_size,           // not a message: the number of entries, kept last
};

struct CatalogueEntry {
  Message message;
  std::string_view bytes;     // code page 932, "%s" or "%d" where an argument goes
  std::string_view readable;  // the same text in UTF-8, for readers and the encoding test
};

std::span<const CatalogueEntry> message_catalogue();

// The message's bytes with its argument (if it takes one) put in place; no newline.
std::string message_text(Message message, std::string_view argument = {});

}  // namespace vonx
