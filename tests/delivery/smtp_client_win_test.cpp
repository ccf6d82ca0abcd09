#include "crashreport/delivery/smtp/smtp_client.h"

#include <gtest/gtest.h>

#include <vector>

#include "crashreport/base/util/base64.h"
#include "crashreport/delivery/net/socket_errors.h"
#include "crashreport/delivery/net/winsock_win.h"
#include "tests/delivery/mail_peers_win.h"

namespace tarvex {
namespace {

using testing::ScriptedSmtpPort;
using testing::SmtpPort;
using testing::SpooledMessage;

constexpr uint32_t kReplyTimeout = 30000;

// The text of the socket error `action` raises; fails the test when none.
template <typename Action>
std::string SocketErrorOf(Action action) {
  try {
    action();
  } catch (const ETarvexSocketError& error) {
    return error.Message();
  }
  ADD_FAILURE() << "no ETarvexSocketError";
  return {};
}

// A client greeted by the scripted peer and switched to `scenario` (see mail_peers.py).
struct ScriptedClient {
  explicit ScriptedClient(const char* scenario, uint32_t timeout = kReplyTimeout)
      : client("127.0.0.1", ScriptedSmtpPort(), timeout) {
    client.Connect();
    command = std::string("HELO ") + scenario;
  }
  TTarvexClientSMTP client;
  std::string command;
};

TEST(SmtpClient, AuthenticatedMessageReachesTheServerAndSecretsStayOutOfTheTranscript) {
  TTarvexClientSMTP client("127.0.0.1", SmtpPort(), kReplyTimeout);
  client.Connect();
  const std::string user = Base64Encode("reporter"), password = Base64Encode("s3cret");
  EXPECT_TRUE(client.SendCommand("EHLO tester", {250}));
  EXPECT_TRUE(client.SendCommand("RSET", {250}));
  EXPECT_TRUE(client.SendCommand("AUTH LOGIN", {334, 500, 502}));
  EXPECT_TRUE(client.SendCommand(user, {334, 500, 502}));
  EXPECT_TRUE(client.SendCommand(password, {235, 500, 502}));
  EXPECT_TRUE(client.SendCommand("MAIL FROM:<app@example.test>", {250}));
  EXPECT_TRUE(client.SendCommand("RCPT TO:<author@example.test>", {250, 251}));
  EXPECT_TRUE(client.SendCommand("DATA", {354}));

  std::string body;
  for (int line = 0; body.size() < 200000; ++line) body += "line " + std::to_string(line) + " of the report\r\n";
  const std::string message = "Subject: report\r\n\r\n" + body + ".";
  std::vector<size_t> positions;
  client.OnChunkSent = [&](TTarvexClientSocket&, size_t position, size_t total) {
    EXPECT_EQ(total, message.size() + 2);
    positions.push_back(position);
  };
  EXPECT_TRUE(client.SendCommand(message, {250}));
  client.OnChunkSent = nullptr;

  constexpr size_t kChunk = TTarvexClientSocket::kSendChunk;
  ASSERT_EQ(positions.size(), (message.size() + 2 + kChunk - 1) / kChunk);
  for (size_t i = 0; i < positions.size(); ++i)
    EXPECT_EQ(positions[i], std::min((i + 1) * kChunk, message.size() + 2) + 1);
  const std::string stored = SpooledMessage(1);
  EXPECT_NE(stored.find("From: app@example.test\r\nTo: author@example.test\r\nUser: reporter\r\n"), std::string::npos);
  EXPECT_NE(stored.find(body), std::string::npos);
  EXPECT_NE(client.Transcript.find("AUTH LOGIN\r\n334 "), std::string::npos);
  EXPECT_NE(client.Transcript.find("\r\n***\r\n334 "), std::string::npos);
  EXPECT_NE(client.Transcript.find("\r\n***\r\n235 "), std::string::npos);
  EXPECT_EQ(client.Transcript.find(user), std::string::npos);
  EXPECT_EQ(client.Transcript.find(password), std::string::npos);
  EXPECT_LE(client.Transcript.size(), 1024u);  // the message did not grow it
  EXPECT_EQ(client.LastReply.substr(0, 4), "250 ");
}

TEST(SmtpClient, RefusedPasswordRaisesWithTheReplyFirstAndTheMaskedTranscript) {
  TTarvexClientSMTP client("127.0.0.1", SmtpPort(), kReplyTimeout);
  client.Connect();
  client.SendCommand("EHLO tester", {250});
  client.SendCommand("AUTH LOGIN", {334});
  client.SendCommand(Base64Encode("reporter"), {334});
  const std::string text = SocketErrorOf([&] { client.SendCommand(Base64Encode("wrong"), {235}); });
  EXPECT_EQ(text.substr(0, 16), "Error log:\r\n535 ") << text;
  EXPECT_NE(text.find("\r\n\r\nSocket log:\r\nConnected to 127.0.0.1 port "), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nAUTH LOGIN\r\n334 "), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n***\r\n334 "), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n***\r\n535 "), std::string::npos) << text;
  EXPECT_EQ(text.find(Base64Encode("wrong")), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\nDestination: 127.0.0.1:" + std::to_string(SmtpPort())), std::string::npos);
}

TEST(SmtpClient, GreetingOverSeveralPacketsIsOneReply) {
  ScriptedClient peer("echo");
  EXPECT_EQ(peer.client.LastReply, "220-peer.test ready\r\n220-second line\r\n220 last line\r\n");
  peer.client.Connect();  // connected already: no second greeting is awaited
  EXPECT_TRUE(peer.client.SendCommand(peer.command, {250}));
  EXPECT_EQ(peer.client.LastReply, "250 echo\r\n");
}

TEST(SmtpClient, ReplyWhoseLastLineComesLaterIsReadWholeSoARefusalIsNotMissed) {
  ScriptedClient peer("pause");
  EXPECT_TRUE(peer.client.SendCommand(peer.command, {250}));
  EXPECT_EQ(peer.client.LastReply, "250-first part\r\n250 done\r\n");
  EXPECT_TRUE(peer.client.SendCommand("MAIL FROM:<app@example.test>", {250}));
  const std::string text = SocketErrorOf([&] { peer.client.SendCommand("RCPT TO:<nobody@example.test>", {250, 251}); });
  EXPECT_EQ(text.substr(0, 30), "Error log:\r\n550 no such user\r\n") << text;
}

TEST(SmtpClient, CommandsGoOutWithExactlyOneLineEnd) {
  ScriptedClient peer("echo");
  peer.client.SendCommand(peer.command, {250});
  EXPECT_TRUE(peer.client.SendCommand("NOOP\r\n", {250}));
  EXPECT_EQ(peer.client.LastReply, "250 NOOP\r\n");
  EXPECT_TRUE(peer.client.SendCommand("NOOP", {250}));
  EXPECT_EQ(peer.client.LastReply, "250 NOOP\r\n");
  EXPECT_FALSE(peer.client.SendCommand("", {250}));  // not sent
  EXPECT_TRUE(peer.client.SendCommand("QUIT", {221}));
  EXPECT_EQ(peer.client.LastReply, "221 3\r\n");  // NOOP, NOOP, QUIT: no empty line in between
}

TEST(SmtpClient, ReplyWithoutCodeIsRefused) {
  ScriptedClient peer("nocode");
  ASSERT_EQ(peer.client.SendText(peer.command + "\r\n"), static_cast<int>(peer.command.size() + 2));
  EXPECT_FALSE(peer.client.ExpectReply({250}));
  EXPECT_EQ(peer.client.LastReply, "ok\r\n");

  ScriptedClient again("nocode");
  const std::string text = SocketErrorOf([&] { again.client.SendCommand(again.command, {250}); });
  EXPECT_EQ(text.substr(0, 16), "Error log:\r\nok\r\n") << text;
  EXPECT_NE(text.find("Socket log:\r\nConnected to 127.0.0.1"), std::string::npos) << text;
}

TEST(SmtpClient, ServerWithoutAuthLoginIsUsedUnauthenticated) {
  ScriptedClient peer("auth");
  EXPECT_TRUE(peer.client.SendCommand(peer.command, {250}));
  EXPECT_TRUE(peer.client.SendCommand("AUTH LOGIN", {334, 500, 502}));
  EXPECT_TRUE(peer.client.SendCommand(Base64Encode("user"), {334, 500, 502}));
  EXPECT_TRUE(peer.client.SendCommand(Base64Encode("secret"), {235, 500, 502}));
  EXPECT_EQ(peer.client.LastReply, "502 not implemented\r\n");
  EXPECT_TRUE(peer.client.SendCommand("MAIL FROM:<app@example.test>", {250}));
  EXPECT_NE(peer.client.Transcript.find("AUTH LOGIN\r\n502 not implemented\r\n***\r\n502 not implemented\r\n***\r\n"),
            std::string::npos)
      << peer.client.Transcript;
}

TEST(SmtpClient, FailingReplies) {
  const struct {
    const char* scenario;
    uint32_t timeout;
    std::string text;
  } cases[] = {
      {"endless", kReplyTimeout, "Reply longer than 65536 bytes."},
      {"close", kReplyTimeout, "Connection closed by the peer."},
      {"silent", 300, "Socket timeout."},  // nothing comes, whatever the wait
  };
  for (const auto& c : cases) {
    ScriptedClient peer(c.scenario, c.timeout);
    const std::string text = SocketErrorOf([&] { peer.client.SendCommand(peer.command, {250}); });
    EXPECT_EQ(text.substr(0, c.text.size()), c.text) << c.scenario;
    EXPECT_LE(text.size(), 1024u + 3) << c.scenario;
    EXPECT_TRUE(peer.client.IsOpen) << c.scenario;
  }
}

TEST(ClientSocket, RefusedConnectionRaisesAndLeavesTheSocketClosed) {
  TTarvexClientSocket socket("127.0.0.1", 1, true, 1000);
  const std::string text = SocketErrorOf([&] { socket.Connect(); });
  EXPECT_EQ(text.substr(0, 19), "Connection error: \"") << text;
  EXPECT_NE(text.find("\r\n\r\nDestination: 127.0.0.1:1"), std::string::npos) << text;
  EXPECT_FALSE(socket.IsOpen);
  EXPECT_EQ(socket.Handle, TTarvexClientSocket::kNoSocket);
}

TEST(ClientSocket, UnconnectedSocketDoesNothing) {
  TTarvexClientSocket socket("127.0.0.1", ScriptedSmtpPort(), true, 1000);
  char buffer[4];
  EXPECT_EQ(socket.SendText("HELO x\r\n"), 0);
  EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 0);
  EXPECT_EQ(socket.ReceiveAvailable(), "");
  EXPECT_EQ(socket.RemoteAddress.Family, 2);
}

TEST(ClientSocket, ConnectFillsTheAddressAndDisconnectResetsIt) {
  TTarvexClientSocket socket("127.0.0.1", ScriptedSmtpPort(), true, kReplyTimeout);
  socket.Connect();
  EXPECT_TRUE(socket.IsOpen);
  EXPECT_EQ(socket.RemoteAddress.Family, 2);
  EXPECT_EQ(socket.RemoteAddress.Address, 0x0100007Fu);  // 127.0.0.1 in network order
  EXPECT_EQ(socket.RemoteAddress.Port, winsock::htons(ScriptedSmtpPort()));
  EXPECT_EQ(socket.Transcript, "Connected to 127.0.0.1 port " + std::to_string(ScriptedSmtpPort()) + "\r\n");
  EXPECT_FALSE(socket.ReceiveOrFail().empty());
  socket.Disconnect();
  EXPECT_FALSE(socket.IsOpen);
  EXPECT_EQ(socket.Handle, TTarvexClientSocket::kNoSocket);
  EXPECT_EQ(socket.RemoteAddress.Address, 0u);
  EXPECT_TRUE(socket.Transcript.empty());
  EXPECT_TRUE(socket.LastReply.empty());
}

TEST(WinSock, MissingFunctionRaisesItsOwnClass) {
  try {
    winsock::GetWinSockFunction("NoSuchSocketFunction");
    ADD_FAILURE() << "no exception";
  } catch (const ETarvexFuncNotFoundError& error) {
    EXPECT_EQ(error.Message(), "WinSock's function \"NoSuchSocketFunction\" can not be found");
    EXPECT_TRUE(error.InheritsFrom("ETarvexWinSockError"));
  }
  EXPECT_NE(winsock::GetWinSockFunction("send"), nullptr);
}

}  // namespace
}  // namespace tarvex
