// Exported function names turned into unit, class and procedure.
#pragma once

#include <string_view>

#include "crashreport/callstack/stack/stack_list.h"

namespace tarvex {

// Decodes an export name into `item` (whose InfoLevel is ilModule on entry):
//  - "@Unit@Class@Proc$qqrv" style: cut at the first "$", drop a trailing
//    and the leading "@", the second "@" of the first "@@" becomes "_", every
//    other "@" a "."; then split;
//  - "Unit.Proc" or "Unit.Class.Proc@8" style: cut at the first "@", split;
//  - splitting at "." gives unit ("<first>.pas") and procedure for two parts,
//    unit, class and procedure for three (ilUnit); other counts leave ilModule;
//  - any other name not starting with "?" is a plain procedure (ilProcedure);
//    "?" names and "@" names outside the rule above leave ilModule.
// A procedure name starting with "@" gets "_" instead.
void DecodeExportName(std::string_view name, TTarvexStackItem& item);

}  // namespace tarvex
