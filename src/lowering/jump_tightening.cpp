#include "lowering/jump_tightening.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/jump_marker.hpp"
#include "common/text.hpp"

namespace vonx {

namespace {

constexpr int kNoLabel = -1;

// A label of lowering's, as a jump marker names it: the code of its label word
// and its number.
struct LoweredName {
  LabelCode code;
  long number;
};

// A label word of lowering's followed by a decimal number without a leading zero.
std::optional<LoweredName> lowered_name(std::string_view name) {
  std::size_t digits = name.size();
  while (digits > 0 && is_digit(name[digits - 1])) --digits;
  const std::size_t count = name.size() - digits;
  if (digits == 0 || count == 0 || count > 9 || (count > 1 && name[digits] == '0'))
    return std::nullopt;
  const LabelCode code = code_of_word(name.substr(0, digits));
  if (code == LabelCode::none) return std::nullopt;
  long number = 0;
  for (std::size_t i = digits; i < name.size(); ++i) number = number * 10 + (name[i] - '0');
  return LoweredName{code, number};
}

// A line that holds one word and a colon: a label of the user's own.
bool is_user_label_line(std::string_view text) {
  const std::string_view label = trim_left(trim_right(text));
  return label.size() > 1 && label.back() == ':' &&
         label.find_first_of(" \t\v\f\r:") == label.size() - 1;
}

enum class LineKind {
  other,       // an instruction or anything not known to run nothing
  blank,       // reaches no output
  label,       // a label line of lowering's
  user_label,  // a label of the user's own ("name:"): it may be jumped to from anywhere
  jump,        // a goto, break or continue line
  term,        // a test: to its first label when it holds, to its second when it fails
};

struct Line {
  std::string_view text;
  LineOrigin origin;
  LineKind kind = LineKind::other;
  bool transfers = false;  // other: control does not run on into the next line (a goto)
  bool marker = false;     // jump: a break or continue line, named by its jump marker
  std::size_t keep = 0;    // the text before the label of a goto, or before the marker
  std::size_t rest = 0;    // where the text after that label or marker begins
  int label = kNoLabel;    // label, user_label: the label the line defines
  int targets[2] = {kNoLabel, kNoLabel};  // jump: [0]; term: holds, fails
  bool removed = false;
  bool retargeted = false;
};

struct Label {
  std::optional<LoweredName> lowered;  // a label of lowering's: how a marker names it
  std::string name;                    // else its name as the assembler sees it
  std::ptrdiff_t definition = -1;      // the line that defines it; kSeveral: more than one
  int jumps = 0;                       // the lines kept that jump to it
  bool mentioned = false;              // text of the user's names it
  // A label of the user's own: the label of lowering's that tightening writes
  // right before it, for the markers that jump there.
  int entry = -1;
};

constexpr std::ptrdiff_t kSeveral = -2;

class Tightening {
 public:
  Tightening(const FileSession& session, const WorkText& lowered)
      : head_(session.settings.label_head_text),
        end_(session.settings.label_end_text),
        dense_numbers_(lowered.origins.size() + 64) {
    WorkTextReader reader(lowered);
    std::string_view text;
    LineOrigin origin;
    while (reader.next(text, origin)) {
      lines_.push_back({text, origin});
      classify(lines_.back(), lines_.size() - 1);
    }
    for (Line& line : lines_) {
      if (line.kind == LineKind::other) note_mentions(line.text);
      if (line.kind == LineKind::term) note_mentions(line.text.substr(0, line.keep));
      for (int id : line.targets)
        if (id != kNoLabel) ++label(id).jumps;
    }
  }

  WorkText run() {
    // Each step can open the way for another: a dropped jump lets the labels
    // around it meet, a threaded jump leaves the jump after its old label
    // unreachable. Every round is sound on its own; the bound keeps a text
    // built to need many rounds from taking long.
    constexpr int kMostRounds = 64;
    for (int round = 0; round < kMostRounds; ++round) {
      bool changed = drop_jumps_to_next_line();
      changed = drop_unreachable_jumps() || changed;
      changed = thread_jumps() || changed;
      if (!changed) break;
    }
    return write();
  }

 private:
  // The label of an assembler name, created on first sight unless `find_only`
  // (kNoLabel then). A text holds a label of lowering's for about every line:
  // those are found by word and number, the others by name.
  int label_of(std::string_view name, bool find_only = false) {
    if (name.starts_with(head_))
      if (std::optional<LoweredName> lowered = lowered_name(name.substr(head_.size())))
        return lowered_label(*lowered, find_only);
    if (auto found = named_.find(name); found != named_.end()) return found->second;
    if (find_only) return kNoLabel;
    const int id = new_label();
    label(id).name = name;
    named_.emplace(std::string(name), id);
    return id;
  }

  int lowered_label(LoweredName lowered, bool find_only = false) {
    // Numbers beyond the count of lines are no lowering's; they go by name.
    const auto number = static_cast<std::size_t>(lowered.number);
    if (number > dense_numbers_) {
      const std::string name = name_of(lowered);
      if (auto found = named_.find(name); found != named_.end()) return found->second;
      if (find_only) return kNoLabel;
      const int id = new_label();
      label(id).lowered = lowered;
      named_.emplace(name, id);
      return id;
    }
    std::vector<int>& numbered = by_word_[static_cast<std::size_t>(lowered.code)];
    if (numbered.size() <= number) {
      if (find_only) return kNoLabel;
      numbered.resize(number + 1, kNoLabel);
    }
    int& id = numbered[number];
    if (id == kNoLabel && !find_only) {
      id = new_label();
      label(id).lowered = lowered;
    }
    return id;
  }

  int new_label() {
    labels_.emplace_back();
    return static_cast<int>(labels_.size()) - 1;
  }

  std::string name_of(LoweredName lowered) const {
    return std::string(head_) + std::string(label_word(lowered.code)) + decimal(lowered.number);
  }

  std::string name_of(int id) const {
    const Label& named = label(id);
    return named.lowered ? name_of(*named.lowered) : named.name;
  }

  Label& label(int id) { return labels_[static_cast<std::size_t>(id)]; }
  const Label& label(int id) const { return labels_[static_cast<std::size_t>(id)]; }

  void define(Line& line, std::size_t index, LineKind kind, std::string_view name) {
    line.kind = kind;
    line.label = label_of(name);
    std::ptrdiff_t& definition = label(line.label).definition;
    definition = definition == -1 ? static_cast<std::ptrdiff_t>(index) : kSeveral;
  }

  void classify(Line& line, std::size_t index) {
    const std::string_view text = line.text;
    if (is_blank(text)) {
      line.kind = LineKind::blank;
      return;
    }
    if (text.starts_with(head_) && text.ends_with(end_) &&
        text.size() > head_.size() + end_.size() &&
        lowered_name(text.substr(head_.size(), text.size() - head_.size() - end_.size()))) {
      define(line, index, LineKind::label, text.substr(0, text.size() - end_.size()));
      return;
    }
    if (is_user_label_line(text)) {
      const std::string_view label = trim_left(trim_right(text));
      define(line, index, LineKind::user_label, label.substr(0, label.size() - 1));
      return;
    }
    if (classify_goto(line)) return;
    classify_marker_line(line);
  }

  // "goto" and one word, the label it jumps to (of lowering's or the user's);
  // after a goto of any other form control does not run on either.
  bool classify_goto(Line& line) {
    const std::string_view text = line.text;
    const std::string_view start = after_white(text, text.size());
    if (!start.starts_with("goto") || start.size() < 5 || (start[4] != ' ' && start[4] != '\t'))
      return false;
    line.transfers = true;
    const std::string_view target = trim_left(trim_right(start.substr(4)));
    if (target.empty() || target.find_first_of(" \t\v\f\r") != std::string_view::npos) return true;
    line.kind = LineKind::jump;
    line.keep = static_cast<std::size_t>(target.data() - text.data());
    line.rest = line.keep + target.size();
    line.targets[0] = label_of(target);
    return true;
  }

  // A term line (a marker of four fields) or a break or continue line (two
  // fields), as lowering writes them; the marker ends the line.
  void classify_marker_line(Line& line) {
    const std::string_view text = line.text;
    const std::size_t at = text.rfind(kJumpMarkerOpen);
    if (at == std::string_view::npos) return;
    const MarkerReading reading = read_jump_marker(text.substr(at));
    if (!reading.well_formed || !is_blank(text.substr(at + reading.length))) return;
    // Each code takes the first or the second number by its kind.
    const auto target = [&](int code_field) {
      const LabelCode code = label_code_of(reading.fields[code_field]);
      if (code == LabelCode::none) return kNoLabel;
      const long long number = reading.fields[takes_second_number(code) ? 3 : 1];
      // No label of lowering's has a number beyond the count of lines.
      if (number < 0 || static_cast<unsigned long long>(number) > dense_numbers_) return kNoLabel;
      return lowered_label({code_of_word(label_word(code)), static_cast<long>(number)});
    };
    if (reading.field_count == 4) {
      const int holds = target(0);
      const int fails = target(2);
      if (holds == kNoLabel || fails == kNoLabel) return;
      line.kind = LineKind::term;
      line.targets[0] = holds;
      line.targets[1] = fails;
    } else {
      const std::string_view statement = trim_left(trim_right(text.substr(0, at)));
      // The second number of a two-field marker is the one the marker before it
      // left: only a code that takes the first number names its label here.
      if (reading.field_count != 2 || (statement != "break" && statement != "continue") ||
          takes_second_number(label_code_of(reading.fields[0])))
        return;
      const int to = target(0);
      if (to == kNoLabel) return;
      line.kind = LineKind::jump;
      line.marker = true;
      line.targets[0] = to;
    }
    line.keep = at;
    line.rest = at + reading.length;
  }

  // Names of lowering's labels in text of the user's: such a label may be
  // jumped to from there, so what follows it is never unreachable.
  void note_mentions(std::string_view text) {
    const auto note = [&](std::size_t from, std::size_t start) {
      std::size_t to = start;
      while (to < text.size() && is_alnum(text[to])) ++to;
      if (to == start) return to + 1;
      // A label name ends with its number.
      if (!is_digit(text[to - 1])) return to;
      if (const int id = label_of(text.substr(from, to - from), true); id != kNoLabel)
        label(id).mentioned = true;
      return to;
    };
    if (head_.empty()) {
      for (std::size_t at = 0; at < text.size();) at = note(at, at);
      return;
    }
    for (std::size_t at = text.find(head_); at != std::string_view::npos;
         at = text.find(head_, at + 1))
      note(at, at + head_.size());
  }

  // A label that something may jump to. A label of the user's own may be
  // jumped to from anywhere, also from other files.
  bool referenced(int id) const {
    const Label& named = label(id);
    return named.jumps > 0 || named.mentioned || !named.lowered || named.definition == kSeveral;
  }

  // Lines that run no instruction: blank lines, lines dropped and labels.
  static bool passed_over(const Line& line) {
    return line.removed || line.kind == LineKind::blank || line.kind == LineKind::label ||
           line.kind == LineKind::user_label;
  }

  // For every line, the first line at or after it that runs an instruction (or
  // the end), found from the end backwards before each step that asks. A line
  // that a step drops changes the answer only for the lines before it, which a
  // step walking forwards has passed.
  void find_next_instructions() {
    next_.resize(lines_.size() + 1);
    next_[lines_.size()] = lines_.size();
    for (std::size_t i = lines_.size(); i-- > 0;)
      next_[i] = passed_over(lines_[i]) ? next_[i + 1] : i;
  }

  std::size_t next_instruction(std::size_t from) const { return next_[from]; }

  // The label is defined among the lines right after line `at` that run nothing.
  bool stands_next(std::size_t at, int id) const {
    const std::ptrdiff_t definition = label(id).definition;
    return definition > static_cast<std::ptrdiff_t>(at) &&
           next_[at + 1] > static_cast<std::size_t>(definition);
  }

  void remove(Line& line) {
    line.removed = true;
    for (int id : line.targets)
      if (id != kNoLabel) --label(id).jumps;
  }

  void retarget(Line& line, int slot, int id) {
    --label(line.targets[slot]).jumps;
    ++label(id).jumps;
    line.targets[slot] = id;
    line.retargeted = true;
  }

  bool drop_jumps_to_next_line() {
    find_next_instructions();
    bool changed = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      Line& line = lines_[i];
      if (line.removed || line.kind != LineKind::jump || !stands_next(i, line.targets[0])) continue;
      remove(line);
      changed = true;
    }
    return changed;
  }

  // After a jump or a test control reaches the next line only through a label
  // that something jumps to; the jumps and tests before such a label are never
  // run. Lines of other text are kept and end the search.
  bool drop_unreachable_jumps() {
    bool changed = false;
    bool unreachable = false;
    for (Line& line : lines_) {
      if (line.removed) continue;
      switch (line.kind) {
        case LineKind::blank:
          break;
        case LineKind::label:
        case LineKind::user_label:
          if (referenced(line.label)) unreachable = false;
          break;
        case LineKind::jump:
        case LineKind::term:
          if (unreachable) {
            remove(line);
            changed = true;
          }
          unreachable = true;
          break;
        case LineKind::other:
          unreachable = line.transfers;
          break;
      }
    }
    return changed;
  }

  // A jump to a label whose next instruction is a jump goes where that jump
  // goes. A test's label that stands right after it is left alone when other
  // lines jump there too: the test falls through to it for nothing.
  bool thread_jumps() {
    find_next_instructions();
    final_.assign(labels_.size(), kUnknown);
    bool changed = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      Line& line = lines_[i];
      if (line.removed || (line.kind != LineKind::jump && line.kind != LineKind::term)) continue;
      for (int slot = 0; slot < (line.kind == LineKind::term ? 2 : 1); ++slot) {
        const int id = line.targets[slot];
        if (stands_next(i, id) &&
            (line.kind == LineKind::jump || label(id).jumps > 1 || referenced_elsewhere(id)))
          continue;
        int to = final_label(id);
        if (to == id) continue;
        // A marker names only labels of lowering's, and the name of a label of
        // the user's own may mean another label at another place (a local
        // label of the assembler's): the jump goes to a label of lowering's
        // written right before it.
        if (!label(to).lowered) to = entry_label(to);
        retarget(line, slot, to);
        changed = true;
      }
    }
    return changed;
  }

  // The label of lowering's written right before the label of the user's own
  // `user` (defined once), made on first use.
  int entry_label(int user) {
    const std::ptrdiff_t definition = label(user).definition;
    if (label(user).entry == kNoLabel) {
      int entry = kNoLabel;
      do {
        entry = lowered_label({LabelCode::user_label, ++entries_});
      } while (label(entry).definition != -1 || label(entry).jumps != 0 || label(entry).mentioned);
      label(entry).definition = definition;
      label(user).entry = entry;
    }
    return label(user).entry;
  }

  bool referenced_elsewhere(int id) const {
    const Label& named = label(id);
    return named.mentioned || !named.lowered;
  }

  // Where a jump to the label ends up, following the jumps that stand right
  // after labels. Only a label defined once in the text is gone on to: a name
  // defined elsewhere or nowhere (another file's, "1b", "." of the assembler)
  // or defined more than once may mean another place where the jump stands.
  int final_label(int id) {
    std::vector<int>& known = final_;
    known.resize(labels_.size(), kUnknown);  // labels made during the round
    path_.clear();
    int at = id;
    int result = id;
    while (true) {
      const int found = known[static_cast<std::size_t>(at)];
      if (found >= 0) {
        result = found;
        break;
      }
      if (found == kOnPath) {
        // A ring: its labels stay as they are, the labels that lead into it
        // go to where they enter it.
        bool on_ring = false;
        for (int on : path_) {
          on_ring = on_ring || on == at;
          known[static_cast<std::size_t>(on)] = on_ring ? on : at;
        }
        return known[static_cast<std::size_t>(id)];
      }
      known[static_cast<std::size_t>(at)] = kOnPath;
      path_.push_back(at);
      const std::ptrdiff_t definition = label(at).definition;
      const std::size_t next =
          definition < 0 ? lines_.size() : next_instruction(static_cast<std::size_t>(definition));
      if (next == lines_.size() || lines_[next].kind != LineKind::jump ||
          label(lines_[next].targets[0]).definition < 0) {
        result = at;
        break;
      }
      at = lines_[next].targets[0];
    }
    for (int on : path_) known[static_cast<std::size_t>(on)] = result;
    return result;
  }

  JumpTarget target_of(int id) const {
    if (id == kNoLabel) return {LabelCode::none, 0};
    const LoweredName& name = *label(id).lowered;
    return {name.code, name.number};
  }

  WorkText write() {
    find_next_instructions();
    std::string out;
    OriginRecorder origins(out);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const Line& line = lines_[i];
      if (line.removed) continue;
      const std::string_view before = line.text.substr(0, line.keep);
      const std::string_view after = line.text.substr(line.rest);
      int next = next_none;
      if (line.kind == LineKind::term) {
        if (stands_next(i, line.targets[0])) next |= next_first;
        if (stands_next(i, line.targets[1])) next |= next_second;
      }
      if (line.kind == LineKind::term && (next != next_none || line.retargeted)) {
        out += before;
        out += tightened_marker(target_of(line.targets[0]), target_of(line.targets[1]), next);
        out += after;
      } else if (line.kind == LineKind::jump && line.retargeted) {
        out += before;
        if (line.marker)
          out += tightened_marker(target_of(line.targets[0]), target_of(kNoLabel), next_none);
        else
          out += name_of(line.targets[0]);
        out += after;
      } else {
        if (line.kind == LineKind::user_label) write_entry_label(label(line.label).entry, out);
        out += line.text;
      }
      origins.lines_from(line.origin);
    }
    return origins.finish(std::move(out));
  }

  void write_entry_label(int entry, std::string& out) const {
    if (entry == kNoLabel || label(entry).jumps == 0) return;
    out += name_of(entry);
    out += end_;
  }

  static constexpr int kUnknown = -1;
  static constexpr int kOnPath = -2;

  std::string_view head_;
  std::string_view end_;
  std::vector<Line> lines_;
  std::vector<Label> labels_;
  // Labels of lowering's by code and number, the others by name.
  std::vector<int> by_word_[static_cast<std::size_t>(LabelCode::user_label) + 1];
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> named_;
  std::size_t dense_numbers_ = 0;
  std::vector<int> final_;  // per round: where each label's jumps end up
  std::vector<int> path_;
  std::vector<std::size_t> next_;  // see find_next_instructions
  long entries_ = 0;               // the number of the last entry label made
};

}  // namespace

WorkText tighten_jumps(const FileSession& session, const WorkText& lowered) {
  const std::string& end = session.settings.label_end_text;
  // Without a line end after its labels the text is no list of lines to tighten.
  if (session.preprocess_only || end.empty() || end.back() != '\n') return lowered;
  return Tightening(session, lowered).run();
}

}  // namespace vonx
