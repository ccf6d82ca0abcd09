// The fields of a web request: names and values kept apart, so that a name or
// value holding "=" or "&" stays what it is until the body is encoded.
#pragma once

#include <string>
#include <vector>

namespace tarvex {

struct TFormField {
  std::string Name;
  std::string Value;
  bool operator==(const TFormField&) const = default;
};

using TFormFields = std::vector<TFormField>;

}  // namespace tarvex
