// The rich-text documents of the detailed dialog's General, Assembler and
// CPU pages, built from the report's text. Colours of the table, by index:
// 1 teal (header line), 2 black, 3 dark grey (captions, dash lines),
// 4 dark blue (values, mnemonics), 5 dark red (item numbers, addresses),
// 6 grey (comments), 7 dark green (operands).
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

struct RtfFont {
  int charset = 0;           // the system's character set
  std::string face;          // the monospace face
  int pointSize = 8;
};

// "\" "{" "}" escaped, every CR LF turned into "\par" CR LF.
std::string EscapeRtf(std::string_view text);

// The general part of the report: header line, captions, dash lines, items.
std::string GeneralPageRtf(std::string_view generalPart, const RtfFont& font);
// The assembler listing: addresses, mnemonics, operands and comments.
std::string AssemblerPageRtf(std::string_view listing, const RtfFont& font);
// The CPU block: registers, and the stack and memory dump in two tab columns;
// `dumpTabTwips` is where the memory column starts.
std::string CpuPageRtf(std::string_view cpuBlock, const RtfFont& font, int dumpTabTwips);

}  // namespace tarvex
