// A catalogue of the option stream's scalar fields: name, stored kind, the
// names of enumeration values or set members, and typed access. Text forms of
// the options (the build tool's options file, dumps, the reference) use it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "crashreport/base/options/options.h"

namespace tarvex {

enum class OptionKind { Bool, Enum8, Set8, Set16, Set48, Int32, UInt16, String };

struct OptionFieldInfo {
  const char* name;
  OptionKind kind;
  // Enumerations: the name of each value. Sets: the name of each bit, nullptr
  // for bits without a name (written as their bit number).
  std::span<const char* const> valueNames;
  // Numbers (every kind but String) as int64; sets as their bit pattern.
  int64_t (*getNumber)(const TTarvexModuleOptions&);
  void (*setNumber)(TTarvexModuleOptions&, int64_t);
  const std::string& (*getString)(const TTarvexModuleOptions&);
  void (*setString)(TTarvexModuleOptions&, std::string);
};

// The fields in stream order.
std::span<const OptionFieldInfo> OptionFields();
const OptionFieldInfo* FindOptionField(std::string_view name);

// Width in bits of a set kind (8, 16 or 48), 0 for other kinds.
int SetWidth(OptionKind kind);
// The largest value a numeric kind can hold, and the smallest.
int64_t KindMaximum(OptionKind kind, size_t valueNameCount);
int64_t KindMinimum(OptionKind kind);

// Names of the values of the exception filter's enumerations.
extern const std::array<const char*, 3> kFilterScopeNames;
extern const std::array<const char*, 5> kFilterDialogNames;
extern const std::array<const char*, 3> kFilterHandlingNames;
extern const std::array<const char*, 3> kFilterAfterActionNames;

}  // namespace tarvex
