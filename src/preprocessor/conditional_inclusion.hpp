// Conditional inclusion: the #if, #ifdef, #ifndef, #elif, #else and #endif groups
// decide which lines are kept; #warning and #error report; #define and #undef
// lines register the define list's names as they are met.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "preprocessor/define_table.hpp"

namespace vonx {

// What a line (from its first non-white character) does to the #if groups, by
// the spellings conditional inclusion accepts.
enum class GroupLine { none, opens, branch, closes };  // #if… / #elif, #else / #endif
GroupLine group_line(std::string_view start);

// Returns the kept lines with every #define line rewritten from the define list
// and every #undef line unchanged. Each open group keeps its own state, so lines
// after a nested group belong to the group around it. #error stops the copy,
// sets wait_at_end and marks the file failed. Throws ExpressionError from an
// #if or #elif expression.
WorkText conditional_inclusion(FileSession& session, const WorkText& text,
                               const std::vector<DefineLine>& define_list);

}  // namespace vonx
