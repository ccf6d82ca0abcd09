#include "crashreport/delivery/html/form_reader.h"

#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/html/html_entities.h"

namespace tarvex {
namespace {

constexpr size_t npos = std::string_view::npos;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

struct TCloser {
  std::string_view Text;
  bool OpeningTagOnly;  // closes only while the walk is still in the element's own tag
};

struct TElementSyntax {
  std::string_view Opening;  // "<input"; a blank or the tag's end follows it
  TCloser Closers[3];
};

// The element's name ends at `at`: a blank or the end of its tag follows.
bool OpensElement(std::string_view html, size_t at) {
  return at < html.size() && (IsBlank(html[at]) || html[at] == '>' || html[at] == '/');
}

const TElementSyntax& SyntaxOf(THtmlElementKind kind) {
  static const TElementSyntax kSyntax[] = {
      {"<input", {{"/>", true}, {">", true}, {}}},
      {"<select", {{"</select>", false}, {}, {}}},
      // A tolerant page leaves out "</option>": the next option or the end of the list closes it.
      {"<option", {{"</option>", false}, {"<option", false}, {"</select>", false}}},
      {"<textarea", {{"</textarea>", false}, {"/>", true}, {}}},
  };
  return kSyntax[kind];
}

// Walks HTML text keeping track of quotes and tags: a quote opens only as an
// attribute's value (after "=") inside a tag, so an apostrophe in text or an
// unquoted value never hides the rest of the page.
class TTagWalker {
 public:
  explicit TTagWalker(bool inTag) : inTag_(inTag) {}
  bool InQuotes() const { return quote_ != 0; }
  bool InTag() const { return inTag_; }
  // Takes the character at `i` of `text` into account.
  void Step(std::string_view text, size_t i) {
    const char c = text[i];
    if (quote_ != 0) {
      if (c == quote_) quote_ = 0;
    } else if (inTag_ && (c == '"' || c == '\'') && lastSolid_ == '=') {
      quote_ = c;
    } else if (c == '>') {
      inTag_ = false;
    } else if (c == '<') {
      inTag_ = true;
    }
    if (!IsBlank(c)) lastSolid_ = c;
  }

 private:
  char quote_ = 0;
  char lastSolid_ = 0;
  bool inTag_;
};

bool StartsWithIgnoringCase(std::string_view text, size_t at, std::string_view what) {
  return text.size() - at >= what.size() && SameTextIgnoringCase(text.substr(at, what.size()), what);
}

// The end of the opening tag in an element text: its first ">" outside quotes.
size_t TagEnd(std::string_view elementText) {
  TTagWalker walker(true);
  for (size_t i = 0; i < elementText.size(); ++i) {
    if (!walker.InQuotes() && elementText[i] == '>') return i;
    walker.Step(elementText, i);
  }
  return elementText.size();
}

// The element text without blanks around "=" outside quotes in its opening
// tag; what follows the tag (an option's text, a text area's content) stays.
std::string Compacted(std::string_view text) {
  const size_t tagEnd = TagEnd(text);
  std::string out;
  TTagWalker walker(true);
  for (size_t i = 0; i < tagEnd; ++i) {
    const bool quoted = walker.InQuotes();
    walker.Step(text, i);
    if (quoted || !IsBlank(text[i])) {
      out += text[i];
      continue;
    }
    size_t next = i;
    while (next < tagEnd && IsBlank(text[next])) ++next;
    const bool besideEquals = (!out.empty() && out.back() == '=') || (next < tagEnd && text[next] == '=');
    if (!besideEquals) out.append(text.substr(i, next - i));
    i = next - 1;
  }
  out.append(text.substr(tagEnd));
  return out;
}

// Where `attribute` starts in the opening tag: a whole name outside quotes.
size_t AttributeStart(std::string_view tag, std::string_view attribute) {
  TTagWalker walker(true);
  for (size_t i = 0; i < tag.size(); ++i) {
    if (!walker.InQuotes() && (i == 0 || IsBlank(tag[i - 1])) && StartsWithIgnoringCase(tag, i, attribute)) {
      const size_t after = i + attribute.size();
      if (after == tag.size() || IsBlank(tag[after]) || tag[after] == '=' || tag[after] == '/') return i;
    }
    walker.Step(tag, i);
  }
  return npos;
}

std::string_view OpeningTag(std::string_view elementText) { return elementText.substr(0, TagEnd(elementText)); }

std::string_view Content(std::string_view elementText) {
  const size_t end = TagEnd(elementText);
  return end < elementText.size() ? elementText.substr(end + 1) : std::string_view();
}

}  // namespace

std::vector<std::string> ElementTexts(std::string_view html, THtmlElementKind kind) {
  const TElementSyntax& syntax = SyntaxOf(kind);
  std::vector<std::string> texts;
  size_t from = 0;
  while (true) {
    size_t open = FindIgnoringCase(html, syntax.Opening, from);
    while (open != npos && !OpensElement(html, open + syntax.Opening.size()))
      open = FindIgnoringCase(html, syntax.Opening, open + 1);
    if (open == npos) break;
    const size_t begin = open + syntax.Opening.size();
    size_t end = html.size(), next = html.size();
    TTagWalker walker(true);
    bool inOpeningTag = true;
    for (size_t i = begin; i < html.size() && end == html.size(); ++i) {
      if (!walker.InQuotes()) {
        for (const TCloser& closer : syntax.Closers) {
          if (closer.Text.empty() || (closer.OpeningTagOnly && !inOpeningTag)) continue;
          if (StartsWithIgnoringCase(html, i, closer.Text)) {
            end = i;
            // A following element's opening is not part of this one: the search resumes at it.
            next = closer.Text == syntax.Opening ? i : i + closer.Text.size();
            break;
          }
        }
      }
      walker.Step(html, i);
      if (!walker.InTag()) inOpeningTag = false;
    }
    std::string text = Compacted(TrimText(html.substr(begin, end - begin)));
    if (!text.empty() && text.back() == '/') text.pop_back();
    texts.push_back(std::string(TrimText(text)));
    from = next;
  }
  return texts;
}

std::optional<std::string> AttributeValue(std::string_view elementText, std::string_view attribute) {
  const std::string_view tag = OpeningTag(elementText);
  const size_t start = AttributeStart(tag, attribute);
  if (start == npos) return std::nullopt;
  size_t i = start + attribute.size();
  if (i >= tag.size() || tag[i] != '=') return std::string();
  ++i;
  std::string_view value;
  if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
    const size_t close = tag.find(tag[i], i + 1);
    value = tag.substr(i + 1, close == npos ? npos : close - i - 1);
  } else {
    size_t end = i;
    while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != '>' && !tag.substr(end).starts_with("/>")) ++end;
    value = tag.substr(i, end - i);
  }
  return DecodeEntities(value);
}

bool HasAttribute(std::string_view elementText, std::string_view attribute) {
  return AttributeStart(OpeningTag(elementText), attribute) != npos;
}

std::optional<std::string> NamedElement(std::string_view html, THtmlElementKind kind, std::string_view name) {
  for (std::string& text : ElementTexts(html, kind))
    if (AttributeValue(text, "name") == name) return std::move(text);
  return std::nullopt;
}

std::optional<std::string> InputValue(std::string_view html, std::string_view name) {
  const auto input = NamedElement(html, hkInput, name);
  if (!input) return std::nullopt;
  return AttributeValue(*input, "value").value_or("");
}

std::optional<std::string> TextareaValue(std::string_view html, std::string_view name) {
  const auto area = NamedElement(html, hkTextarea, name);
  if (!area) return std::nullopt;
  return std::string(TrimText(DecodeEntities(Content(*area))));
}

std::optional<std::vector<TSelectOption>> SelectOptions(std::string_view html, std::string_view name) {
  const auto select = NamedElement(html, hkSelect, name);
  if (!select) return std::nullopt;
  std::vector<TSelectOption> options;
  for (const std::string& option : ElementTexts(Content(*select), hkOption)) {
    TSelectOption item;
    item.Text = std::string(TrimText(DecodeEntities(Content(option))));
    item.Value = AttributeValue(option, "value").value_or(item.Text);
    item.Selected = HasAttribute(option, "selected");
    options.push_back(std::move(item));
  }
  return options;
}

std::string IdentifierAfter(std::string_view html, std::string_view marker, int occurrence) {
  if (marker.empty() || occurrence < 1) return {};
  const std::string lower = LowerCase(html);
  const std::string lowerMarker = LowerCase(marker);
  size_t at = npos, from = 0;
  for (int n = 0; n < occurrence; ++n) {
    at = lower.find(lowerMarker, from);
    if (at == npos) return {};
    from = at + 1;
  }
  const size_t begin = at + lowerMarker.size();
  const size_t end = lower.find_first_of(" \t\r\n\"&'<>\\", begin);
  return lower.substr(begin, end == npos ? npos : end - begin);
}

}  // namespace tarvex
