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
  void define(std::string_view word, long number) { defined_.insert(key(word, number)); }
  void refer(std::string_view word, long number) {
    std::string label = key(word, number);
    if (referred_.insert(label).second) first_references_.push_back(std::move(label));
  }
  // Label word and number of every label referred to but never written, in the
  // order of the first reference.
  std::vector<std::string> undefined() const {
    std::vector<std::string> missing;
    for (const std::string& label : first_references_)
      if (!defined_.count(label)) missing.push_back(label);
    return missing;
  }

 private:
  // Label words hold no digits, so the word and the number make a unique text.
  static std::string key(std::string_view word, long number) {
    return std::string(word) + std::to_string(number);
  }

  std::unordered_set<std::string> defined_;
  std::unordered_set<std::string> referred_;
  std::vector<std::string> first_references_;
};

}  // namespace vonx
