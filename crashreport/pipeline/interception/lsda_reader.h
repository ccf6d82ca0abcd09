// Reading a function's C++ exception table (its language-specific data
// area, as the compiler writes it for table-driven unwinding) to learn what
// the handlers active at one instruction would do with an exception.
//
// Layout (every value in its own pointer encoding, DW_EH_PE_*):
//   u8 lpStartEncoding [encoded lpStart]   landing pads are relative to lpStart
//                                          (omitted, 0xFF: the function's start)
//   u8 typeEncoding    [uleb128 offset]    the type table ends `offset` bytes after
//                                          the offset field; entry i (1-based) lies
//                                          i entries before its end; 0 means catch (...)
//   u8 callSiteEncoding uleb128 length     then the call-site table:
//     start, length, landing pad (callSiteEncoding), uleb128 action (0: cleanup only,
//     else 1 + offset of the first action record in the action table behind it)
//   action records: sleb128 filter (>0 type index, 0 cleanup, <0 exception
//     specification), sleb128 displacement to the next record from this field (0: last)
// Call sites are sorted by start; an instruction with no entry in a function
// that has the table ends the program when an exception passes it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tarvex {

enum class TLsdaClauseKind : uint8_t {
  CatchType,      // catch (T): TypeInfo is T's run-time type information
  CatchAll,       // catch (...)
  Specification,  // an exception specification: passed over here
};

struct TLsdaClause {
  TLsdaClauseKind Kind = TLsdaClauseKind::CatchAll;
  uintptr_t TypeInfo = 0;
};

enum class TLsdaSiteKind : uint8_t {
  NoEntry,     // the instruction is not in the call-site table: the program ends
  NoHandler,   // listed without a landing pad: nothing runs in this frame
  CleanupOnly, // destructors run, nothing catches
  Handlers,    // Clauses in the order they are tried (cleanup may follow)
};

struct TLsdaSite {
  TLsdaSiteKind Kind = TLsdaSiteKind::NoEntry;
  std::vector<TLsdaClause> Clauses;
};

// The handlers for instruction `ip` of the function starting at
// `regionStart` whose table is at `lsda`. Empty when the table uses an
// encoding this reader does not know.
std::optional<TLsdaSite> ReadLsdaSite(const uint8_t* lsda, uintptr_t regionStart, uintptr_t ip);

}  // namespace tarvex
