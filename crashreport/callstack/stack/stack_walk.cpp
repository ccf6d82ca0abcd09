#include "crashreport/callstack/stack/stack_walk.h"

#include "crashreport/callstack/stack/call_forms.h"
#include "crashreport/callstack/stack/clean_stack.h"
#include "crashreport/callstack/disasm/follow_thunk.h"
#include "crashreport/callstack/stack/locate_address.h"
#include "crashreport/base/util/little_endian.h"

namespace tarvex {

namespace {

constexpr uint32_t kProbeBlock = 400;  // readability is probed this many stack bytes at a time

// One walk's admission of entries into the list.
class Admitter {
 public:
  Admitter(CallStackContext& context, TTarvexStackList& list, const WalkOptions& options)
      : context_(context), list_(list), options_(options) {}

  void Add(uint32_t address, bool isExceptionPoint) {
    if (list_.Count() >= kMaxStackEntries) return;
    auto item = std::make_unique<TTarvexStackItem>();
    if (options_.useDebugInfo)
      LocateAddress(context_, address, options_.threadID, *item, isExceptionPoint, options_.tag);
    else
      DescribeModuleOnly(address, isExceptionPoint, *item);
    if (!options_.admitSet.Contains(item->InfoLevel)) return;
    const bool pastSkipped = options_.skipCount == kNoLimit || admitted_ >= uint32_t(options_.skipCount);
    const bool belowMax = options_.maxCount == kNoLimit || kept_ < uint32_t(options_.maxCount);
    if (pastSkipped && belowMax) {
      list_.Add(std::move(item));
      ++kept_;
    }
    ++admitted_;
  }

 private:
  void DescribeModuleOnly(uint32_t address, bool isExceptionPoint, TTarvexStackItem& item) {
    item.Tag = options_.tag;
    item.IsExceptionPoint = isExceptionPoint ? 1 : 0;
    item.ThreadID = options_.threadID;
    item.Address = address;
    auto module = std::make_unique<TTarvexModuleInfo>();
    if (context_.modules.ModuleOf(address, module->Handle, module->FileName)) {
      item.ModuleInfo = list_.Keep(std::move(module));
      item.InfoLevel = ilModule;
    }
  }

  CallStackContext& context_;
  TTarvexStackList& list_;
  const WalkOptions& options_;
  uint32_t admitted_ = 0;
  uint32_t kept_ = 0;
};

bool MatchesIndirectCall(const IndirectCallForm& form, const uint8_t* instruction) {
  const uint8_t modrm = instruction[1];
  return instruction[0] == 0xFF && (modrm >> 6) == form.mod && ((modrm >> 3) & 7) == 2 &&
         (form.rmAllowed >> (modrm & 7) & 1) != 0 && (!form.espBase || instruction[2] == 0x24);
}

// Examines one stack value `v`; admits the call in front of it, if any.
void ExamineValue(CallStackContext& context, const WalkOptions& options, Admitter& admitter, uint32_t v) {
  if (v < kLongestCall) return;
  uint8_t before[kLongestCall];  // before[i] is the byte at v - kLongestCall + i
  if (!ReadMemory(context.memory, v - kLongestCall, before, sizeof before)) return;
  const uint8_t* end = before + kLongestCall;  // end[-k] is the byte at v - k

  if (end[-5] == kCallRel32) {
    uint32_t target = v + LittleEndian32(end - 4);
    if (!IsReadableBlock(context.memory, target, 1)) return;
    if (options.followThunks) {
      target = FollowThunk(context.memory, target);
      uint8_t entry[5];
      if (ReadMemory(context.memory, target, entry, sizeof entry) && entry[0] != kCallRel32)
        admitter.Add(target, false);
    }
    admitter.Add(v - 5, false);
    return;
  }
  for (const IndirectCallForm& form : kIndirectCallForms) {
    const uint8_t* instruction = end - form.length;
    if (!MatchesIndirectCall(form, instruction)) continue;
    if (form.needsLoad) {
      if (instruction[-2] == kMovLoad || instruction[-3] == kMovLoad) admitter.Add(v - form.length, false);
      return;
    }
    if (form.needsPointer && !IsReadableBlock(context.memory, LittleEndian32(instruction + 2), 4)) continue;
    admitter.Add(v - form.length, false);
    return;
  }
}

}  // namespace

void WalkStack(CallStackContext& context, TTarvexStackList& list, uint32_t exceptionAddress, uint32_t stackStart,
               uint32_t stackTop, const WalkOptions& options) {
  const int firstIndex = list.Count();
  Admitter admitter(context, list, options);
  if (exceptionAddress != 0) admitter.Add(exceptionAddress, true);
  if (stackTop > stackStart && stackTop - stackStart > kMaxStackScan) stackTop = stackStart + kMaxStackScan;

  int32_t budget = 0;  // bytes known readable from the current slot on
  for (uint64_t p = stackStart; p <= stackTop; p += 4) {
    const uint32_t slot = static_cast<uint32_t>(p);
    if (budget <= 0) {
      budget = IsReadableBlock(context.memory, slot, kProbeBlock) ? kProbeBlock
               : IsReadableBlock(context.memory, slot, 4)         ? 4
                                                                  : 0;
      if (budget == 0) continue;
    }
    uint32_t value;
    if (!ReadValue(context.memory, slot, value)) {
      budget = 0;
      continue;
    }
    ExamineValue(context, options, admitter, value);
    budget -= 4;
  }
  CleanStackList(list, firstIndex, options.useDebugInfo && context.hostIsDevelopmentEnvironment);
}

std::unique_ptr<TTarvexStackList> CreateStackList(CallStackContext& context, uint32_t exceptionAddress,
                                                  uint32_t stackStart, uint32_t stackTop, WalkOptions options) {
  auto list = std::make_unique<TTarvexStackList>();
  options.useDebugInfo = true;
  WalkStack(context, *list, exceptionAddress, stackStart, stackTop, options);
  return list;
}

}  // namespace tarvex
