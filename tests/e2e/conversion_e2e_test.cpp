// The conversions, driven through the running program's window.
#include <gtest/gtest.h>

#include "tests/e2e/calc_driver.h"
#include "tests/e2e/pages.h"

namespace {

using e2e::CalcDriver;
using e2e::ConverterPage;
using e2e::Lines;
using e2e::SetWindowTextTo;
using Texts = std::vector<std::wstring>;

struct WorkedExample {
  e2e::PageInfo page;
  const wchar_t* shape;
  int packageIndex;
  const wchar_t* material;
  const wchar_t* line;  // the same line in both directions
};

void PrintTo(const WorkedExample& example, std::ostream* out) { *out << example.page.name; }

class WorkedExamples : public testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExamples, ConvertBothWaysAndLinesAccumulate) {
  const WorkedExample& example = GetParam();
  CalcDriver calc;
  const ConverterPage page = calc.SelectPage(example.page.index, example.page.caption);

  SetWindowTextTo(page.shape, example.shape);
  CalcDriver::Click(page.convert);
  EXPECT_EQ(Lines(page.results), Texts{example.line});

  SetWindowTextTo(page.shape, L"");
  SetWindowTextTo(page.material, example.material);
  e2e::SelectItem(page.packages, example.packageIndex);
  CalcDriver::Click(page.convert);
  EXPECT_EQ(Lines(page.results), (Texts{example.line, example.line}));
}

INSTANTIATE_TEST_SUITE_P(Pages, WorkedExamples, testing::Values(
    WorkedExample{e2e::kClothingPage, L"30", 1, L"10001", L"衣服素材包:Human2,素材编号:10001,ShapeID:30"},
    WorkedExample{e2e::kWeaponsPage, L"125", 2, L"5001", L"武器素材包:weapon3,素材编号:5001,ShapeID:125"},
    WorkedExample{e2e::kNpcPage, L"300", 1, L"10001", L"NPC素材包:npc2,素材编号:10001,ShapeID:300"},
    WorkedExample{e2e::kMonsterPage, L"250", 2, L"25001", L"怪物素材包:monster3,素材编号:25001,ShapeID:250"}),
    [](const testing::TestParamInfo<WorkedExample>& info) { return std::string(info.param.page.name); });

TEST(Conversion, BothEmptyOrBothFilledAddsNothing) {
  CalcDriver calc;
  const ConverterPage page = calc.SelectPage(e2e::kWeaponsPage.index, e2e::kWeaponsPage.caption);
  CalcDriver::Click(page.convert);
  EXPECT_EQ(Lines(page.results), Texts{});

  SetWindowTextTo(page.shape, L"125");
  SetWindowTextTo(page.material, L"5001");
  e2e::SelectItem(page.packages, 2);
  CalcDriver::Click(page.convert);
  EXPECT_EQ(Lines(page.results), Texts{});
}

TEST(Conversion, EdgeCasesOnTheWeaponsPage) {
  CalcDriver calc;
  const ConverterPage page = calc.SelectPage(e2e::kWeaponsPage.index, e2e::kWeaponsPage.caption);
  for (const wchar_t* shape : {L"-1", L"$7D", L" 125", L"0", L"60"}) {
    SetWindowTextTo(page.shape, shape);
    CalcDriver::Click(page.convert);
  }
  // Reverse with no package selected.
  SetWindowTextTo(page.shape, L"");
  SetWindowTextTo(page.material, L"5001");
  CalcDriver::Click(page.convert);

  EXPECT_EQ(Lines(page.results), (Texts{
      L"武器素材包:weapon1,素材编号:-999,ShapeID:-1",
      L"武器素材包:weapon3,素材编号:5001,ShapeID:$7D",
      L"武器素材包:weapon3,素材编号:5001,ShapeID: 125",
      L"武器素材包:weapon1,素材编号:1,ShapeID:0",
      L"武器素材包:weapon2,素材编号:1,ShapeID:60",
      L"武器素材包:weapon0,素材编号:5001,ShapeID:-55"}));
}

TEST(Conversion, LinesFollowTextTheUserTypedIntoTheResults) {
  CalcDriver calc;
  const ConverterPage page = calc.SelectPage(e2e::kMonsterPage.index, e2e::kMonsterPage.caption);
  SetWindowTextTo(page.results, L"my note");
  SetWindowTextTo(page.shape, L"250");
  CalcDriver::Click(page.convert);
  EXPECT_EQ(Lines(page.results), (Texts{L"my note", L"怪物素材包:monster3,素材编号:25001,ShapeID:250"}));
}

struct BadInput {
  const char* name;
  const wchar_t* shape;
  const wchar_t* material;
  const wchar_t* message;
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class BadInputs : public testing::TestWithParam<BadInput> {};

// The crash reporter inside the program meets the conversion's error: its
// dialog shows the message (the framework's own error box never appears).
TEST_P(BadInputs, ShowTheErrorAddNoLineAndTheWindowStaysUsable) {
  const BadInput& input = GetParam();
  CalcDriver calc;
  const ConverterPage page = calc.SelectPage(e2e::kWeaponsPage.index, e2e::kWeaponsPage.caption);
  SetWindowTextTo(page.shape, input.shape);
  SetWindowTextTo(page.material, input.material);
  CalcDriver::ClickAndGoOn(page.convert);

  HWND dialog = calc.WaitForDialog(e2e::kCrashDialogCaption);
  ASSERT_NE(dialog, nullptr) << "no crash reporter dialog";
  EXPECT_EQ(e2e::WindowText(GetDlgItem(dialog, e2e::kCrashDialogMessage)), std::wstring(input.message) + L".");
  ASSERT_TRUE(e2e::PressDialogButton(dialog, e2e::kCrashDialogDontSend));
  EXPECT_EQ(Lines(page.results), Texts{});

  SetWindowTextTo(page.shape, L"125");
  SetWindowTextTo(page.material, L"");
  CalcDriver::Click(page.convert);
  EXPECT_EQ(Lines(page.results), Texts{L"武器素材包:weapon3,素材编号:5001,ShapeID:125"});
  EXPECT_TRUE(calc.OpenDialogs().empty()) << "the framework's error box appeared";
}

INSTANTIATE_TEST_SUITE_P(Texts, BadInputs, testing::Values(
    BadInput{"LetterInShape", L"12a", L"", L"'12a' is not a valid integer value"},
    BadInput{"FractionInShape", L"1.5", L"", L"'1.5' is not a valid integer value"},
    BadInput{"BlanksInShape", L"   ", L"", L"'   ' is not a valid integer value"},
    BadInput{"ShapeBeyond32Bits", L"99999999999", L"", L"'99999999999' is not a valid integer value"},
    BadInput{"LetterInMaterial", L"", L"5001x", L"'5001x' is not a valid integer value"},
    BadInput{"ChineseInMaterial", L"", L"素材", L"'素材' is not a valid integer value"}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(Program, ClosingTheWindowEndsTheProgram) {
  CalcDriver calc;
  EXPECT_EQ(calc.CloseAndWait(), 0u);
}

}  // namespace
