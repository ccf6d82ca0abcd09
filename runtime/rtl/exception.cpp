#include "rtl/exception.h"

namespace rtl {

bool ClassInfo::InheritsFrom(std::string_view className) const noexcept {
  for (const ClassInfo* c = this; c != nullptr; c = c->parent)
    if (className == c->name) return true;
  return false;
}

}  // namespace rtl
