#include "crashreport/pipeline/handling/message_pump_rules.h"

namespace tarvex {

namespace {

struct MessageRange {
  uint32_t first, last;
  TPumpAction action;
};

constexpr MessageRange kRanges[] = {
    {0x0012, 0x0012, TPumpAction::Drop},         // WM_QUIT
    {0x00A1, 0x00A9, TPumpAction::BeepAndDrop},  // WM_NCLBUTTONDOWN .. WM_NCMBUTTONDBLCLK
    {0x0100, 0x0109, TPumpAction::BeepAndDrop},  // WM_KEYFIRST .. WM_UNICHAR
    {0x0201, 0x0209, TPumpAction::BeepAndDrop},  // WM_LBUTTONDOWN .. WM_MBUTTONDBLCLK
    {0x020B, 0x020D, TPumpAction::BeepAndDrop},  // WM_XBUTTONDOWN .. WM_XBUTTONDBLCLK (the wheel passes)
};

}  // namespace

TPumpAction PumpActionFor(uint32_t message) {
  for (const MessageRange& range : kRanges)
    if (message >= range.first && message <= range.last) return range.action;
  return TPumpAction::Dispatch;
}

}  // namespace tarvex
