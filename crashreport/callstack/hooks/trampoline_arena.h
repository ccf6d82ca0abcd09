// Executable memory for trampolines, which outlive their hooks.
//
// Lifetime rule: a trampoline is never freed. A thread that entered a hook's
// new routine before the unhook (or before the shut-down undid every hook) may
// call the old behaviour through the trampoline at any later time, and nothing
// tells when the last such thread has left. So trampolines are packed, 16-byte
// aligned, into pages kept for the life of the process: execute-read, writable
// only while a new trampoline is written in, and never written again after.
//
// Cost: an unhooked routine leaves its trampoline behind, its size rounded up
// to 16 bytes: 16 for the usual 5- to 11-byte copy, at most 48 (a 19-byte
// copy with three stubs), plus a small record of its target and bytes. A
// routine hooked again with the same first bytes gets its earlier trampoline
// back (the same target and bytes make the same code), so hooking and
// unhooking one routine over and over costs nothing more. Pages are committed
// one at a time out of 64 KB reservations.
#pragma once

#include <cstdint>

#include "crashreport/callstack/hooks/trampoline.h"

namespace tarvex {

// The address of an executable trampoline for `plan` at `target`: the one
// placed earlier for the same target and bytes, or a new one. 0 when no
// executable memory can be had or written.
uint32_t PlaceTrampoline(uint32_t target, const TrampolinePlan& plan);

}  // namespace tarvex
