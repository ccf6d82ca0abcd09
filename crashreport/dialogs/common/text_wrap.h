// How many lines a label needs when its words are wrapped to a width: the
// rule the dialogs lay their labels out by. Bytes and text only; the width
// of a piece of text comes from the caller (the control's font).
#pragma once

#include <functional>
#include <string_view>

namespace tarvex {

using TTextWidth = std::function<int(std::string_view)>;
// The length in bytes of the character at `pos` (a double-byte code page has
// two-byte characters); nullptr: one byte each.
using TCharLength = std::function<size_t(std::string_view text, size_t pos)>;

// Paragraphs end at CR LF (or LF); an empty paragraph counts as one line.
// Within a paragraph words are added to the line while the line stays within
// `width - 6`; a word that does not fit starts the next line. A word wider
// than a line by itself (Chinese text has no blanks between its words) is
// broken between characters, as the label control draws it.
int WrappedLineCount(std::string_view text, int width, const TTextWidth& textWidth,
                     const TCharLength& charLength = nullptr);

// A label's height: its wrapped lines times the line height, plus 1.
int LabelHeight(std::string_view text, int width, int lineHeight, const TTextWidth& textWidth,
                const TCharLength& charLength = nullptr);

}  // namespace tarvex
