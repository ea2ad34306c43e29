#include "driver/dependency_file.hpp"

#include "common/files.hpp"

namespace vonx {

namespace {

// Lines are continued before a name that would pass this column.
constexpr std::size_t kLastColumn = 72;

// A blank or tab is preceded by a backslash, and every backslash just before it
// is doubled, so that make reads the name back whole.
std::string make_name(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c == ' ' || c == '\t') {
      for (std::size_t back = i; back > 0 && name[back - 1] == '\\'; --back) out += '\\';
      out += '\\';
    } else if (c == '$') {
      out += '$';
    } else if (c == '#') {
      out += '\\';
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string dependency_rules(std::string_view output, const std::vector<std::string>& prerequisites,
                             bool first_is_source) {
  std::string text = make_name(output) + ":";
  std::size_t column = text.size();
  for (const std::string& prerequisite : prerequisites) {
    std::string name = make_name(prerequisite);
    if (column + name.size() > kLastColumn) {
      text += " \\\n";
      column = 0;
    }
    text += ' ';
    text += name;
    column += name.size() + 1;
  }
  text += '\n';
  for (std::size_t i = first_is_source ? 1 : 0; i < prerequisites.size(); ++i) {
    text += '\n';
    text += make_name(prerequisites[i]);
    text += ":\n";
  }
  return text;
}

std::string dependency_path_of(std::string_view output_path) {
  std::size_t base = base_name_start(output_path);
  std::size_t dot = output_path.rfind('.');
  std::string_view stem =
      dot == std::string_view::npos || dot < base ? output_path : output_path.substr(0, dot);
  return std::string(stem) + ".d";
}

}  // namespace vonx
