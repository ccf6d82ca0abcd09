// Shared blocks as named, paging-file backed memory sections.
//
// Block layout: size (4 bytes, little-endian), then that many data bytes. The
// publishing process keeps its section open (a section lives as long as one
// handle to it does); readers open it by name, copy it and close it again.
#include <windows.h>

#include <cstring>
#include <map>

#include "crashreport/base/options/options_ex.h"
#include "crashreport/base/util/little_endian.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {
namespace {

constexpr size_t kSizeFieldBytes = 4;

// Unmaps a view on every path out.
class MappedView {
 public:
  MappedView(HANDLE section, DWORD access, size_t bytes) : view_(MapViewOfFile(section, access, 0, 0, bytes)) {}
  ~MappedView() {
    if (view_) UnmapViewOfFile(view_);
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  uint8_t* get() const { return static_cast<uint8_t*>(view_); }
  // Bytes that can be read from the start of the view: the section's size
  // rounded up to whole pages (the system does not tell the exact size).
  size_t ReadableBytes() const {
    MEMORY_BASIC_INFORMATION region{};
    if (!view_ || VirtualQuery(view_, &region, sizeof region) != sizeof region) return 0;
    return region.RegionSize;
  }

 private:
  void* view_;
};

class SectionBlocks final : public SharedBlocks {
 public:
  uint32_t ProcessId() const override { return GetCurrentProcessId(); }

  bool Publish(const std::string& name, std::span<const uint8_t> data) override {
    Remove(name);
    const uint64_t total = uint64_t{kSizeFieldBytes} + data.size();
    if (total > 0xFFFFFFFFu) return false;
    SetLastError(ERROR_SUCCESS);
    win::KernelHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 static_cast<DWORD>(total), name.c_str()));
    if (!section) return false;
    const bool foreign = GetLastError() == ERROR_ALREADY_EXISTS;  // someone else's section: may be smaller
    {
      const MappedView view(section.get(), FILE_MAP_WRITE, static_cast<size_t>(total));
      if (!view.get() || (foreign && view.ReadableBytes() < total)) return false;
      const uint32_t size = static_cast<uint32_t>(data.size());
      PutLittleEndian32(view.get(), size);
      if (!data.empty()) std::memcpy(view.get() + kSizeFieldBytes, data.data(), data.size());
    }
    sections_[name] = std::move(section);
    return true;
  }

  std::optional<std::vector<uint8_t>> Read(const std::string& name) const override {
    const win::KernelHandle section(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
    if (!section) return std::nullopt;
    std::optional<std::vector<uint8_t>> data;
    {
      const MappedView view(section.get(), FILE_MAP_READ, 0);
      const size_t readable = view.ReadableBytes();
      if (view.get() && readable >= kSizeFieldBytes) {
        const uint8_t* bytes = view.get();
        const size_t size = LittleEndian32(bytes);
        // A size beyond the section means the block is not one of ours: no data.
        if (size <= readable - kSizeFieldBytes)
          data.emplace(bytes + kSizeFieldBytes, bytes + kSizeFieldBytes + size);
      }
    }
    return data;
  }

  void Remove(const std::string& name) override {
    sections_.erase(name);
  }

 private:
  std::map<std::string, win::KernelHandle> sections_;  // the blocks this process published, by name
};

}  // namespace

SharedBlocks& ProcessSharedBlocks() {
  static SectionBlocks blocks;
  return blocks;
}

}  // namespace tarvex
