#include "crashreport/dialogs/common/text_wrap.h"

#include <string>

namespace tarvex {
namespace {

int ParagraphLineCount(std::string_view paragraph, int limit, const TTextWidth& textWidth) {
  int lines = 1;
  std::string line;
  size_t pos = 0;
  while (pos < paragraph.size()) {
    size_t end = paragraph.find(' ', pos);
    if (end == std::string_view::npos) end = paragraph.size();
    const std::string_view word = paragraph.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    std::string candidate = line.empty() ? std::string(word) : line + ' ' + std::string(word);
    if (!line.empty() && textWidth(candidate) > limit) {
      ++lines;
      candidate = std::string(word);
    }
    line = std::move(candidate);
  }
  return lines;
}

}  // namespace

int WrappedLineCount(std::string_view text, int width, const TTextWidth& textWidth) {
  const int limit = width - 6;
  int lines = 0;
  size_t pos = 0;
  for (;;) {
    size_t end = text.find('\n', pos);
    std::string_view paragraph = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    lines += ParagraphLineCount(paragraph, limit, textWidth);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return lines;
}

int LabelHeight(std::string_view text, int width, int lineHeight, const TTextWidth& textWidth) {
  return WrappedLineCount(text, width, textWidth) * lineHeight + 1;
}

}  // namespace tarvex
