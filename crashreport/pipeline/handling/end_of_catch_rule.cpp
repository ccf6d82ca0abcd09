#include "crashreport/pipeline/handling/end_of_catch_rule.h"

#include "crashreport/base/options/option_types.h"

namespace tarvex {

void TLastReported::Set(std::string_view className, uint32_t address) {
  ClassName = std::string(className.substr(0, kLastReportedClassLimit));
  Address = address;
}

bool TLastReported::Matches(std::string_view className, uint32_t address) const {
  return address == Address && className.substr(0, kLastReportedClassLimit) == ClassName;
}

bool ReportAtEndOfCatch(const TEndOfCatchFacts& facts, const TLastReported& lastReported) {
  if (!facts.Installed || (facts.BehaviourFlags & bfReportCaughtExceptions) == 0 || facts.ThreadExcluded) return false;
  if (facts.OsCode == kThreadNamingCode && facts.OsArgumentCount == 4) return false;
  return !lastReported.Matches(facts.ClassName, facts.Address);
}

}  // namespace tarvex
