// A small blocking TCP or UDP client with a transcript of its connection.
// Windows only (client_socket_win.cpp); the declaration is free of system
// headers so that callers need none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvex {

// An IPv4 socket address as the socket library takes it (16 bytes):
//   offset 0  2  family, always 2 (AF_INET)
//          2  2  port, network byte order
//          4  4  address, network byte order
//          8  8  zero
struct TSocketAddressIn {
  uint16_t Family = 2;
  uint16_t Port = 0;
  uint32_t Address = 0;
  uint8_t Zero[8] = {};
};
static_assert(sizeof(TSocketAddressIn) == 16);

class TTarvexClientSocket {
 public:
  // Progress of SendText: the 1-based position of the next byte to send, and the total.
  using ChunkSentEvent = std::function<void(TTarvexClientSocket& sender, size_t position, size_t total)>;

  static constexpr uintptr_t kNoSocket = ~uintptr_t{0};
  static constexpr int kStream = 1;
  static constexpr int kDatagram = 2;
  // SendText's chunk: small enough for the progress to advance often during
  // a report, large enough that the calls into the system do not dominate
  // (each costs as much as copying several kilobytes, far more under Wine).
  static constexpr size_t kSendChunk = 16 * 1024;

  TTarvexClientSocket(std::string host, uint16_t port, bool isTCP, uint32_t timeoutMs);
  virtual ~TTarvexClientSocket();
  TTarvexClientSocket(const TTarvexClientSocket&) = delete;
  TTarvexClientSocket& operator=(const TTarvexClientSocket&) = delete;

  // Creates the socket, resolves RemoteHost and connects (for a datagram
  // socket: fixes the peer). Nothing when already connected.
  virtual void Connect();
  // Closes the socket; a failing close raises and leaves the fields.
  virtual void Disconnect();

  // Hands all `length` bytes to the system (send is repeated for what it did
  // not take); returns the count handed over, -1 when the first send could
  // not go (code 10035) or the peer went away (code 0); 0 when not connected.
  int SendBuffer(const void* data, int length);
  // `text` in chunks of at most kSendChunk bytes, OnChunkSent after each;
  // returns the count handed over (stops at a chunk that did not go whole).
  int SendText(std::string_view text);
  // `size` -1: how many bytes wait; otherwise one recv.
  int Receive(void* buffer, int size);
  // What has arrived, without waiting; empty when nothing has.
  std::string ReceiveAvailable();
  // Waits up to `limitMs` (ReplyTimeout when not given) for something to
  // arrive; empty when nothing did or the peer closed the connection.
  std::string ReceiveWithin();
  std::string ReceiveWithin(uint32_t limitMs);
  // ReceiveWithin; nothing raises "Socket timeout." (or that the peer closed).
  std::string ReceiveOrFail();
  // Raises ETarvexSocketError with `message` completed by the logs and the
  // destination (socket_error_text.h).
  [[noreturn]] void RaiseSocketError(std::string_view message) const;

  // The peer closed a stream connection (a read returned nothing).
  bool PeerClosed() const { return peerClosed_; }

  TSocketAddressIn RemoteAddress;
  std::string RemoteHost;
  uint16_t RemotePort;
  int SocketType;
  uint32_t ReplyTimeout;
  bool IsOpen = false;
  uintptr_t Handle = kNoSocket;
  // The "Connected to" line, commands sent and bytes received; both logs keep
  // only what an error text can show.
  std::string Transcript;
  std::string LastReply;  // received since the last send
  ChunkSentEvent OnChunkSent;

 protected:
  // Adds received bytes to both logs.
  void NoteReceived(std::string_view bytes);

 private:
  // Reads at most `size` bytes with one recv; after a wait said the socket is
  // readable this never blocks.
  std::string ReadUpTo(int size);
  // Waits until something can be read, at most `limitMs`.
  bool WaitReadable(uint32_t limitMs);
  // Composes the error text of `format` filled with the system's text for
  // `code` while the logs are still there, closes the socket and raises.
  [[noreturn]] void FailAndClose(const char* format, int code);
  void CloseQuietly();
  void ResetState();

  bool peerClosed_ = false;
};

}  // namespace tarvex
