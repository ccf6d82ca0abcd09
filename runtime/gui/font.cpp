#include "gui/font.h"

namespace rtl::gui {

Font::Font(const wchar_t* face, int height)
    : handle_(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face)) {}

Font::~Font() { DeleteObject(handle_); }

}  // namespace rtl::gui
