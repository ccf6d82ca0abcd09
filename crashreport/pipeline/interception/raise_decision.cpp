#include "crashreport/pipeline/interception/raise_decision.h"

#include "crashreport/base/options/option_types.h"
#include "rtl/exception.h"

namespace tarvex {

bool FrameCatches(const THandlerFrame& frame, const rtl::ClassInfo* cls) {
  switch (frame.Kind) {
    case THandlerFrameKind::Other: return false;
    case THandlerFrameKind::CatchAll:
    case THandlerFrameKind::SafeCall: return true;
    case THandlerFrameKind::ClassFiltered:
      if (frame.CatchesThrownType) return true;
      if (cls == nullptr) return false;
      for (const std::string& name : frame.ClassNames)
        if (cls->InheritsFrom(name)) return true;
      return false;
  }
  return false;
}

TRaiseDecision WillBeCaught(const TRaiseFacts& facts, std::span<const THandlerFrame> frames) {
  if (facts.ForwardingLibrary) return {};
  if (facts.StackOverflow) return {true, rkUncaught};
  for (const THandlerFrame& frame : frames) {
    if (!FrameCatches(frame, facts.Class)) continue;
    if (frame.InThreadStartWrapper) return {true, rkThreadWrapper};
    if (frame.Kind == THandlerFrameKind::SafeCall && (facts.BehaviourFlags & bfReportSafeCallExceptions) != 0)
      return {true, rkSafeCall};
    return {};
  }
  return {true, rkUncaught};
}

}  // namespace tarvex
