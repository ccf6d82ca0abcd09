// Machine code written for a test, in a page of its own (test support).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tarvex::testsupport {

class ExecutableCode {
 public:
  // A fresh page, read-write until loaded.
  ExecutableCode();
  explicit ExecutableCode(const std::vector<uint8_t>& code) : ExecutableCode() { Load(code); }
  ~ExecutableCode();
  ExecutableCode(const ExecutableCode&) = delete;
  ExecutableCode& operator=(const ExecutableCode&) = delete;

  // Copies `code` to the start of the page, which then becomes PAGE_EXECUTE_READ.
  void Load(const std::vector<uint8_t>& code);

  uint8_t* Start() const { return page_; }
  std::vector<uint8_t> Bytes() const { return {Start(), Start() + size_}; }
  template <typename Function>
  Function As() const {
    return reinterpret_cast<Function>(Start());
  }

 private:
  uint8_t* page_;
  size_t size_ = 0;
};

// The protection of the page holding `address` (0 when the query fails).
DWORD ProtectionAt(const void* address);

}  // namespace tarvex::testsupport
