#include "translation/line_store.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vonx {

namespace {

// New chunks grow with the text written so far, from 64 KiB up to 32 MiB; a
// chunk that large is mapped on its own by the C library, so that the memory of
// a chunk whose lines are all gone goes back to the system.
constexpr std::size_t kSmallestChunk = std::size_t{64} << 10;
constexpr std::size_t kLargestChunk = std::size_t{32} << 20;

}  // namespace

LineStore::LineStore(std::string_view base, const std::vector<LineOrigin>& origins)
    : origins_(origins) {
  chunks_.push_back({const_cast<char*>(base.data()), base.size(), base.size(), 0});
}

LineStore::~LineStore() {
  for (std::size_t c = 1; c < chunks_.size(); ++c) delete[] chunks_[c].bytes;
}

void LineStore::add_base_line(const NewLine& line) {
  StoredLine stored;
  stored.place = static_cast<std::uint64_t>(line.text.data() - chunks_[0].bytes);
  stored.size = static_cast<std::uint32_t>(line.text.size());
  stored.origin = line.origin;
  stored.due = line.due;
  stored.traits = line.traits;
  ++chunks_[0].lines;
  ++lines_;
  bytes_ += line.text.size();
  append(blocks_, stored);
}

void LineStore::append(std::vector<Block>& blocks, const StoredLine& line) const {
  if (blocks.empty() || blocks.back().lines.size() >= kBlockLines) {
    blocks.emplace_back();
    blocks.back().lines.reserve(kBlockLines);
  }
  Block& block = blocks.back();
  if (line.traits & line_traits::four_field_marker)
    block.last_four_field_marker = static_cast<std::int32_t>(block.lines.size());
  block.earliest_due = std::min(block.earliest_due, line.due);
  block.lines.push_back(line);
}

std::uint64_t LineStore::place_text(std::string_view text) {
  Chunk* chunk = &chunks_.back();
  if (chunks_.size() == 1 || chunk->capacity - chunk->used < text.size()) {
    std::size_t capacity = std::clamp(bytes_ / 4, kSmallestChunk, kLargestChunk);
    capacity = std::max(capacity, text.size());
    chunks_.push_back({new char[capacity], capacity, 0, 0});
    chunk = &chunks_.back();
    // The chunk before stays while it holds a line, and no longer.
    Chunk& before = chunks_[chunks_.size() - 2];
    if (chunks_.size() > 2 && before.lines == 0) {
      delete[] before.bytes;
      before = Chunk{};
    }
  }
  const std::uint64_t place =
      (static_cast<std::uint64_t>(chunks_.size() - 1) << kOffsetBits) | chunk->used;
  if (!text.empty()) std::memcpy(chunk->bytes + chunk->used, text.data(), text.size());
  chunk->used += text.size();
  ++chunk->lines;
  return place;
}

void LineStore::release(const StoredLine& line) {
  const std::size_t c = line.place >> kOffsetBits;
  Chunk& chunk = chunks_[c];
  --lines_;
  bytes_ -= line.size;
  // The chunk being written into stays for the lines still to come.
  if (--chunk.lines == 0 && c != 0 && c + 1 != chunks_.size()) {
    delete[] chunk.bytes;
    chunk = Chunk{};
  }
}

StoreWalk::StoreWalk(LineStore& store, std::uint32_t pass)
    : store_(store), pass_(pass), input_(std::move(store.blocks_)) {
  store_.blocks_.clear();
}

StoreWalk::~StoreWalk() {
  while (next_due()) {
    // A walk left early hands every line on as it stands.
    hand_on(due());
    leave_line();
  }
}

bool StoreWalk::next_due() {
  while (block_ < input_.size()) {
    LineStore::Block& block = input_[block_];
    if (index_ == 0 && block.earliest_due > pass_) {
      hand_on_block(std::move(block));
      ++block_;
      continue;
    }
    for (; index_ < block.lines.size(); ++index_) {
      const StoredLine& line = block.lines[index_];
      if (line.due <= pass_) return true;
      hand_on(line);
    }
    block.lines = {};
    ++block_;
    index_ = 0;
  }
  return false;
}

void StoreWalk::hand_on(const StoredLine& line) {
  if (line.traits & line_traits::four_field_marker) passed_four_field_marker_ = store_.text(line);
  store_.append(store_.blocks_, line);
}

// A block none of whose lines is due goes on whole; a small one fills up the
// block before it, so that blocks stay full however the passes cut them.
void StoreWalk::hand_on_block(LineStore::Block&& block) {
  if (block.last_four_field_marker >= 0)
    passed_four_field_marker_ =
        store_.text(block.lines[static_cast<std::size_t>(block.last_four_field_marker)]);
  std::vector<LineStore::Block>& out = store_.blocks_;
  if (!out.empty() && out.back().lines.size() + block.lines.size() <= LineStore::kBlockLines) {
    for (const StoredLine& line : block.lines) store_.append(out, line);
    block.lines = {};
    return;
  }
  out.push_back(std::move(block));
}

// Moves the cursor past the current line of the input.
void StoreWalk::leave_line() {
  if (++index_ < input_[block_].lines.size()) return;
  input_[block_].lines = {};
  ++block_;
  index_ = 0;
}

void StoreWalk::keep(std::uint32_t due, std::uint8_t unchanged_left) {
  StoredLine line = this->due();
  line.due = due;
  line.unchanged_left = unchanged_left;
  store_.append(store_.blocks_, line);
  leave_line();
}

void StoreWalk::replace(std::size_t rows, const std::vector<NewLine>& lines) {
  for (std::size_t r = 0; r < rows && block_ < input_.size(); ++r) {
    store_.release(due());
    leave_line();
  }
  for (const NewLine& line : lines) {
    StoredLine stored;
    stored.place = store_.place_text(line.text);
    stored.size = static_cast<std::uint32_t>(line.text.size());
    stored.origin = line.origin;
    stored.due = line.due;
    stored.traits = line.traits;
    ++store_.lines_;
    store_.bytes_ += line.text.size();
    store_.append(store_.blocks_, stored);
  }
}

std::string_view StoreWalk::take_passed_four_field_marker() {
  return std::exchange(passed_four_field_marker_, std::string_view());
}

const StoredLine* StoreWalk::Below::next() {
  while (block_ < blocks_.size()) {
    const std::vector<StoredLine>& lines = blocks_[block_].lines;
    if (index_ < lines.size()) return &lines[index_++];
    ++block_;
    index_ = 0;
  }
  return nullptr;
}

}  // namespace vonx
