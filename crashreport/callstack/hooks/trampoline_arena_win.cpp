#include "crashreport/callstack/hooks/trampoline_arena.h"

#include <windows.h>

#include <vector>

#include "crashreport/callstack/hooks/code_writer.h"

namespace tarvex {

namespace {

constexpr uint32_t kAlignment = 16;
constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kRegionSize = 64 * 1024;  // the allocation granularity: what any reservation takes

struct Placed {
  uint32_t target;
  std::vector<uint8_t> original;  // the target's first bytes the trampoline was built from
  uint32_t address;
};

class Arena {
 public:
  uint32_t Place(uint32_t target, const TrampolinePlan& plan) {
    for (const Placed& p : placed_)
      if (p.target == target && p.original == plan.original) return p.address;
    placed_.reserve(placed_.size() + 1);  // nothing can fail once the code is written
    uint8_t* const at = Allocate(plan.Size());
    if (!at) return 0;
    const uint32_t address = uint32_t(reinterpret_cast<uintptr_t>(at));
    const std::vector<uint8_t> code = BuildTrampoline(plan, target, address);
    // The pages are execute-read: WriteCode opens them for the copy alone.
    if (!WriteCode(at, code.data(), code.size())) return 0;
    placed_.push_back({target, plan.original, address});
    return address;
  }

 private:
  // `size` bytes out of the current region, committing its pages as needed;
  // a trampoline that does not fit the rest of the region starts a new one.
  uint8_t* Allocate(uint32_t size) {
    uint32_t offset = (used_ + kAlignment - 1) & ~(kAlignment - 1);
    if (!region_ || offset + size > kRegionSize) {
      void* const region = VirtualAlloc(nullptr, kRegionSize, MEM_RESERVE, PAGE_NOACCESS);
      if (!region) return nullptr;
      region_ = static_cast<uint8_t*>(region);
      committed_ = used_ = offset = 0;
    }
    for (; offset + size > committed_; committed_ += kPageSize)
      if (!VirtualAlloc(region_ + committed_, kPageSize, MEM_COMMIT, PAGE_EXECUTE_READ)) return nullptr;
    used_ = offset + size;
    return region_ + offset;
  }

  uint8_t* region_ = nullptr;
  uint32_t committed_ = 0;  // bytes of the region committed, from its start
  uint32_t used_ = 0;       // bytes of the region handed out, from its start
  std::vector<Placed> placed_;
};

}  // namespace

uint32_t PlaceTrampoline(uint32_t target, const TrampolinePlan& plan) {
  // Its pages are never released, not even at exit. Only the thread that
  // hooks (HookProcedure) places trampolines, so no lock.
  static Arena arena;
  return arena.Place(target, plan);
}

}  // namespace tarvex
