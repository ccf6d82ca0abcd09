// Whether an exception that the program caught is reported when its handler
// block ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

inline constexpr uint32_t kThreadNamingCode = 0x406D1388;  // the debugger's thread-naming exception
inline constexpr size_t kLastReportedClassLimit = 64;

// The exception last reported in a thread, so that the end of the handler
// block that caught it does not report it a second time.
struct TLastReported {
  std::string ClassName;  // at most 64 characters
  uint32_t Address = 0;
  void Set(std::string_view className, uint32_t address);
  bool Matches(std::string_view className, uint32_t address) const;
};

struct TEndOfCatchFacts {
  bool Installed = false;
  uint16_t BehaviourFlags = 0;
  bool ThreadExcluded = false;
  uint32_t OsCode = 0;            // 0 for a language exception
  uint32_t OsArgumentCount = 0;
  std::string_view ClassName;
  uint32_t Address = 0;
};

// Installed, `bfReportCaughtExceptions` set, the thread not excluded, not the
// thread-naming exception, and not the exception last reported in this thread.
bool ReportAtEndOfCatch(const TEndOfCatchFacts& facts, const TLastReported& lastReported);

}  // namespace tarvex
