#include "crashreport/callstack/stack/debug_lookups.h"

#include <gtest/gtest.h>

#include "crashreport/callstack/stack/locate_address.h"
#include "tests/callstack/debuginfo/debug_file_fixture.h"
#include "tests/callstack/stack/synthetic_modules.h"

namespace {

using namespace tarvex;

constexpr char kMap[] =
    "\r\n Start         Length     Name                   Class\r\n"
    " 0001:00000000 00000400H .text                   CODE\r\n"
    "\r\nDetailed map of segments\r\n\r\n"
    " 0001:00000100 00000200 C=CODE     S=.text    G=(none)   M=Shapes   ALIGN=PARA\r\n"
    "\r\n  Address             Publics by Value\r\n\r\n"
    " 0001:00000100       Shapes.TCalc.Run\r\n"
    "\r\nLine numbers for Shapes(C:\\src\\Shapes.pas) segment .text\r\n\r\n"
    "   100 0001:00000100   101 0001:00000108   103 0001:00000110\r\n";

TEST(DebugLookups, TheExternalSourceNamesWhatTheEmbeddedTableDoesNotHold) {
  DebugFileFixture files;
  files.Write("Prog.map", kMap);
  BufferMemorySpace memory;
  tarvex::testing::SyntheticModules modules;
  TTarvexModuleInfo& module = modules.AddModule(kFixtureHandle, 0x10000, "Prog.exe");
  module.DebugSource = LoadDebugSource(files.Module("Prog.exe"));
  ASSERT_TRUE(module.DebugSource);
  module.Functions.Add({"Exported", kFixtureHandle + 0x5000, 0x10});

  const EmbeddedLineTableLookup embedded(memory);  // the module has no embedded table
  const ExternalSourceLookup external;
  CallStackContext context{memory, modules, &embedded, &external, {}};
  TTarvexStackItem item;
  LocateAddress(context, kFixtureHandle + 0x1000 + 0x114, 3, item, false, 1);
  EXPECT_EQ(item.InfoLevel, ilLine);
  EXPECT_EQ(item.UnitName.str(), "Shapes.pas");
  EXPECT_EQ(item.ClassName.str(), "TCalc");
  EXPECT_EQ(item.ProcedureName.str(), "Run");
  EXPECT_EQ(item.Line, 103u);
  EXPECT_EQ(item.LinesIntoProc, 3u);

  LocateAddress(context, kFixtureHandle + 0x5008, 3, item, false, 1);  // outside the map: the exports answer
  EXPECT_EQ(item.InfoLevel, ilProcedure);
  EXPECT_EQ(item.ProcedureName.str(), "Exported");
}

}  // namespace
