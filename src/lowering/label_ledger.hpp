// The labels that block lowering writes and the labels its lines jump to. A
// jump to a label that is never written would fail only in the assembler or the
// linker, far from its cause; the control pass reports every such label instead.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/line_origins.hpp"

namespace vonx {

class LabelLedger {
 public:
  // A label name is its word followed by its number.
  void define(std::string_view name) { defined_.emplace(name); }
  void refer(std::string_view name) {
    if (referred_.emplace(name).second) first_references_.push_back({std::string(name), at_});
  }
  // The line whose lowering makes the references that follow.
  void at(LineOrigin origin) { at_ = origin; }

  struct Reference {
    std::string label;
    LineOrigin origin;  // of the line that first referred to it
  };
  // Every label referred to but never written, in the order of the first reference.
  std::vector<Reference> undefined() const {
    std::vector<Reference> missing;
    for (const Reference& reference : first_references_)
      if (!defined_.count(reference.label)) missing.push_back(reference);
    return missing;
  }

 private:
  std::unordered_set<std::string> defined_;
  std::unordered_set<std::string> referred_;
  std::vector<Reference> first_references_;
  LineOrigin at_;
};

}  // namespace vonx
