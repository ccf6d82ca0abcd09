// One upload of a file through the crash reporter's HTTP or FTP upload,
// timed inside the program (so Wine's start is not counted); run by
// bench/web_upload_bench.py beside curl against the same loopback servers.
//
//   web_upload_bench_win http HOST PORT PATH FILE
//   web_upload_bench_win ftp HOST PORT FOLDER FILE NAME USER PASSWORD
//   web_upload_bench_win socket HOST PORT PATH FILE
// "socket" is the floor under the same emulator: the same multipart POST
// written straight to a Winsock socket in 64 KB blocks, without the Internet
// library. Prints the seconds taken; exit code 1 when the upload failed.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "crashreport/delivery/http/multipart_body.h"
#include "crashreport/delivery/http/request_body.h"
#include "crashreport/delivery/upload/upload_win.h"

namespace {

// The POST over a plain socket: 0 when the server answered 200.
int SocketUpload(const char* host, uint16_t port, const std::string& path, const std::string& file) {
  using namespace tarvex;
  const TRequestBody body = UploadBody({}, {{"BugReport.bin", file}}, NewMultipartBoundary());
  const std::string head = "POST " + path + " HTTP/1.1\r\nHost: " + host + "\r\n" + body.ContentTypeHeader +
                           "\r\nContent-Length: " + std::to_string(body.Bytes.size()) + "\r\nConnection: close\r\n\r\n";
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(host);
  int result = 1;
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = head + body.Bytes;
    size_t sent = 0;
    while (sent < request.size()) {
      const int n = send(s, request.data() + sent, static_cast<int>(std::min<size_t>(65536, request.size() - sent)), 0);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    char answer[64] = {};
    recv(s, answer, sizeof answer - 1, 0);
    result = sent == request.size() && std::string(answer).find(" 200 ") != std::string::npos ? 0 : 1;
  }
  closesocket(s);
  WSACleanup();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvex;
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s http|ftp HOST PORT PATH|FOLDER FILE [NAME USER PASSWORD]\n", argv[0]);
    return 2;
  }
  const std::string kind = argv[1];
  std::string errorText;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  int result;
  if (kind == "socket") {
    QueryPerformanceCounter(&start);
    result = SocketUpload(argv[2], static_cast<uint16_t>(std::atoi(argv[3])), argv[4], argv[5]);
    QueryPerformanceCounter(&end);
  } else if (kind == "http") {
    THTTPUpload upload;
    upload.Host = argv[2];
    upload.Port = static_cast<uint16_t>(std::atoi(argv[3]));
    upload.Path = argv[4];
    upload.Files = {{"BugReport.bin", argv[5]}};
    QueryPerformanceCounter(&start);
    result = UploadHTTP(upload, errorText, nullptr);
    QueryPerformanceCounter(&end);
  } else {
    if (argc < 9) return 2;
    TFTPUpload upload;
    upload.Host = argv[2];
    upload.Port = static_cast<uint16_t>(std::atoi(argv[3]));
    upload.Folder = argv[4];
    upload.Files = {{argv[6], argv[5]}};
    upload.User = argv[7];
    upload.Password = argv[8];
    QueryPerformanceCounter(&start);
    result = UploadFTP(upload, errorText, nullptr);
    QueryPerformanceCounter(&end);
  }
  if (result != kUploadSent) {
    std::fprintf(stderr, "upload failed: %d %s\n", result, errorText.c_str());
    return 1;
  }
  std::printf("%.6f\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  return 0;
}
