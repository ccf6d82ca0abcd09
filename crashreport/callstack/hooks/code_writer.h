// Writing into code and read-only tables of the running process.
#pragma once

#include <cstddef>

namespace tarvex {

// Copies `size` bytes over `address` (a range within two pages): each page of
// the range is made writable (PAGE_EXECUTE_READWRITE) just for the copy and
// gets its own protection back afterwards; then the processor's instruction cache is flushed for the range.
// False, with nothing written, when a page cannot be made writable or the
// range spans more than two pages. Nothing here allocates.
bool WriteCode(void* address, const void* data, size_t size);

// Replaces the routine address at `slot` (a method-table slot or an import
// address-table entry, 4-byte aligned) in one store, the page made writable
// just for it: a thread reading the slot meanwhile gets the old routine or the
// new one, never a mix of their bytes. False, with nothing written, when the
// page cannot be made writable.
bool WritePointer(void** slot, void* value);

// Replaces `size` bytes (at most 8) at `address` in one locked 8-byte
// exchange: a thread running or reading the code meanwhile sees all old bytes
// or all new ones, never a mix. The 8 bytes are the aligned ones holding the
// range when there are such, else the 8 from `address`; the others among them
// are written back as they are. False, with nothing written, when `size` is
// above 8 or a page cannot be made writable.
bool WriteCodeAtOnce(void* address, const void* data, size_t size);

// Writes the 5-byte jump E9 <to - from - 5> at `from`, at once as above.
bool WriteJump(void* from, const void* to);

}  // namespace tarvex
