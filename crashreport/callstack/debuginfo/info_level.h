// How much is known about a code address: the information levels of a
// call-stack entry and sets of them.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tarvex {

// How much is known about an entry's address.
enum TTarvexInfoLevel : uint8_t {
  ilNone = 0,       // nothing (no known module, or blanked by the clean-up)
  ilModule = 1,     // the module only
  ilProcedure = 2,  // a procedure name only
  ilUnit = 3,       // unit, class and procedure, no line
  ilLine = 4,       // everything including the line
};

// A set of info levels as eight bits; levels above 7 are never members.
class TTarvexInfoLevelSet {
 public:
  constexpr TTarvexInfoLevelSet() = default;
  constexpr TTarvexInfoLevelSet(std::initializer_list<TTarvexInfoLevel> levels) {
    for (TTarvexInfoLevel level : levels) Include(level);
  }
  constexpr void Include(TTarvexInfoLevel level) { bits_ |= uint8_t(1u << level); }
  constexpr bool Contains(uint8_t level) const { return level < 8 && (bits_ >> level & 1u) != 0; }
  constexpr uint8_t Bits() const { return bits_; }
  friend constexpr bool operator==(TTarvexInfoLevelSet, TTarvexInfoLevelSet) = default;

 private:
  uint8_t bits_ = 0;
};

inline constexpr TTarvexInfoLevelSet kAllInfoLevels{ilNone, ilModule, ilProcedure, ilUnit, ilLine};

}  // namespace tarvex
