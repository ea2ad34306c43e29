// The labels that block lowering writes and the labels its lines jump to. A
// jump to a label that is never written would fail only in the assembler or the
// linker, far from its cause; the control pass reports every such label instead.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/line_origins.hpp"
#include "common/text.hpp"

namespace vonx {

// A set of label numbers. Lowering numbers the labels of each word from 0 or 1
// upwards, so most numbers are kept as bits; a number far beyond those (a name
// of the user's that merely ends in digits) is kept in a hash set, so that the
// bits never outgrow a few per number kept.
class LabelNumbers {
 public:
  // True when the number was not in the set yet.
  bool insert(std::uint64_t number) {
    if (contains(number)) return false;
    if (number >= bits_.size() && number < 4 * count_ + 4096)
      bits_.resize(std::max<std::uint64_t>(number + 1, 2 * bits_.size()));
    ++count_;
    if (number < bits_.size())
      bits_[number] = true;
    else
      sparse_.insert(number);
    return true;
  }
  bool contains(std::uint64_t number) const {
    return (number < bits_.size() && bits_[number]) ||
           (!sparse_.empty() && sparse_.contains(number));
  }

 private:
  std::vector<bool> bits_;
  std::unordered_set<std::uint64_t> sparse_;
  std::uint64_t count_ = 0;  // numbers in the set
};

class LabelLedger {
 public:
  // A label name is its word followed by its number.
  void define(std::string_view name) {
    if (auto key = key_of(name))
      numbers(defined_, *key).insert(number_of(*key));
    else
      other_defined_.emplace(name);
  }
  void refer(std::string_view name) {
    if (auto key = key_of(name)) {
      if (numbers(referred_, *key).insert(number_of(*key)))
        first_references_.push_back({*key, {}, at_});
    } else if (other_referred_.emplace(name).second) {
      first_references_.push_back({0, std::string(name), at_});
    }
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
    for (const Noted& noted : first_references_) {
      if (noted.other.empty() ? defined(noted.key) : other_defined_.contains(noted.other)) continue;
      missing.push_back({noted.other.empty() ? name_of(noted.key) : noted.other, noted.origin});
    }
    return missing;
  }

 private:
  // Lowering writes millions of labels in a long source: they are kept as
  // numbers, the word's place among the words seen above the label's number.
  static constexpr int kNumberBits = 40;

  // The key of a name made of a word and a decimal number as lowering writes it
  // (no leading zero); nothing for any other name, which is kept as text.
  std::optional<std::uint64_t> key_of(std::string_view name) {
    std::size_t digits = name.size();
    while (digits > 0 && is_digit(name[digits - 1])) --digits;
    const std::size_t count = name.size() - digits;
    if (digits == 0 || count == 0 || count > 12 || (count > 1 && name[digits] == '0'))
      return std::nullopt;
    std::uint64_t number = 0;
    for (std::size_t i = digits; i < name.size(); ++i)
      number = number * 10 + static_cast<std::uint64_t>(name[i] - '0');
    const std::string_view word = name.substr(0, digits);
    std::size_t index = 0;
    while (index < words_.size() && words_[index] != word) ++index;
    if (index == words_.size()) words_.emplace_back(word);
    return (static_cast<std::uint64_t>(index) << kNumberBits) | number;
  }

  static std::uint64_t number_of(std::uint64_t key) {
    return key & ((std::uint64_t{1} << kNumberBits) - 1);
  }
  static std::size_t word_of(std::uint64_t key) { return key >> kNumberBits; }

  // The numbers of the key's word in `sets` (one per word seen).
  static LabelNumbers& numbers(std::vector<LabelNumbers>& sets, std::uint64_t key) {
    if (sets.size() <= word_of(key)) sets.resize(word_of(key) + 1);
    return sets[word_of(key)];
  }
  bool defined(std::uint64_t key) const {
    return word_of(key) < defined_.size() && defined_[word_of(key)].contains(number_of(key));
  }

  std::string name_of(std::uint64_t key) const {
    return words_[word_of(key)] + std::to_string(number_of(key));
  }

  struct Noted {
    std::uint64_t key;
    std::string other;  // the name when it has no key
    LineOrigin origin;
  };

  std::vector<std::string> words_;
  std::vector<LabelNumbers> defined_;  // by the word's place in words_
  std::vector<LabelNumbers> referred_;
  std::unordered_set<std::string> other_defined_;
  std::unordered_set<std::string> other_referred_;
  std::vector<Noted> first_references_;
  LineOrigin at_;
};

}  // namespace vonx
