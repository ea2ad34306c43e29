// The work text of the macro pass as a store of lines that the passes edit in
// place. A line the lowered text brought keeps pointing into that text until a
// rule rewrites it; what the rules write goes into chunks of the store's own. A
// pass walks the store from the first line to the last, visits only the lines
// due in it, and steps over whole blocks of lines that none of it is due in.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/line_origins.hpp"

namespace vonx {

// A pass number no pass reaches: the line waits for a change near it.
constexpr std::uint32_t kNoVisit = UINT32_MAX;

// What the schedule knows of a line's text (a set of these bits).
namespace line_traits {
// A line a window can hold: not blank, no label, as many "(" as ")".
constexpr std::uint8_t statement = 1;
// Its jump marker has four fields (or five), and every call pass reads it so.
constexpr std::uint8_t four_field_marker = 2;
// Whether a call pass reads its jump marker depends on where the pass starts the
// row: every call pass visits the line.
constexpr std::uint8_t marker_by_offer = 4;
}  // namespace line_traits

struct StoredLine {
  std::uint64_t place = 0;          // chunk and offset of the text (LineStore::text)
  std::uint32_t size = 0;           // bytes, line break included
  std::uint32_t origin = 0;         // index into the origins the store was given
  std::uint32_t due = kNoVisit;     // the next pass that visits the line
  std::uint8_t traits = 0;          // line_traits
  std::uint8_t unchanged_left = 0;  // call passes that must still find it unchanged
};

// A line a pass writes: its text (one line), where it came from and its schedule.
struct NewLine {
  std::string_view text;
  std::uint32_t origin = 0;
  std::uint32_t due = kNoVisit;
  std::uint8_t traits = 0;
};

class LineStore {
 public:
  // `base` holds the lines the store starts with; it and `origins` must outlive
  // the store.
  LineStore(std::string_view base, const std::vector<LineOrigin>& origins);
  ~LineStore();
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  // Appends a line of `base` (a view into it) while the store is being filled.
  void add_base_line(const NewLine& line);

  std::string_view text(const StoredLine& line) const {
    const std::uint64_t chunk = line.place >> kOffsetBits;
    return {chunks_[chunk].bytes + (line.place & kOffsetMask), line.size};
  }
  LineOrigin origin(const StoredLine& line) const {
    return line.origin < origins_.size() ? origins_[line.origin] : LineOrigin{};
  }

  std::size_t lines() const { return lines_; }
  std::size_t bytes() const { return bytes_; }
  // What the lines take in memory: their text and what the store keeps of each.
  std::size_t footprint() const { return bytes_ + lines_ * sizeof(StoredLine); }

  // Calls `take(line)` for every line in order, releasing the store as it goes.
  template <typename Take>
  void drain(Take take) {
    for (Block& block : blocks_) {
      for (const StoredLine& line : block.lines) {
        take(line);
        release(line);
      }
      block.lines = {};
    }
    blocks_.clear();
  }

 private:
  friend class StoreWalk;

  static constexpr int kOffsetBits = 40;
  static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << kOffsetBits) - 1;
  static constexpr std::size_t kBlockLines = 256;

  // A run of lines, with what a pass needs to step over it whole.
  struct Block {
    std::vector<StoredLine> lines;
    std::uint32_t earliest_due = kNoVisit;
    std::int32_t last_four_field_marker = -1;  // index of the last such line
  };
  // Bytes holding line texts; the first is the base text, not owned.
  struct Chunk {
    char* bytes = nullptr;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t lines = 0;  // lines whose text it holds
  };

  void append(std::vector<Block>& blocks, const StoredLine& line) const;
  std::uint64_t place_text(std::string_view text);
  void release(const StoredLine& line);

  std::vector<Block> blocks_;
  std::vector<Chunk> chunks_;
  const std::vector<LineOrigin>& origins_;
  std::size_t lines_ = 0;
  std::size_t bytes_ = 0;
};

// One pass over a store: the lines before the next due line are handed on as
// they are; the due line is kept or replaced (with rows below it) by the pass.
class StoreWalk {
 public:
  StoreWalk(LineStore& store, std::uint32_t pass);
  ~StoreWalk();
  StoreWalk(const StoreWalk&) = delete;
  StoreWalk& operator=(const StoreWalk&) = delete;

  // Moves on to the next line due in this pass; false when none is left (the
  // lines after the last due one are then handed on too).
  bool next_due();

  const StoredLine& due() const { return input_[block_].lines[index_]; }

  // The lines below the due line, one after the other, as the pass found them.
  class Below {
   public:
    const StoredLine* next();

   private:
    friend class StoreWalk;
    Below(const std::vector<LineStore::Block>& blocks, std::size_t block, std::size_t index)
        : blocks_(blocks), block_(block), index_(index) {}
    const std::vector<LineStore::Block>& blocks_;
    std::size_t block_;
    std::size_t index_;
  };
  Below below() const { return Below(input_, block_, index_ + 1); }

  // The due line stays, with its new schedule.
  void keep(std::uint32_t due, std::uint8_t unchanged_left);
  // The due line and the `rows - 1` lines below it make way for `lines`.
  void replace(std::size_t rows, const std::vector<NewLine>& lines);

  // Calls `revisit(line)` for the lines already handed on, from the last one up,
  // while it returns true and at most `count` times; it may change their schedule.
  template <typename Revisit>
  void revisit_above(std::size_t count, Revisit revisit) {
    for (std::size_t b = store_.blocks_.size(); b-- > 0 && count > 0;) {
      LineStore::Block& block = store_.blocks_[b];
      for (std::size_t i = block.lines.size(); i-- > 0 && count > 0; --count) {
        StoredLine& line = block.lines[i];
        if (!revisit(line)) return;
        block.earliest_due = std::min(block.earliest_due, line.due);
      }
    }
  }

  // The text of the last line handed on since the last call that carries a
  // jump marker of four fields (line_traits), or nothing.
  std::string_view take_passed_four_field_marker();

 private:
  void hand_on(const StoredLine& line);
  void hand_on_block(LineStore::Block&& block);
  void leave_line();

  LineStore& store_;
  std::uint32_t pass_;
  std::vector<LineStore::Block> input_;
  std::size_t block_ = 0;
  std::size_t index_ = 0;
  std::string_view passed_four_field_marker_;
};

}  // namespace vonx
