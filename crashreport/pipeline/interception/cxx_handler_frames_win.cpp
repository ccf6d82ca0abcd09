#include "crashreport/pipeline/interception/cxx_handler_frames_win.h"

#include <unwind.h>

#include "crashreport/pipeline/interception/lsda_reader.h"

namespace tarvex {

namespace {

struct Walk {
  const std::type_info* thrownType;
  void* thrown;
  uintptr_t throwReturnAddress;
  uintptr_t threadStartWrapper;
  bool reachedThrower = false;
  std::vector<THandlerFrame> frames;
};

bool CatchesThrownType(const Walk& walk, uintptr_t clauseType) {
  void* adjusted = walk.thrown;
  return reinterpret_cast<const std::type_info*>(clauseType)->__do_catch(walk.thrownType, &adjusted, 1);
}

// The frame's kind from the clauses tried at its call site, in their order.
THandlerFrame Classify(const Walk& walk, const TLsdaSite& site) {
  THandlerFrame frame;
  for (const TLsdaClause& clause : site.Clauses) {
    if (clause.Kind == TLsdaClauseKind::CatchAll) {
      frame.Kind = THandlerFrameKind::CatchAll;
      return frame;
    }
    if (clause.Kind != TLsdaClauseKind::CatchType) continue;
    frame.Kind = THandlerFrameKind::ClassFiltered;
    if (CatchesThrownType(walk, clause.TypeInfo)) {
      frame.CatchesThrownType = true;
      return frame;
    }
  }
  return frame;
}

_Unwind_Reason_Code VisitFrame(_Unwind_Context* context, void* argument) {
  Walk& walk = *static_cast<Walk*>(argument);
  int beforeInstruction = 0;
  uintptr_t ip = _Unwind_GetIPInfo(context, &beforeInstruction);
  if (!walk.reachedThrower) {
    if (ip != walk.throwReturnAddress) return _URC_NO_REASON;
    walk.reachedThrower = true;
  }
  const auto* lsda = static_cast<const uint8_t*>(_Unwind_GetLanguageSpecificData(context));
  if (lsda == nullptr) return _URC_NO_REASON;
  if (!beforeInstruction) --ip;  // a return address: the call lies just before it
  const uintptr_t regionStart = _Unwind_GetRegionStart(context);
  const std::optional<TLsdaSite> site = ReadLsdaSite(lsda, regionStart, ip);
  if (!site) return _URC_NO_REASON;
  if (site->Kind == TLsdaSiteKind::NoEntry) return _URC_END_OF_STACK;  // the program would end here
  if (site->Kind != TLsdaSiteKind::Handlers) return _URC_NO_REASON;
  THandlerFrame frame = Classify(walk, *site);
  frame.InThreadStartWrapper = regionStart == walk.threadStartWrapper;
  // The first frame that catches decides; the frames beyond it never see the exception.
  const bool catches = FrameCatches(frame, nullptr);  // this walk knows the thrown type, not class names
  walk.frames.push_back(std::move(frame));
  return catches ? _URC_END_OF_STACK : _URC_NO_REASON;
}

}  // namespace

std::vector<THandlerFrame> HandlerFramesOfThrow(const std::type_info& thrownType, void* thrown,
                                                uintptr_t throwReturnAddress, const void* threadStartWrapper) {
  Walk walk{&thrownType, thrown, throwReturnAddress, reinterpret_cast<uintptr_t>(threadStartWrapper), false, {}};
  _Unwind_Backtrace(VisitFrame, &walk);
  return std::move(walk.frames);
}

}  // namespace tarvex
