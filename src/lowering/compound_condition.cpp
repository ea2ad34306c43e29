#include "lowering/compound_condition.hpp"

namespace vonx {

void compile_compound_condition(CompoundCounters&, const CompoundCondition&, const LabelStyle&,
                                std::string&) {}

}  // namespace vonx
