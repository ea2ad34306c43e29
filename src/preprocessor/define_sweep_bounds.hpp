// What ends the #define sweeps: the stops for names that feed each other and for
// a text that outgrows the work limit, the schedule of the checkpoint that finds
// sweeps coming back to an earlier state, and the bound on what they read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/line_origins.hpp"
#include "common/session.hpp"

namespace vonx {

// Names defined through each other would be replaced without end: the run stops
// at the line where that shows.
[[noreturn]] void stop_cycle(FileSession& session, LineOrigin origin, std::string_view line);

// The replacements of one constant make the text outgrow the file's work limit:
// the file stops.
[[noreturn]] void stop_growth(FileSession& session, LineOrigin origin, const std::string& name);

// Sweeps that would settle, but only after reading more than the file's work
// limit allows: the file stops.
[[noreturn]] void stop_sweep_work(FileSession& session, LineOrigin origin, std::string_view line);

// When to move the checkpoint that the state after each sweep is compared with:
// at doubling distances, which finds any cycle of states while holding only one
// earlier state.
class CheckpointSchedule {
 public:
  // One more sweep was made: true when the checkpoint moves to the state now.
  bool moves() {
    if (++steps_ < distance_) return false;
    distance_ *= 2;
    steps_ = 0;
    return true;
  }

 private:
  std::size_t distance_ = 1;
  std::size_t steps_ = 0;
};

// What the sweeps after the first have read. A line that grows by a few bytes
// with every sweep stays under the line and sweep bounds for long enough to read
// the square of those bounds, so the reading is bounded too: by four times the
// file's work limit. A line that settles needs one sweep per use it replaces, so
// only lines of many thousand uses each come near that. Reading past it is taken
// for names that feed each other, unless the table's rings are known exactly:
// then the sweeps would settle, and the work limit stops them.
class SweepReading {
 public:
  SweepReading(std::size_t work_limit, bool rings_exact)
      : left_(4 * work_limit), rings_exact_(rings_exact) {}

  // One more sweep reads `bytes`: false once the sweeps have read past the limit.
  bool read(std::size_t bytes) {
    if (bytes > left_) return false;
    left_ -= bytes;
    return true;
  }

  // The sweeps read past the limit; `line` is the last line they changed.
  [[noreturn]] void stop(FileSession& session, LineOrigin origin, std::string_view line) const {
    if (rings_exact_) stop_sweep_work(session, origin, line);
    stop_cycle(session, origin, line);
  }

 private:
  std::size_t left_;
  bool rings_exact_;
};

}  // namespace vonx
