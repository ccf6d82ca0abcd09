#include "app/shape_conversion.h"

#include <gtest/gtest.h>

#include "rtl/exception.h"

namespace {

using zorvik::Convert;
using zorvik::ShapeKind;

struct Case {
  const char* name;
  const ShapeKind* kind;
  const char* material;  // the material edit as typed
  const char* shape;     // the Shape edit as typed
  int32_t packageIndex;  // the list's selection, -1 for none
  const char* line;      // nullptr: the press adds no line
};

class ConvertCase : public testing::TestWithParam<Case> {};

TEST_P(ConvertCase, GivesTheLine) {
  const Case& c = GetParam();
  const std::optional<std::string> line = Convert(*c.kind, c.material, c.shape, c.packageIndex);
  if (c.line == nullptr) {
    EXPECT_FALSE(line.has_value()) << *line;
  } else {
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, c.line);
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, ConvertCase, testing::Values(
    // Worked examples, both directions.
    Case{"WeaponsForward", &zorvik::kWeapons, "", "125", -1, "武器素材包:weapon3,素材编号:5001,ShapeID:125"},
    Case{"WeaponsReverse", &zorvik::kWeapons, "5001", "", 2, "武器素材包:weapon3,素材编号:5001,ShapeID:125"},
    Case{"ClothingForward", &zorvik::kClothing, "", "30", -1, "衣服素材包:Human2,素材编号:10001,ShapeID:30"},
    Case{"ClothingReverse", &zorvik::kClothing, "10001", "", 1, "衣服素材包:Human2,素材编号:10001,ShapeID:30"},
    Case{"NpcForward", &zorvik::kNpcs, "", "300", -1, "NPC素材包:npc2,素材编号:10001,ShapeID:300"},
    Case{"NpcReverse", &zorvik::kNpcs, "10001", "", 1, "NPC素材包:npc2,素材编号:10001,ShapeID:300"},
    Case{"MonsterForward", &zorvik::kMonsters, "", "250", -1, "怪物素材包:monster3,素材编号:25001,ShapeID:250"},
    Case{"MonsterReverse", &zorvik::kMonsters, "25001", "", 2, "怪物素材包:monster3,素材编号:25001,ShapeID:250"},
    // The package selection plays no part forward.
    Case{"ForwardIgnoresSelection", &zorvik::kWeapons, "", "125", 7, "武器素材包:weapon3,素材编号:5001,ShapeID:125"},
    // Direction: both empty or both filled do nothing; blanks are not empty.
    Case{"BothEmpty", &zorvik::kWeapons, "", "", 0, nullptr},
    Case{"BothFilled", &zorvik::kWeapons, "5001", "125", 2, nullptr},
    Case{"BlankMaterialIsFilled", &zorvik::kWeapons, " ", "125", 2, nullptr},
    // Truncation toward zero and remainder with the dividend's sign.
    Case{"NegativeShape", &zorvik::kWeapons, "", "-1", -1, "武器素材包:weapon1,素材编号:-999,ShapeID:-1"},
    Case{"NegativeBeyondOnePackage", &zorvik::kWeapons, "", "-61", -1, "武器素材包:weapon0,素材编号:-999,ShapeID:-61"},
    Case{"NegativeMaterial", &zorvik::kWeapons, "-1999", "", 0, "武器素材包:weapon1,素材编号:-1999,ShapeID:-1"},
    Case{"ShapeZero", &zorvik::kMonsters, "", "0", -1, "怪物素材包:monster1,素材编号:1,ShapeID:0"},
    Case{"ExactMultipleStartsNewPackage", &zorvik::kWeapons, "", "60", -1, "武器素材包:weapon2,素材编号:1,ShapeID:60"},
    Case{"MaterialOffTheStep", &zorvik::kWeapons, "1999", "", 0, "武器素材包:weapon1,素材编号:1999,ShapeID:1"},
    Case{"NoPackageSelected", &zorvik::kWeapons, "5001", "", -1, "武器素材包:weapon0,素材编号:5001,ShapeID:-55"},
    // The typed text is echoed, not the number it stands for.
    Case{"HexShapeEchoed", &zorvik::kWeapons, "", "$7D", -1, "武器素材包:weapon3,素材编号:5001,ShapeID:$7D"},
    Case{"LeadingBlankEchoed", &zorvik::kWeapons, "", " 125", -1, "武器素材包:weapon3,素材编号:5001,ShapeID: 125"},
    Case{"HexMaterialEchoed", &zorvik::kWeapons, "0x1389", "", 2, "武器素材包:weapon3,素材编号:0x1389,ShapeID:125"},
    // Clothing doubles in wrapping 32-bit arithmetic: 2^30 doubles to -2^31.
    Case{"ClothingDoublingWraps", &zorvik::kClothing, "", "1073741824", -1,
         "衣服素材包:Human-42949671,素材编号:-47999,ShapeID:1073741824"},
    Case{"ClothingLargestShapeWraps", &zorvik::kClothing, "", "2147483647", -1,
         "衣服素材包:Human1,素材编号:-1999,ShapeID:2147483647"},
    // The extremes of the material range stay in range.
    Case{"SmallestMaterial", &zorvik::kClothing, "-2147483648", "", 8,
         "衣服素材包:Human9,素材编号:-2147483648,ShapeID:-1073541"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

struct BadInput {
  const char* material;
  const char* shape;
  const char* offending;
};

class ConvertBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(ConvertBadInput, RaisesTheConversionError) {
  const BadInput& b = GetParam();
  try {
    Convert(zorvik::kWeapons, b.material, b.shape, 0);
    FAIL() << "no exception";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), std::string("'") + b.offending + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConvertBadInput, testing::Values(
    BadInput{"", "12a", "12a"}, BadInput{"", "1.5", "1.5"}, BadInput{"", "   ", "   "},
    BadInput{"", "99999999999", "99999999999"}, BadInput{"12a", "", "12a"},
    BadInput{"   ", "", "   "}, BadInput{"99999999999", "", "99999999999"}));

}  // namespace
