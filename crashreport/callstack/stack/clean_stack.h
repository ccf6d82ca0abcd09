// Clean-up of the entries one stack walk added.
#pragma once

#include "crashreport/callstack/stack/stack_list.h"

namespace tarvex {

// From `firstIndex` on:
//  1. with `dropUnnamed` (the host is the development environment and debug
//     lookup was on): deletes entries without a procedure name and those of
//     the host's exception handling ("HandleException");
//  2. blanks (ilNone) a named entry whose address is found again in one of
//     the next two named entries of the same module;
//  3. blanks the entries that lie between a procedure's first-line entry and
//     the nearest earlier entry inside that procedure of the same stack.
void CleanStackList(TTarvexStackList& list, int firstIndex, bool dropUnnamed);

}  // namespace tarvex
