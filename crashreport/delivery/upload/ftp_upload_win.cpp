#include <vector>

#include "crashreport/delivery/http/file_bytes.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/delivery/upload/upload_session_win.h"
#include "crashreport/delivery/upload/upload_win.h"

namespace tarvex {
namespace {

constexpr DWORD kBlockSize = 65536;

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

int UploadFTP(const TFTPUpload& upload, std::string& errorText, const TUploadProgress& progress) {
  if (upload.Files.empty()) return kUploadSent;
  TUploadSession session;
  const TWinInet& inet = session.Inet();
  if (!inet.Available()) return kUploadNoLibrary;

  struct TExisting {
    const TUploadFile* File;
    uint64_t Size;
  };
  std::vector<TExisting> existing;
  uint64_t total = 0;
  for (const TUploadFile& file : upload.Files) {
    if (const auto size = FileSize(file.Path)) {
      existing.push_back({&file, *size});
      total += *size;
    }
  }
  if (progress) progress(upConnecting, total, 0);
  if (!session.Open(upload.Proxy) || !session.Connect(upload.Host, upload.Port, OrNull(upload.User),
                                                      OrNull(upload.Password), INTERNET_SERVICE_FTP,
                                                      INTERNET_FLAG_PASSIVE))
    return session.Failed(errorText);
  if (progress) progress(upConnected, total, 0);

  uint64_t done = 0;
  for (const TExisting& item : existing) {
    const auto bytes = ReadFileBytes(item.File->Path);
    if (!bytes) continue;  // vanished since it was counted
    const std::string remote = FtpRemoteName(upload.Folder, item.File->DisplayName);
    TInternetHandle file(inet, inet.FtpOpenFileA(session.Connection(), remote.c_str(), GENERIC_WRITE,
                                                 FTP_TRANSFER_TYPE_BINARY, 0));
    if (!file) return session.Failed(errorText);
    for (size_t sent = 0; sent < bytes->size();) {
      const DWORD block = static_cast<DWORD>(std::min<size_t>(kBlockSize, bytes->size() - sent));
      DWORD written = 0;
      if (!inet.InternetWriteFile(file.get(), bytes->data() + sent, block, &written) || written == 0)
        return session.Failed(errorText);
      sent += written;
      done += written;
      if (progress) progress(upSending, total, done);
    }
    if (!file.Close()) return session.Failed(errorText);
  }
  return kUploadSent;
}

}  // namespace tarvex
