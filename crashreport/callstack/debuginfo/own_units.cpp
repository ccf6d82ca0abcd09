#include <algorithm>
#include <iterator>

#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/base/util/text_case.h"

namespace tarvex {

namespace {

// The file names of the crash reporter's own sources, gathered by the build.
constexpr std::string_view kReporterUnits[] = {
#include "reporter_units.inc"
};

}  // namespace

bool IsReporterOwnUnit(std::string_view unitName) {
  return std::any_of(std::begin(kReporterUnits), std::end(kReporterUnits),
                     [&](std::string_view own) { return SameTextIgnoringCase(own, unitName); });
}

}  // namespace tarvex
