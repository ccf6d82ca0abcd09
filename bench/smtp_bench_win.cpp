// Sends one message with a 10 MB body through the SMTP client to the server at
// 127.0.0.1:$VX_SMTP_PORT and times the dialogue from connecting to the
// accepted data; then times one MX lookup against dnsmasq at
// 127.0.0.1:$VX_DNSMASQ_PORT. Prints "smtp_seconds=S bytes=N" and
// "mx_seconds=S host=H". Run by bench/smtp_bench.py, which compares the
// sending with Python's smtplib in the same run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "crashreport/delivery/dns/resolve_mx.h"
#include "crashreport/delivery/smtp/smtp_client.h"
#include "rtl/exception.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Lines of 76 characters, as a Base64 attachment has them.
std::string Body(size_t size) {
  std::string body;
  body.reserve(size + 80);
  const std::string line = std::string(76, 'Q') + "\r\n";
  while (body.size() < size) body += line;
  return body;
}

}  // namespace

int main() {
  const char* smtpPort = std::getenv("VX_SMTP_PORT");
  const char* dnsPort = std::getenv("VX_DNSMASQ_PORT");
  if (!smtpPort || !dnsPort) {
    std::fprintf(stderr, "run through tests/delivery/mail_peers.py\n");
    return 2;
  }
  const std::string message = "Subject: benchmark\r\n\r\n" + Body(10 * 1000 * 1000) + ".";
  try {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    tarvex::TTarvexClientSMTP client("127.0.0.1", static_cast<uint16_t>(std::atoi(smtpPort)), 30000);
    client.Connect();
    client.SendCommand("EHLO bench", {250});
    client.SendCommand("MAIL FROM:<bench@example.test>", {250});
    client.SendCommand("RCPT TO:<author@example.test>", {250, 251});
    client.SendCommand("DATA", {354});
    client.SendCommand(message, {250});
    QueryPerformanceCounter(&end);
    std::printf("smtp_seconds=%.4f bytes=%u\n", Seconds(start, end), static_cast<unsigned>(message.size()));

    QueryPerformanceCounter(&start);
    const std::string host =
        tarvex::ResolveMX("author@example.test", 30000, {"127.0.0.1"}, static_cast<uint16_t>(std::atoi(dnsPort)));
    QueryPerformanceCounter(&end);
    std::printf("mx_seconds=%.4f host=%s\n", Seconds(start, end), host.c_str());
  } catch (const rtl::Exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
