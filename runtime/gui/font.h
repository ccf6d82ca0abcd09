// An owned GDI font.
#pragma once

#include <windows.h>

namespace rtl::gui {

class Font {
 public:
  // `height` is the character height in pixels (the em height, without the
  // internal leading); default character set, normal weight.
  Font(const wchar_t* face, int height);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  HFONT Handle() const noexcept { return handle_; }

 private:
  HFONT handle_;
};

}  // namespace rtl::gui
