// The body of a response as it arrives, with a size limit: a server that
// sends without end cannot fill the crashing program's memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvex {

inline constexpr size_t kMaxResponseBody = 8 * 1024 * 1024;

class TResponseBody {
 public:
  explicit TResponseBody(size_t limit = kMaxResponseBody) : limit_(limit) {}
  // False, keeping nothing of `bytes`, when the body would grow beyond the limit.
  bool Append(std::string_view bytes);
  size_t Size() const { return bytes_.size(); }
  // The body with every byte below 32 replaced by a space (the form reader's text).
  std::string Text() const;

 private:
  size_t limit_;
  std::string bytes_;
};

}  // namespace tarvex
