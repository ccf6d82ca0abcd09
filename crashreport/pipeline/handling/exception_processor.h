// The handling proper, as the front door calls it.
#pragma once

#include "crashreport/pipeline/handling/capture_info.h"

namespace tarvex {

// Runs on the handler thread (or in the raising thread when no new thread may
// start). Returns true when the runtime's ordinary handling should run as well.
class TExceptionProcessor {
 public:
  virtual ~TExceptionProcessor() = default;
  virtual bool ProcessException(const TCaptureInfo& capture) = 0;
  // The handler thread was ended inside ProcessException (a fault that no
  // handler takes): whatever the handling holds must be given back.
  virtual void Abandoned() {}
  // Whether the handling shows its dialog now: only then does a waiting main
  // thread pump its messages (afterwards a click or a quit waits for the end
  // of the handling instead of being handled, or dropped, in between).
  virtual bool DialogShowing() const { return false; }
};

}  // namespace tarvex
