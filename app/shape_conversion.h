// The four Shape conversions of the calculator: a game object's Shape number
// to its image package and material number, and back. Platform-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvik {

// The layout of one kind of package. Packages hold a fixed number of Shapes,
// the images of consecutive Shapes follow each other at a fixed material step.
struct ShapeKind {
  std::string_view kindWord;   // starts the result line (UTF-8), the package number follows
  int32_t shapeFactor;         // the Shape is multiplied by this before dividing (wrapping)
  int32_t shapesPerPackage;    // forward divisor and modulus
  int32_t materialStep;
  int32_t reverseDivisor;      // material number to Shape within a package
  int32_t reversePackageSize;  // Shapes per package seen from the reverse direction
};

// Clothing doubles the Shape; its reverse constants are the halves of the
// forward ones after doubling, so that both directions agree.
inline constexpr ShapeKind kClothing{"衣服素材包:Human", 2, 50, 1000, 2000, 25};
inline constexpr ShapeKind kWeapons{"武器素材包:weapon", 1, 60, 1000, 1000, 60};
inline constexpr ShapeKind kNpcs{"NPC素材包:npc", 1, 250, 200, 200, 250};
inline constexpr ShapeKind kMonsters{"怪物素材包:monster", 1, 100, 500, 500, 100};

struct PackageMaterial {
  int32_t package;   // 1-based package number
  int32_t material;  // material number inside the package
};

// Forward: V = Shape x factor (32-bit, wrapping); package = trunc(V / size) + 1;
// material = (V rem size) x step + 1, the remainder taking V's sign.
PackageMaterial ShapeToPackage(const ShapeKind& kind, int32_t shape);

// Reverse: packageIndex x reverse package size + trunc(material / reverse divisor).
// packageIndex is the list's selected index: 0 for the first package, -1 for none.
int32_t PackageToShape(const ShapeKind& kind, int32_t packageIndex, int32_t material);

// One press of a page's convert button. The texts are the two edits as typed.
// Only the material text filled: reverse; only the Shape text filled: forward;
// otherwise (both empty, both filled) nothing. Blanks count as filled.
// Returns the result line (UTF-8): kind word, package number, ",素材编号:",
// material, ",ShapeID:", Shape; the typed text is echoed as it stands.
// A text that is not an integer raises rtl::EConvertError ("'%s' is not a
// valid integer value") and yields no line.
std::optional<std::string> Convert(const ShapeKind& kind, std::string_view materialText,
                                   std::string_view shapeText, int32_t packageIndex);

}  // namespace zorvik
