// The host build's files, for the tests, fuzzers and benchmarks of the zip
// writer on the build machine.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "crashreport/delivery/zip/source_files.h"

namespace tarvex {

namespace {

class PosixSourceFiles final : public SourceFiles {
 public:
  SourceFileStamp Stamp(const std::string& path) const override {
    SourceFileStamp stamp;
    struct stat facts {};
    if (stat(path.c_str(), &facts) != 0) return stamp;
    stamp.Size = static_cast<uint32_t>(facts.st_size);
    std::tm local{};
    if (localtime_r(&facts.st_mtime, &local) == nullptr) return stamp;
    stamp.LastWrite = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
    stamp.DosDateTime = DosDateTime(stamp.LastWrite);
    return stamp;
  }

  bool Read(const std::string& path, std::span<uint8_t> buffer) const override {
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return false;
    size_t filled = 0;
    while (filled < buffer.size()) {
      const ssize_t got = read(file, buffer.data() + filled, buffer.size() - filled);
      if (got <= 0) break;
      filled += static_cast<size_t>(got);
    }
    close(file);
    return filled == buffer.size();
  }
};

}  // namespace

const SourceFiles& LocalSourceFiles() {
  static const PosixSourceFiles files;
  return files;
}

}  // namespace tarvex
