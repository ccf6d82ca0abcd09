#include "dwarf_lines.h"

#include <llvm/DebugInfo/DWARF/DWARFCompileUnit.h>
#include <llvm/DebugInfo/DWARF/DWARFContext.h>
#include <llvm/DebugInfo/DWARF/DWARFDie.h>
#include <llvm/Object/COFF.h>
#include <llvm/Object/ObjectFile.h>
#include <llvm/Support/Error.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

namespace tarvex::tool {

namespace {

using llvm::DWARFDie;
namespace dwarf = llvm::dwarf;

// The declaration that carries a function's name and place (a definition
// refers to it through its specification or abstract origin).
DWARFDie Declaration(DWARFDie die) {
  for (int depth = 0; depth < 8; ++depth) {
    DWARFDie next = die.getAttributeValueAsReferencedDie(dwarf::DW_AT_specification);
    if (!next) next = die.getAttributeValueAsReferencedDie(dwarf::DW_AT_abstract_origin);
    if (!next) break;
    die = next;
  }
  return die;
}

std::string ScopeName(DWARFDie die) {
  const char* name = die.getShortName();
  if (name != nullptr && *name != '\0') return name;
  if (die.getTag() == dwarf::DW_TAG_namespace) return "{anonymous}";
  return "{unnamed}";
}

// Namespaces, classes and (for local classes) enclosing functions, "::"-joined.
std::string ScopeOf(DWARFDie declaration) {
  std::string scope;
  for (DWARFDie parent = declaration.getParent(); parent; parent = parent.getParent()) {
    switch (parent.getTag()) {
      case dwarf::DW_TAG_namespace:
      case dwarf::DW_TAG_class_type:
      case dwarf::DW_TAG_structure_type:
      case dwarf::DW_TAG_union_type:
        scope = scope.empty() ? ScopeName(parent) : ScopeName(parent) + "::" + scope;
        break;
      case dwarf::DW_TAG_subprogram: {
        const DWARFDie function = Declaration(parent);
        const std::string outer = ScopeOf(function);
        const std::string name = ScopeName(function);
        const std::string path = outer.empty() ? name : outer + "::" + name;
        return scope.empty() ? path : path + "::" + scope;
      }
      default:
        break;
    }
  }
  return scope;
}

const llvm::DILineInfoSpecifier kSpec(llvm::DILineInfoSpecifier::FileLineInfoKind::AbsoluteFilePath,
                                      llvm::DINameKind::ShortName);

// The outermost frame at `address`: the function's own file and line.
bool OuterLine(llvm::DWARFContext& context, uint64_t address, std::string& file, uint32_t& line) {
  const llvm::DIInliningInfo frames = context.getInliningInfoForAddress({address, llvm::object::SectionedAddress::UndefSection}, kSpec);
  if (frames.getNumberOfFrames() == 0) return false;
  const llvm::DILineInfo& outer = frames.getFrame(frames.getNumberOfFrames() - 1);
  if (outer.FileName == llvm::DILineInfo::BadString) return false;
  file = outer.FileName;
  line = outer.Line;
  return true;
}

}  // namespace

ProgramLines ReadDwarfLines(const std::string& modulePath) {
  auto binary = llvm::object::ObjectFile::createObjectFile(modulePath);
  if (!binary) throw std::runtime_error(modulePath + ": " + llvm::toString(binary.takeError()));
  const auto* coff = llvm::dyn_cast<llvm::object::COFFObjectFile>(binary->getBinary());
  if (coff == nullptr) throw std::runtime_error(modulePath + ": not a PE module");
  auto context = llvm::DWARFContext::create(*coff);

  ProgramLines program;
  program.imageBase = static_cast<uint32_t>(coff->getImageBase());
  const uint64_t firstSection = uint64_t(program.imageBase) + 0x1000;
  std::map<uint64_t, FunctionLines> byStart;

  for (const auto& unit : context->compile_units()) {
    const llvm::DWARFDebugLine::LineTable* table = context->getLineTableForUnit(unit.get());
    if (table == nullptr) continue;
    // Inlined code may start or end between two line rows: its edges are
    // places where the outermost line can change too.
    std::set<uint64_t> inlineEdges;
    for (const llvm::DWARFDebugInfoEntry& entry : unit->dies()) {
      const DWARFDie die(unit.get(), &entry);
      if (die.getTag() != dwarf::DW_TAG_inlined_subroutine) continue;
      auto ranges = die.getAddressRanges();
      if (!ranges) {
        llvm::consumeError(ranges.takeError());
        continue;
      }
      for (const llvm::DWARFAddressRange& range : *ranges) inlineEdges.insert({range.LowPC, range.HighPC});
    }
    // Every row's address, for the rows of each function piece. (The table's
    // own range lookup finds nothing when a piece starts before its first row,
    // as the cold part of a split function may.)
    std::vector<uint64_t> rowAddresses;
    for (const llvm::DWARFDebugLine::Row& row : table->Rows)
      if (!row.EndSequence) rowAddresses.push_back(row.Address.Address);
    std::sort(rowAddresses.begin(), rowAddresses.end());
    for (const llvm::DWARFDebugInfoEntry& entry : unit->dies()) {
      const DWARFDie die(unit.get(), &entry);
      if (die.getTag() != dwarf::DW_TAG_subprogram) continue;
      auto ranges = die.getAddressRanges();
      if (!ranges) {
        llvm::consumeError(ranges.takeError());
        continue;
      }
      const DWARFDie declaration = Declaration(die);
      const char* name = declaration.getShortName();
      for (const llvm::DWARFAddressRange& range : *ranges) {
        if (range.HighPC <= range.LowPC || range.LowPC < firstSection || byStart.count(range.LowPC)) continue;
        FunctionLines function;
        function.scope = ScopeOf(declaration);
        function.name = name != nullptr ? name : "{unnamed}";
        function.start = static_cast<uint32_t>(range.LowPC - firstSection);
        function.end = static_cast<uint32_t>(range.HighPC - firstSection);

        std::vector<uint64_t> addresses{range.LowPC};
        addresses.insert(addresses.end(), std::lower_bound(rowAddresses.begin(), rowAddresses.end(), range.LowPC),
                         std::lower_bound(rowAddresses.begin(), rowAddresses.end(), range.HighPC));
        addresses.insert(addresses.end(), inlineEdges.lower_bound(range.LowPC), inlineEdges.lower_bound(range.HighPC));
        std::sort(addresses.begin(), addresses.end());
        addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
        for (uint64_t address : addresses) {
          if (address < range.LowPC || address >= range.HighPC) continue;
          std::string file;
          uint32_t line = 0;
          if (!OuterLine(*context, address, file, line) || line == 0) continue;
          if (function.file.empty()) function.file = file;
          if (!function.rows.empty() && function.rows.back().line == line) continue;
          function.rows.push_back({static_cast<uint32_t>(address - firstSection), line});
        }
        if (function.rows.empty()) continue;
        function.rows.front().offset = function.start;  // the first line covers the whole prologue
        byStart.emplace(range.LowPC, std::move(function));
      }
    }
  }
  // Keep functions in address order without overlaps (a later piece inside an
  // earlier one is dropped).
  for (auto& [start, function] : byStart) {
    if (!program.functions.empty() && function.start < program.functions.back().end) continue;
    program.functions.push_back(std::move(function));
  }
  return program;
}

}  // namespace tarvex::tool
