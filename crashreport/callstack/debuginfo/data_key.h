// The data key cipher of a module's embedded debug information.
//
// The names stored in the embedded line table are enciphered with the module's
// data key (a text chosen when the module is built). The debug information
// block that the module carries starts with a check value of the key, so a
// reader can tell whether it holds the right key before it shows names.
//
//   debug information block:  +0 u32 DataKeyCheck(key)   +4 line table ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tarvex {

// A module tells its key by exporting it as zero-terminated text under this
// name (a module without the export has the empty key); the build tools refuse
// keys longer than kMaxDataKeyLength.
inline constexpr char kDataKeyExport[] = "TarvexLog_DataKey";
inline constexpr size_t kMaxDataKeyLength = 255;

// Enciphers or deciphers (the same operation) the stored bytes of one name.
// The key stream depends on the key and on the name's length.
void ApplyDataKey(std::string_view key, uint8_t* bytes, size_t size);

// The one-byte scrambling of names in data older than version 500.
inline constexpr uint8_t kOldNameXor = 0x5C;

uint32_t DataKeyCheck(std::string_view key);

// The debug information block: the key check followed by the line table.
std::vector<uint8_t> MakeDebugInformationBlock(std::span<const uint8_t> lineTable, std::string_view key);

// Splits a block into its line table; `dataValid` tells whether `key` passes
// the block's check. A block shorter than its check gives an empty table.
std::span<const uint8_t> LineTableOfBlock(std::span<const uint8_t> block, std::string_view key, bool& dataValid);

}  // namespace tarvex
