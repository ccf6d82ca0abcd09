// A processor that keeps what reached it, installed as the interception
// points' target for a scope.
#pragma once

#include <optional>

#include "crashreport/pipeline/threads/front_door_win.h"

namespace tarvex::testing {

class Keeper : public TExceptionProcessor {
 public:
  std::optional<TCaptureInfo> seen;  // the last capture
  int calls = 0;
  bool ProcessException(const TCaptureInfo& capture) override {
    seen = capture;
    ++calls;
    return false;
  }
};

class Installed {
 public:
  explicit Installed(const TFrontDoorState& state) { SetInterceptionTarget(&keeper, state); }
  ~Installed() { SetInterceptionTarget(nullptr, TFrontDoorState{}); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;
  Keeper keeper;
};

}  // namespace tarvex::testing
