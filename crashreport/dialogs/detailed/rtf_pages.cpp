#include "crashreport/dialogs/detailed/rtf_pages.h"

#include <functional>
#include <vector>

#include "crashreport/base/util/text_case.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kParagraph = "\\par";

struct Line {
  std::string text;  // escaped, without "\par"
  bool ends = false; // followed by CR LF
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find(kLineEnd, start);
    if (end == std::string_view::npos) {
      if (start < text.size()) lines.push_back({EscapeRtf(text.substr(start)), false});
      break;
    }
    lines.push_back({EscapeRtf(text.substr(start, end - start)), true});
    start = end + kLineEnd.size();
  }
  return lines;
}

// The document around the marked-up lines, each line given to `markUp` with its index.
std::string Document(std::string_view text, const RtfFont& font,
                     const std::function<std::string(const std::string& line, size_t index)>& markUp) {
  std::string rtf = rtl::Format(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset%d %s;}}\r\n",
      font.charset, font.face.c_str());
  rtf += "{\\colortbl ;\\red0\\green100\\blue100;\\red0\\green0\\blue0;\\red40\\green40\\blue40;"
         "\\red0\\green0\\blue160;\\red160\\green0\\blue0;\\red80\\green80\\blue80;\\red0\\green100\\blue0;}\r\n";
  rtf += "\\f0\\fs" + std::to_string(font.pointSize * 2) + "\r\n";
  const std::vector<Line> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    rtf += markUp(lines[i].text, i);
    if (lines[i].ends) rtf.append(kParagraph).append(kLineEnd);
  }
  rtf += "}";
  return rtf;
}

bool IsSectionCaption(const std::string& line) {
  return !line.empty() && line.back() == ':' && line.find(':') == line.size() - 1 && line.front() != ' ';
}

std::string MarkGeneralLine(const std::string& line, size_t index) {
  if (index == 0 || IsSectionCaption(line)) return (index == 0 ? "\\cf1\\b " : "\\cf3\\b ") + line + "\\b0";
  if (!line.empty() && line.front() == '-') return "\\cf3 " + line;
  const size_t colon = line.find(": ");
  if (colon == std::string::npos) return line;
  // The item number is the first word: dark red, then the label black.
  const size_t numberStart = line.find_first_not_of(' ');
  const size_t numberEnd = std::min(line.find(' ', numberStart), colon);
  return "\\cf5 " + line.substr(0, numberEnd) + "\\cf2 " + line.substr(numberEnd, colon + 2 - numberEnd) +
         "\\cf4 " + line.substr(colon + 2);
}

std::string MarkAssemblerLine(std::string line) {
  if (!line.empty() && line.front() != ';') {
    const size_t addressEnd = line.find(' ');
    if (addressEnd != std::string::npos) {
      line = "\\cf5 " + line.substr(0, addressEnd + 1) + "\\cf4\\b " + line.substr(addressEnd + 1);
      const size_t operands = line.find(' ', 22);
      if (operands == std::string::npos)
        line += "\\b0";
      else
        line.insert(operands, "\\b0\\cf7 ");
    }
  }
  const size_t comment = line.find(';');
  if (comment != std::string::npos) line.insert(comment, "\\cf6 ");
  return line;
}

// "EAX: 00000000   EDI: 0012FFB0": each value after ": " in dark blue.
std::string MarkRegisterLine(const std::string& line) {
  std::string out;
  size_t from = 0;
  for (size_t colon = line.find(": "); colon != std::string::npos; colon = line.find(": ", from)) {
    const size_t valueStart = colon + 2;
    const size_t valueEnd = std::min(line.find("   ", valueStart), line.size());
    out += line.substr(from, valueStart - from) + "\\cf4 " + line.substr(valueStart, valueEnd - valueStart) + "\\cf2 ";
    from = valueEnd;
  }
  return out + line.substr(from);
}

std::string ReplaceAll(std::string text, std::string_view what, std::string_view with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// "0012FF00: 150E0700   0040100A: 8B 00 ... CC  ..h. @......[..."
std::string MarkDumpLine(const std::string& line) {
  const size_t gap = line.find("   ");
  const size_t stackValue = line.find(": ");
  if (gap == std::string::npos || stackValue == std::string::npos || stackValue > gap) return line;
  const std::string memory = line.substr(gap + 3);
  const size_t bytes = memory.find(": ");
  const size_t chars = memory.find("  ", bytes == std::string::npos ? 0 : bytes + 2);
  std::string out = line.substr(0, stackValue + 2) + "\\cf4 " + line.substr(stackValue + 2, gap - stackValue - 2) +
                    "\\cf2 \\tab ";
  if (bytes == std::string::npos || chars == std::string::npos) return out + memory + "\\cf2 ";
  return out + memory.substr(0, bytes + 2) + "\\cf4 " + memory.substr(bytes + 2, chars + 2 - bytes - 2) + "\\cf5 " +
         memory.substr(chars + 2) + "\\cf2 ";
}

}  // namespace

std::string EscapeRtf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out.append(kParagraph).append(kLineEnd);
      ++i;
      continue;
    }
    out += c;
  }
  return out;
}

std::string GeneralPageRtf(std::string_view generalPart, const RtfFont& font) {
  return Document(generalPart, font, MarkGeneralLine);
}

std::string AssemblerPageRtf(std::string_view listing, const RtfFont& font) {
  return Document(listing, font, [](const std::string& line, size_t) { return MarkAssemblerLine(line); });
}

std::string CpuPageRtf(std::string_view cpuBlock, const RtfFont& font, int dumpTabTwips) {
  // Line 0 the registers caption, 1 its dashes, 2..5 the registers, 6 empty,
  // 7 the dump caption, 8 its dashes, then the dump.
  return Document(cpuBlock, font, [dumpTabTwips](const std::string& line, size_t index) -> std::string {
    if (index == 0) return "\\cf3\\b " + line + "\\cf2\\b0";
    if (index == 1) return "\\cf3 " + line + "\\cf2";
    if (index <= 5) return line.empty() ? line : MarkRegisterLine(line);
    if (index == 6 || line.empty()) return line;
    if (index == 7) {
      const std::string_view heading(line);
      const size_t split = std::min<size_t>(21, line.size());
      return "\\pard\\tx" + std::to_string(dumpTabTwips) + "\\cf3\\b " +
             std::string(TrimText(heading.substr(0, split))) + "\\tab " + std::string(TrimText(heading.substr(split))) +
             "\\cf2\\b0";
    }
    if (index == 8) return "\\cf3 " + ReplaceAll(line, "   ", "\\tab ") + "\\cf2";
    return MarkDumpLine(line);
  });
}

}  // namespace tarvex
