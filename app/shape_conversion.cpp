#include "app/shape_conversion.h"

#include "rtl/convert.h"

namespace zorvik {

namespace {

// The divisions are "floating-point division truncated toward zero". For any
// 32-bit dividend and these small positive divisors a double quotient is far
// from rounding onto the next integer, so C++'s integer division (which
// truncates toward zero) gives the same result, and `%` takes the dividend's
// sign as the remainder must.

std::string Line(const ShapeKind& kind, int32_t package, std::string_view material,
                 std::string_view shape) {
  std::string line(kind.kindWord);
  line += std::to_string(package);
  line += ",素材编号:";
  line += material;
  line += ",ShapeID:";
  line += shape;
  return line;
}

}  // namespace

PackageMaterial ShapeToPackage(const ShapeKind& kind, int32_t shape) {
  const auto v = static_cast<int32_t>(static_cast<uint32_t>(shape) *
                                      static_cast<uint32_t>(kind.shapeFactor));
  return {v / kind.shapesPerPackage + 1, v % kind.shapesPerPackage * kind.materialStep + 1};
}

int32_t PackageToShape(const ShapeKind& kind, int32_t packageIndex, int32_t material) {
  return packageIndex * kind.reversePackageSize + material / kind.reverseDivisor;
}

std::optional<std::string> Convert(const ShapeKind& kind, std::string_view materialText,
                                   std::string_view shapeText, int32_t packageIndex) {
  // Only texts that convert reach the line, and those are plain ASCII, so
  // echoing them into a UTF-8 line is exact whatever 8-bit encoding they came in.
  if (materialText.empty() && !shapeText.empty()) {
    const PackageMaterial at = ShapeToPackage(kind, rtl::StrToInt(shapeText));
    return Line(kind, at.package, std::to_string(at.material), shapeText);
  }
  if (!materialText.empty() && shapeText.empty()) {
    const int32_t shape = PackageToShape(kind, packageIndex, rtl::StrToInt(materialText));
    return Line(kind, packageIndex + 1, materialText, std::to_string(shape));
  }
  return std::nullopt;
}

}  // namespace zorvik
