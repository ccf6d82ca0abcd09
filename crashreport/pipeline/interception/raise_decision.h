// The raise-time decision: will a handler of the program catch this
// exception, or must the crash reporter report it now?
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "crashreport/pipeline/handling/handling_choice.h"

namespace rtl {
struct ClassInfo;
}

namespace tarvex {

enum class THandlerFrameKind : uint8_t {
  Other,          // cleans up only; passed over
  CatchAll,       // catches every exception
  ClassFiltered,  // catches the exception when its class is one of ClassNames or derives from one
  SafeCall,       // turns every exception into an error result
};

// One handler frame of the raising thread, innermost first.
struct THandlerFrame {
  THandlerFrameKind Kind = THandlerFrameKind::Other;
  std::vector<std::string> ClassNames;  // ClassFiltered only
  bool InThreadStartWrapper = false;    // the handler is the thread start wrapper's catch-all
  bool CatchesThrownType = false;       // ClassFiltered: a clause was found to catch the thrown type itself
};

struct TRaiseDecision {
  bool ReportNow = false;
  TRaiseKind RaiseKind = rkUncaught;
  friend bool operator==(const TRaiseDecision&, const TRaiseDecision&) = default;
};

struct TRaiseFacts {
  const rtl::ClassInfo* Class = nullptr;  // nullptr: not an exception object of the runtime
  bool StackOverflow = false;
  bool ForwardingLibrary = false;
  uint16_t BehaviourFlags = 0;
};

// The first frame that catches decides: the thread start wrapper reports now
// with rkThreadWrapper; a safecall frame reports now with rkSafeCall when
// `bfReportSafeCallExceptions` is set; any other catching frame leaves the
// exception to the program. No catching frame: report now with rkUncaught. A
// stack overflow is reported now without looking at the frames; a forwarding
// library never reports at raise time.
TRaiseDecision WillBeCaught(const TRaiseFacts& facts, std::span<const THandlerFrame> frames);

// Whether `frame` catches an exception of class `cls` (nullptr: a foreign
// object, caught by catch-all and safecall frames and by class filters that
// matched the thrown type).
bool FrameCatches(const THandlerFrame& frame, const rtl::ClassInfo* cls);

}  // namespace tarvex
