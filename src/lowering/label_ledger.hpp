// The labels that block lowering writes and the labels its lines jump to. A
// jump to a label that is never written would fail only in the assembler or the
// linker, far from its cause; the control pass reports every such label instead.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vonx {

class LabelLedger {
 public:
  // A label name is its word followed by its number.
  void define(std::string_view name) { defined_.emplace(name); }
  void refer(std::string_view name) {
    if (referred_.emplace(name).second) first_references_.emplace_back(name);
  }
  // The name of every label referred to but never written, in the order of the
  // first reference.
  std::vector<std::string> undefined() const {
    std::vector<std::string> missing;
    for (const std::string& label : first_references_)
      if (!defined_.count(label)) missing.push_back(label);
    return missing;
  }

 private:
  std::unordered_set<std::string> defined_;
  std::unordered_set<std::string> referred_;
  std::vector<std::string> first_references_;
};

}  // namespace vonx
