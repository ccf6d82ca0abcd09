// Progress of web requests and uploads in the send dialog: the kinds, their
// message texts and where each moves the bar (0 to 100).
#pragma once

#include <cstdint>
#include <functional>

namespace tarvex {

// Kinds reported by a connection's Progress.
enum THTTPProgressKind : int {
  hpConnecting = 0,
  hpConnected = 1,
  hpLogin = 2,
  hpSelectProject = 3,
  hpSearching = 4,
  hpModifying = 5,
  hpSending = 6,  // with a percent: 0-50 while the body goes out, 50-100 while the answer comes in
  hpSent = 7,
  hpDisconnecting = 8,
  hpDisconnected = 9,
};

// Kinds reported by an upload's callback.
enum TUploadProgressKind : int { upConnecting = 0, upConnected = 1, upSending = 2 };
// An upload's callback: a TUploadProgressKind, the bytes to send and those sent.
using TUploadProgress = std::function<void(int kind, uint64_t total, uint64_t done)>;

// Index of the message text shown for a connection's kind; -1 for an unknown kind.
int ConnectionProgressText(int kind);
// Index of the message text shown for an upload's kind; -1 for an unknown kind.
int UploadProgressText(int kind);

struct TBarMove {
  bool Reset = false;   // the bar goes back to 0 first
  bool Relative = false;
  int Value = 0;        // the position, or the step when relative
  bool operator==(const TBarMove&) const = default;
};
TBarMove ConnectionBarMove(int kind, int percent);
// Nothing moves for upConnected: Value -1.
TBarMove UploadBarMove(int kind, uint64_t total, uint64_t done);

// Rounded percents of the two halves of a request.
int SendPercent(uint64_t sent, uint64_t length);              // 0..50
int ReceivePercent(uint64_t received, uint64_t contentLength);  // 50..100
int RoundedPercent(uint64_t part, uint64_t whole);              // 0..100

}  // namespace tarvex
