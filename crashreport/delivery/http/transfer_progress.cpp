#include "crashreport/delivery/http/transfer_progress.h"

#include <algorithm>

#include "crashreport/base/options/message_texts.h"

namespace tarvex {

int ConnectionProgressText(int kind) {
  static constexpr TMessageText kTexts[] = {
      mtConnecting,      // hpConnecting
      mtConnected,       // hpConnected
      mtLogin,           // hpLogin
      mtSelectProject,   // hpSelectProject
      mtSearching,       // hpSearching
      mtModifying,       // hpModifying
      mtSendingMessage,  // hpSending
      mtMessageSent,     // hpSent
      mtDisconnecting,   // hpDisconnecting
      mtDisconnected,    // hpDisconnected
  };
  return kind >= 0 && kind < 10 ? kTexts[kind] : -1;
}

int UploadProgressText(int kind) {
  static constexpr TMessageText kTexts[] = {
      mtConnecting,      // upConnecting
      mtConnected,       // upConnected
      mtSendingMessage,  // upSending
  };
  return kind >= 0 && kind < 3 ? kTexts[kind] : -1;
}

TBarMove ConnectionBarMove(int kind, int percent) {
  switch (kind) {
    case hpConnecting: return {true, false, 5};
    case hpSending: return {false, false, (std::clamp(percent, 0, 100) * 65 + 50) / 100 + 35};
    case hpSent:
    case hpDisconnecting:
    case hpDisconnected: return {false, false, 100};
    default: return {false, true, 5};
  }
}

TBarMove UploadBarMove(int kind, uint64_t total, uint64_t done) {
  switch (kind) {
    case upConnecting: return {true, false, 0};
    case upSending: return {false, false, RoundedPercent(done, total)};
    default: return {false, false, -1};
  }
}

namespace {

// part / whole of `scale`, rounded, never beyond `scale`; all of it for nothing to do.
int RoundedShare(uint64_t part, uint64_t whole, int scale) {
  if (whole == 0) return scale;
  return static_cast<int>((std::min(part, whole) * static_cast<uint64_t>(scale) + whole / 2) / whole);
}

}  // namespace

int RoundedPercent(uint64_t part, uint64_t whole) { return RoundedShare(part, whole, 100); }

int SendPercent(uint64_t sent, uint64_t length) { return std::min(50, RoundedPercent(sent, length)); }

int ReceivePercent(uint64_t received, uint64_t contentLength) {
  return 50 + RoundedShare(received, contentLength, 50);
}

}  // namespace tarvex
