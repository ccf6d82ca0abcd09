// One element of the log's XML export, with its attributes and children.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// An attribute value as XML 1.0 text: the double quote, "&", "'", "<", ">",
// tab, CR, LF and every byte from 127 to 255 become "&#" + three decimal
// digits + ";" (CR is "&#013;", a byte is read as the character of that
// number); the other bytes below 32, which no XML 1.0 document may hold,
// become a space.
std::string EscapeXml(std::string_view value);

class TXMLItem {
 public:
  explicit TXMLItem(std::string name) : name_(std::move(name)) {}

  // Appends ` name="value"`, the value escaped.
  void AddAttribute(std::string_view name, std::string_view value);
  TXMLItem& AddChild(std::string name);

  // The element's lines, each ending in CR LF, the first starting with
  // `indent`, each level of children two spaces further in; an element
  // without children is one self-closing tag.
  std::string WriteXml(std::string_view indent = {}) const;

 private:
  void Write(std::string& out, std::string& indent) const;

  std::string name_;
  std::string attributes_;  // formatted: ` name="value"`...
  std::vector<std::unique_ptr<TXMLItem>> children_;
};

}  // namespace tarvex
