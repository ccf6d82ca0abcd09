#include "crashreport/callstack/modules/module_texts.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(ModuleTexts, SizeToKbRoundsToTheNearestTiesToEven) {
  const struct {
    uint32_t bytes;
    const char* text;
  } cases[] = {{0, ""}, {1, "0 Kb"}, {511, "0 Kb"}, {512, "0 Kb"}, {513, "1 Kb"}, {1024, "1 Kb"},
               {1536, "2 Kb"}, {2560, "2 Kb"}, {2561, "3 Kb"}, {3584, "4 Kb"}, {0xFFFFFFFF, "4194304 Kb"}};
  for (const auto& c : cases) EXPECT_EQ(SizeToKb(c.bytes), c.text) << c.bytes;
}

TEST(ModuleTexts, BasePriorityGivesThePriorityClassAndItsName) {
  const struct {
    int32_t base;
    uint32_t priorityClass;
    const char* name;
  } cases[] = {{0, 0, ""},         {1, 64, "Low"},      {4, 64, "Low"},         {5, 64, "Low"},
               {6, 0x4000, "Below-Normal"}, {7, 0x4000, "Below-Normal"}, {8, 32, "Normal"}, {9, 32, "Normal"},
               {10, 0x8000, "Above-Normal"}, {12, 0x8000, "Above-Normal"}, {13, 128, "High"}, {23, 128, "High"},
               {24, 256, "Real-Time"},  {31, 256, "Real-Time"}, {-1, 64, "Low"}};
  for (const auto& c : cases) {
    EXPECT_EQ(BasePriorityToClass(c.base), c.priorityClass) << c.base;
    EXPECT_EQ(PriorityClassName(c.priorityClass), c.name) << c.base;
  }
  EXPECT_EQ(PriorityClassName(0x10), "");
}

TEST(ModuleTexts, FileVersionTextJoinsTheFourHalvesAndTreatsZeroAsNone) {
  EXPECT_EQ(FileVersionText(0, 0), "");
  EXPECT_EQ(FileVersionText(0x00060001, 0x0002000B), "6.1.2.11");
  EXPECT_EQ(FileVersionText(0xFFFF0000, 0x00000001), "65535.0.0.1");
}

}  // namespace
