#include "crashreport/pipeline/interception/lsda_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tarvex::ReadLsdaSite;
using tarvex::TLsdaClauseKind;
using tarvex::TLsdaSiteKind;

// A table as the compiler writes it: landing pads relative to the function,
// a type table of 4-byte absolute entries, call sites in uleb128.
//   sites: [0x10,+0x08) no pad; [0x20,+0x10) pad, cleanup; [0x40,+0x10) catch (B) then catch (...);
//          [0x60,+0x08) catch (A) then cleanup
//   types (index 1 nearest the end): 1 = A (0x5000), 2 = B (0x6000), 3 = catch (...) (0)
std::vector<uint8_t> Table() {
  const std::vector<uint8_t> callSites = {
      0x10, 0x08, 0x00, 0x00,  //
      0x20, 0x10, 0x30, 0x00,  //
      0x40, 0x10, 0x50, 0x01,  // action record at offset 0
      0x60, 0x08, 0x70, 0x05,  // action record at offset 4
  };
  const std::vector<uint8_t> actions = {
      0x02, 0x01,  // B, next record one byte on from this field
      0x03, 0x00,  // catch (...), last
      0x01, 0x01,  // A, next
      0x00, 0x00,  // cleanup, last
  };
  const std::vector<uint8_t> types = {0, 0, 0, 0, 0x00, 0x60, 0, 0, 0x00, 0x50, 0, 0};
  std::vector<uint8_t> table = {0xFF, 0x03};
  table.push_back(uint8_t(1 + 1 + callSites.size() + actions.size() + types.size()));  // offset to the types' end
  table.push_back(0x01);
  table.push_back(uint8_t(callSites.size()));
  table.insert(table.end(), callSites.begin(), callSites.end());
  table.insert(table.end(), actions.begin(), actions.end());
  table.insert(table.end(), types.begin(), types.end());
  return table;
}

struct SiteCase {
  uintptr_t offset;
  TLsdaSiteKind kind;
  std::vector<std::pair<TLsdaClauseKind, uintptr_t>> clauses;
};

TEST(LsdaReader, FindsTheHandlersOfEachInstruction) {
  const std::vector<uint8_t> table = Table();
  const uintptr_t function = 0x401000;
  const SiteCase cases[] = {
      {0x05, TLsdaSiteKind::NoEntry, {}},
      {0x12, TLsdaSiteKind::NoHandler, {}},
      {0x18, TLsdaSiteKind::NoEntry, {}},  // between sites
      {0x2F, TLsdaSiteKind::CleanupOnly, {}},
      {0x40, TLsdaSiteKind::Handlers, {{TLsdaClauseKind::CatchType, 0x6000}, {TLsdaClauseKind::CatchAll, 0}}},
      {0x63, TLsdaSiteKind::Handlers, {{TLsdaClauseKind::CatchType, 0x5000}}},
      {0x68, TLsdaSiteKind::NoEntry, {}},  // just past the last site
  };
  for (const SiteCase& c : cases) {
    const auto site = ReadLsdaSite(table.data(), function, function + c.offset);
    ASSERT_TRUE(site.has_value()) << c.offset;
    EXPECT_EQ(site->Kind, c.kind) << std::hex << c.offset;
    ASSERT_EQ(site->Clauses.size(), c.clauses.size()) << std::hex << c.offset;
    for (size_t i = 0; i < c.clauses.size(); ++i) {
      EXPECT_EQ(site->Clauses[i].Kind, c.clauses[i].first) << std::hex << c.offset;
      EXPECT_EQ(site->Clauses[i].TypeInfo, c.clauses[i].second) << std::hex << c.offset;
    }
  }
}

TEST(LsdaReader, AnUnknownEncodingGivesNoAnswer) {
  std::vector<uint8_t> table = Table();
  table[3] = 0x21;  // call sites relative to the text section: never written for these tables
  EXPECT_FALSE(ReadLsdaSite(table.data(), 0x401000, 0x401042).has_value());
}

}  // namespace
