// A fixed-capacity string stored inline, for records that must not allocate
// per field (stack entries are built in bulk while a report is composed).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tarvex {

template <size_t Capacity>
class ShortString {
 public:
  ShortString() = default;
  ShortString(std::string_view text) { Assign(text); }  // NOLINT: implicit like a string

  // Keeps the first Capacity characters of `text`.
  void Assign(std::string_view text) {
    size_ = text.size() < Capacity ? text.size() : Capacity;
    std::memcpy(chars_, text.data(), size_);
  }
  ShortString& operator=(std::string_view text) { return Assign(text), *this; }

  std::string_view view() const { return {chars_, size_}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const { return view(); }  // NOLINT
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }

  friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }

 private:
  size_t size_ = 0;
  char chars_[Capacity];
};

}  // namespace tarvex
