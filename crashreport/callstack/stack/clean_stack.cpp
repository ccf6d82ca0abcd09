#include "crashreport/callstack/stack/clean_stack.h"

namespace tarvex {

namespace {

void DropUnnamed(TTarvexStackList& list, int firstIndex) {
  for (int i = list.Count() - 1; i >= firstIndex; --i)
    if (!HasProcedure(list[i].InfoLevel) || list[i].ProcedureName.view().find("HandleException") != std::string_view::npos)
      list.Delete(i);
}

// The next entry after `from` with a procedure name in module `handle`, or -1.
int NextNamedInModule(const TTarvexStackList& list, int from, uint32_t handle) {
  for (int j = from + 1; j < list.Count(); ++j)
    if (HasProcedure(list[j].InfoLevel) && list[j].ModuleHandle() == handle) return j;
  return -1;
}

void BlankDuplicates(TTarvexStackList& list, int firstIndex) {
  for (int i = list.Count() - 2; i >= firstIndex; --i) {
    TTarvexStackItem& item = list[i];
    if (!HasProcedure(item.InfoLevel)) continue;
    int next = i;
    for (int look = 0; look < 2; ++look) {
      next = NextNamedInModule(list, next, item.ModuleHandle());
      if (next < 0) break;
      if (list[next].Address == item.Address) {
        item.InfoLevel = ilNone;
        break;
      }
    }
  }
}

bool SameStack(const TTarvexStackItem& a, const TTarvexStackItem& b) {
  return a.ThreadID == b.ThreadID && a.Tag == b.Tag;
}

bool SameProcedure(const TTarvexStackItem& a, const TTarvexStackItem& b) {
  return a.UnitName == b.UnitName && a.ClassName == b.ClassName && a.ProcedureName == b.ProcedureName;
}

// Entries found between a procedure's real position and its first-line entry
// (the routine a call went to) are stale values of the frames in between.
void BlankBeforeFirstLines(TTarvexStackList& list) {
  for (int c = list.Count() - 1; c >= 1; --c) {
    const TTarvexStackItem& first = list[c];
    if (first.InfoLevel != ilLine || first.LinesIntoProc != 0) continue;
    const auto passes = [&](const TTarvexStackItem& e) {
      return SameStack(e, first) && (!SameProcedure(e, first) || e.LinesIntoProc == 0);
    };
    int i = c - 1;
    while (i > 0 && passes(list[i])) --i;
    // Only an entry inside the same procedure of the same stack ends the
    // stretch; reaching another thread's entries blanks nothing.
    const bool insideProcedure = SameStack(list[i], first) && !passes(list[i]);
    if (insideProcedure)
      for (int k = i + 1; k < c; ++k) list[k].InfoLevel = ilNone;
  }
}

}  // namespace

void CleanStackList(TTarvexStackList& list, int firstIndex, bool dropUnnamed) {
  if (dropUnnamed) DropUnnamed(list, firstIndex);
  BlankDuplicates(list, firstIndex);
  BlankBeforeFirstLines(list);
}

}  // namespace tarvex
