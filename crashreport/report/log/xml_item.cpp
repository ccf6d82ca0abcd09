#include "crashreport/report/log/xml_item.h"

namespace tarvex {
namespace {

bool NeedsReference(unsigned char c) {
  return c == '\t' || c == '\r' || c == '\n' || c == '"' || c == '&' || c == '\'' || c == '<' || c == '>' ||
         c >= 127;
}

}  // namespace

std::string EscapeXml(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (NeedsReference(c)) {
      escaped += "&#";
      escaped += static_cast<char>('0' + c / 100);
      escaped += static_cast<char>('0' + c / 10 % 10);
      escaped += static_cast<char>('0' + c % 10);
      escaped += ';';
    } else {
      escaped += c < 32 ? ' ' : ch;
    }
  }
  return escaped;
}

void TXMLItem::AddAttribute(std::string_view name, std::string_view value) {
  attributes_ += ' ';
  attributes_ += name;
  attributes_ += "=\"";
  attributes_ += EscapeXml(value);
  attributes_ += '"';
}

TXMLItem& TXMLItem::AddChild(std::string name) {
  return *children_.emplace_back(std::make_unique<TXMLItem>(std::move(name)));
}

std::string TXMLItem::WriteXml(std::string_view indent) const {
  std::string out;
  std::string level(indent);
  Write(out, level);
  return out;
}

void TXMLItem::Write(std::string& out, std::string& indent) const {
  out += indent;
  out += '<';
  out += name_;
  out += attributes_;
  if (children_.empty()) {
    out += "/>\r\n";
    return;
  }
  out += ">\r\n";
  indent += "  ";
  for (const auto& child : children_) child->Write(out, indent);
  indent.resize(indent.size() - 2);
  out += indent;
  out += "</";
  out += name_;
  out += ">\r\n";
}

}  // namespace tarvex
