#include "crashreport/delivery/mail/mime_message.h"

#include <algorithm>

#include "crashreport/base/util/base64.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/delivery/mail/mail_addresses.h"
#include "crashreport/delivery/mail/mail_charset.h"

namespace tarvex {

namespace {

std::string BoundaryLine() { return "--" + std::string(kMailBoundary) + "\r\n"; }

std::string TextPart(std::string_view body, uint32_t codePage) {
  const std::string text = WithCrLfLineBreaks(body);
  std::string part = BoundaryLine();
  if (BodyNeedsBase64(text)) {
    part += "Content-Type: text/plain; charset=" + QuotedString(CharsetOfCodePage(codePage)) + "\r\n";
    part += "Content-Transfer-Encoding: base64\r\n\r\n";
    part += Base64Lines(text);
  } else {
    part += "Content-Type: text/plain\r\nContent-Transfer-Encoding: 7bit\r\n\r\n";
    part += text;
  }
  return part + "\r\n";
}

std::string FilePart(const MimeFile& file) {
  const std::string name = QuotedString(OneLine(file.Name));
  std::string part = "\r\n" + BoundaryLine();
  part += "Content-Type: " + std::string(AttachmentContentType(file.Name)) + ";\r\n";
  part += "        name=" + name + "\r\n";
  part += "Content-Transfer-Encoding: base64\r\n";
  part += "Content-Disposition: attachment;\r\n";
  part += "        filename=" + name + "\r\n\r\n";
  part += Base64Lines(file.Bytes);
  return part + "\r\n";
}

}  // namespace

std::string WithCrLfLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      result += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += c;
    }
  }
  return result;
}

bool BodyNeedsBase64(std::string_view body) {
  const std::string boundaryStart = "--" + std::string(kMailBoundary);
  const auto lineFails = [&](std::string_view line) {
    return line.size() > kMaxTextLine || line.starts_with(boundaryStart);
  };
  size_t lineStart = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    const auto byte = static_cast<unsigned char>(body[i]);
    if (byte == 0 || byte >= 0x80) return true;
    if (body.compare(i, 2, "\r\n") == 0) {
      if (lineFails(body.substr(lineStart, i - lineStart))) return true;
      lineStart = ++i + 1;
    }
  }
  return lineFails(body.substr(lineStart));
}

std::string_view AttachmentContentType(std::string_view name) {
  const bool png = name.size() >= 4 && SameTextIgnoringCase(name.substr(name.size() - 4), ".png");
  return png ? "image/png" : "application/octet-stream";
}

std::string Base64Lines(std::string_view bytes) {
  const std::string encoded = Base64Encode(bytes);
  std::string lines;
  lines.reserve(encoded.size() + encoded.size() / kBase64LineLength * 2);
  for (size_t at = 0; at < encoded.size(); at += kBase64LineLength) {
    const size_t length = std::min(kBase64LineLength, encoded.size() - at);
    lines.append(encoded, at, length);
    if (length == kBase64LineLength) lines += "\r\n";
  }
  return lines;
}

std::string MimeParts(std::string_view body, uint32_t codePage, const std::vector<MimeFile>& files) {
  std::string parts = "This is a multi-part message in MIME format\r\n\r\n";
  parts += TextPart(body, codePage);
  for (const MimeFile& file : files) parts += FilePart(file);
  return parts + "--" + std::string(kMailBoundary) + "--\r\n";
}

std::string MailHeaderLines(const MailHeaderValues& values) {
  std::string lines = "Date: " + values.Date + "\r\n";
  lines += "From: " + values.From + "\r\n";
  lines += "Subject: " + HeaderText(values.Subject, values.Charset) + "\r\n";
  lines += "To: <" + OneLine(values.Recipient) + ">\r\n";
  lines += "Content-Type: multipart/mixed; boundary=\"" + std::string(kMailBoundary) + "\";\r\n";
  lines += "MIME-Version: 1.0\r\n";
  lines += "Message-ID: <" + std::to_string(values.TickCount) + "@" + std::string(kMessageIdDomain) + ">\r\n";
  return lines + "\r\n";
}

std::string MailData(std::string_view headerLines, std::string_view parts) {
  std::string data;
  data.reserve(headerLines.size() + parts.size() + 64);
  for (const std::string_view text : {headerLines, parts}) {
    bool atLineStart = data.empty() || data.ends_with("\r\n");
    for (const char c : text) {
      if (atLineStart && c == '.') data += '.';
      data += c;
      atLineStart = c == '\n' && data.size() >= 2 && data[data.size() - 2] == '\r';
    }
  }
  return data + ".";
}

}  // namespace tarvex
