#include "crashreport/dialogs/detailed/dialog_geometry.h"

#include <gtest/gtest.h>

#include <map>

namespace tarvex {
namespace {

GeometryReader Reader(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const char* key) {
    const auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
  };
}

const ScreenRect kWorkArea{0, 0, 1024, 738};

TEST(DialogGeometry, MissingOrBrokenValuesGiveTheDefaultsCentred) {
  for (const auto& settings : {std::map<std::string, std::string>{},
                               {{"Width", "wide"}, {"Height", ""}, {"Left", "12x"}, {"Top", "-"}}}) {
    const StoredGeometry stored = ReadGeometry(Reader(settings));
    EXPECT_EQ(stored.width, 745);
    EXPECT_EQ(stored.height, 468);
    EXPECT_EQ(stored.showState, kShowNormal);
    EXPECT_EQ(PlaceExpandedWindow(stored, kWorkArea), (ScreenRect{139, 135, 745, 468}));
  }
}

TEST(DialogGeometry, StoredPlacementIsKeptOnlyInsideTheWorkArea) {
  struct Case {
    const char* left;
    const char* top;
    ScreenRect expected;
  } cases[] = {
      {"10", "20", {10, 20, 600, 400}},
      {"-5000", "20", {212, 169, 600, 400}},  // asks for the centre
      {"-1", "20", {212, 169, 600, 400}},     // left of the work area
      {"500", "20", {212, 169, 600, 400}},    // right edge beyond it
      {"10", "400", {212, 169, 600, 400}},    // bottom below it
      {"424", "338", {424, 338, 600, 400}},   // touching both far edges
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.left) + "," + c.top);
    const StoredGeometry stored =
        ReadGeometry(Reader({{"Width", "600"}, {"Height", "400"}, {"Left", c.left}, {"Top", c.top}}));
    EXPECT_EQ(PlaceExpandedWindow(stored, kWorkArea), c.expected);
  }
}

TEST(DialogGeometry, CentringHonoursTheWorkAreaOrigin) {
  EXPECT_EQ(CentreIn(400, 200, {100, 50, 800, 600}), (ScreenRect{300, 250, 400, 200}));
}

TEST(DialogGeometry, AMaximizedWindowKeepsItsNormalSize) {
  using Values = std::vector<std::pair<std::string, std::string>>;
  auto asValues = [](const auto& saved) {
    Values values;
    for (const auto& [key, value] : saved) values.emplace_back(key, value);
    return values;
  };
  EXPECT_EQ(asValues(GeometryToSave(kShowNormal, {5, 6, 700, 500})),
            (Values{{"Width", "700"}, {"Height", "500"}, {"Left", "5"}, {"Top", "6"}, {"WindowsState", "1"}}));
  EXPECT_EQ(asValues(GeometryToSave(kShowMaximized, {0, 0, 1024, 738})), (Values{{"WindowsState", "3"}}));
}

TEST(DialogGeometry, ModulesStoreModifiedUnderColMod6AndPathUnderColMod5) {
  const auto columns = ModuleColumns();
  ASSERT_EQ(columns.size(), 7u);
  EXPECT_STREQ(columns[5].key, "ColMod6");
  EXPECT_EQ(columns[5].captionText, mtModuleModified);
  EXPECT_EQ(columns[5].defaultWidth, 80);
  EXPECT_STREQ(columns[6].key, "ColMod5");
  EXPECT_EQ(columns[6].captionText, mtModulePath);
  EXPECT_EQ(columns[6].defaultWidth, 712);
  EXPECT_EQ(ReadColumnWidths(columns, Reader({{"ColMod5", "300"}, {"ColMod6", "90"}})),
            (std::vector<int>{80, 96, 175, 50, 54, 90, 300}));
}

TEST(DialogGeometry, ColumnTablesMatchTheirDefaults) {
  EXPECT_EQ(ReadColumnWidths(CallStackColumns(), Reader({})), (std::vector<int>{89, 92, 126, 126, 200, 61}));
  EXPECT_EQ(ReadColumnWidths(ProcessColumns(), Reader({{"ColPro7", "12"}})),
            (std::vector<int>{48, 134, 232, 56, 57, 47, 52, 12}));
  EXPECT_TRUE(CallStackColumns()[5].rightAligned);  // Line
  EXPECT_FALSE(ProcessColumns()[7].rightAligned);   // Path
}

}  // namespace
}  // namespace tarvex
