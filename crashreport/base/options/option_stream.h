// Pieces of the option stream layout shared by the reader, the writer and tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/byte_stream.h"

namespace tarvex {

// Every stored string byte is XORed with this.
inline constexpr uint8_t kOptionStringKey = 0x9E;

// A text whose first CR LF pair is its last two characters is stored without
// them; the length (4 bytes) is followed by the enciphered bytes.
void WriteOptionString(rtl::ByteWriter& out, std::string_view text);
// Reads a stored string; a length beyond the data left raises rtl::EReadError.
std::string ReadOptionString(rtl::ByteReader& in);

// Whether data of `version` stores message text `index` (older data lacks
// some texts; those keep their defaults).
bool TextStoredInVersion(int index, uint16_t version);

// Widens ReportFields of data older than 6000 (32 stored bits below 500, 40
// from 500) to the 48 items of the current report.
uint64_t WidenReportFields(uint64_t stored, uint16_t version);

}  // namespace tarvex
