#include "preprocessor/define_sweep_bounds.hpp"

#include "common/report.hpp"
#include "common/text.hpp"
#include "common/utf8.hpp"

namespace vonx {

[[noreturn]] void stop_cycle(FileSession& session, LineOrigin origin, std::string_view line) {
  stop(session,
       at_line(session, origin,
               "#define constants replace each other without end in " + quoted(line)),
       Message::define_cycle);
}

[[noreturn]] void stop_growth(FileSession& session, LineOrigin origin, const std::string& name) {
  stop_file(session,
            at_line(session, origin,
                    "replacing " + quoted(name) + " makes the text outgrow the work limit"),
            Message::work_limit_define, name);
}

[[noreturn]] void stop_sweep_work(FileSession& session, LineOrigin origin, std::string_view line) {
  stop_file(session,
            at_line(session, origin,
                    "replacing #define constants in " + quoted(line) +
                        " would settle only past the work limit"),
            Message::work_limit_sweeps);
}

}  // namespace vonx
