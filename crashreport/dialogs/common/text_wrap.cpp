#include "crashreport/dialogs/common/text_wrap.h"

#include <algorithm>
#include <string>

namespace tarvex {
namespace {

class LineFiller {
 public:
  LineFiller(int limit, const TTextWidth& textWidth, const TCharLength& charLength)
      : limit_(limit), width_(textWidth), charLength_(charLength) {}

  void AddWord(std::string_view word) {
    if (Fits(line_.empty() ? std::string(word) : line_ + ' ' + std::string(word))) {
      line_ = line_.empty() ? std::string(word) : line_ + ' ' + std::string(word);
      return;
    }
    if (!line_.empty()) NewLine();
    if (Fits(std::string(word))) {
      line_ = std::string(word);
      return;
    }
    for (size_t pos = 0; pos < word.size();) {  // too wide alone: break between characters
      const size_t length = std::max<size_t>(1, charLength_ ? charLength_(word, pos) : 1);
      const std::string character(word.substr(pos, length));
      if (!line_.empty() && !Fits(line_ + character)) NewLine();
      line_ += character;
      pos += length;
    }
  }
  int Lines() const { return lines_; }

 private:
  bool Fits(const std::string& text) const { return width_(text) <= limit_; }
  void NewLine() {
    ++lines_;
    line_.clear();
  }

  int limit_;
  const TTextWidth& width_;
  const TCharLength& charLength_;
  std::string line_;
  int lines_ = 1;
};

int ParagraphLineCount(std::string_view paragraph, int limit, const TTextWidth& textWidth,
                       const TCharLength& charLength) {
  LineFiller filler(limit, textWidth, charLength);
  size_t pos = 0;
  while (pos < paragraph.size()) {
    size_t end = paragraph.find(' ', pos);
    if (end == std::string_view::npos) end = paragraph.size();
    if (end > pos) filler.AddWord(paragraph.substr(pos, end - pos));
    pos = end + 1;
  }
  return filler.Lines();
}

}  // namespace

int WrappedLineCount(std::string_view text, int width, const TTextWidth& textWidth, const TCharLength& charLength) {
  const int limit = width - 6;
  int lines = 0;
  size_t pos = 0;
  for (;;) {
    size_t end = text.find('\n', pos);
    std::string_view paragraph = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    lines += ParagraphLineCount(paragraph, limit, textWidth, charLength);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return lines;
}

int LabelHeight(std::string_view text, int width, int lineHeight, const TTextWidth& textWidth,
                const TCharLength& charLength) {
  return WrappedLineCount(text, width, textWidth, charLength) * lineHeight + 1;
}

}  // namespace tarvex
