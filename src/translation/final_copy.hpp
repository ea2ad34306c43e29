// The last step of the macro pass: the text the passes left becomes the output
// text, its lines numbered when the source asked for it, and each line that no
// rule translated reported right after it.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "common/line_origins.hpp"
#include "common/session.hpp"
#include "translation/line_store.hpp"
#include "translation/rule_table.hpp"

namespace vonx {

// The goto lines of the lowered text, when the section has goto rules: one that
// reaches the end unchanged was translated by no rule. Without goto rules, goto
// is taken to be the assembler's own instruction.
class GotoLines {
 public:
  explicit GotoLines(const RuleTable& table);
  // A line of the text the passes start from, which must outlive this list.
  void note(std::string_view line, LineOrigin origin);
  // Called once every line is noted, before the first question.
  void noted_all();
  bool left_untranslated(std::string_view line, LineOrigin origin) const;

 private:
  static std::uint64_t key(LineOrigin origin);
  bool has_goto_rule_ = false;
  // By origin (several goto lines may share one), in key order once noted.
  std::vector<std::pair<std::uint64_t, std::string_view>> lines_;
};

// Drains the store into the output text, each line with its origin.
WorkText final_copy(FileSession& session, LineStore& store, const GotoLines& gotos);

}  // namespace vonx
