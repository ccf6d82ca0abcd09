// The MIME message of a report mail, as the DATA command sends it (CR LF line
// ends throughout):
//
//   Date: <MailDate>
//   From: <sender header>
//   Subject: <subject, one line; an encoded word when 8-bit>
//   To: <<recipient, one line>>
//   Content-Type: multipart/mixed; boundary="=_xcjvnxkbhvfkxzhfdbvzldjhfv";
//   MIME-Version: 1.0
//   Message-ID: <<tick count>@tarvexlog.invalid>
//   (empty line)
//   This is a multi-part message in MIME format
//   (empty line)
//   --=_xcjvnxkbhvfkxzhfdbvzldjhfv
//   Content-Type: text/plain                      | text/plain; charset="GBK"
//   Content-Transfer-Encoding: 7bit               | base64
//   (empty line)
//   <body>                                        | <body in Base64, 76-character lines>
//   then for each attachment:
//     (empty line)
//     --=_xcjvnxkbhvfkxzhfdbvzldjhfv
//     Content-Type: image/png;                    (application/octet-stream unless ".png")
//             name="<name>"
//     Content-Transfer-Encoding: base64
//     Content-Disposition: attachment;
//             filename="<name>"
//     (empty line)
//     <Base64 of the file, 76-character lines>
//   --=_xcjvnxkbhvfkxzhfdbvzldjhfv--
//   .
//
// Every line break of the body becomes CR LF; the body goes Base64 (with the
// charset of the ANSI code page) when 7bit cannot carry it. Lines that start
// with "." get a second one, so only the last line ends the data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

inline constexpr std::string_view kMailBoundary = "=_xcjvnxkbhvfkxzhfdbvzldjhfv";
inline constexpr std::string_view kMessageIdDomain = "tarvexlog.invalid";
// Base64 characters per line of a part (RFC 2045's limit).
inline constexpr size_t kBase64LineLength = 76;
// Bytes per line that 7bit allows, CR LF not counted (RFC 5322).
inline constexpr size_t kMaxTextLine = 998;

struct MimeFile {
  std::string Name;   // as the headers show it
  std::string Bytes;  // the file's contents
};

struct MailHeaderValues {
  std::string Date;        // MailDate
  std::string From;        // SenderHeader (already one line)
  std::string Subject;     // one-line filtered here, an encoded word when 8-bit
  std::string Charset;     // of the subject's 8-bit text
  std::string Recipient;   // one-line filtered here
  uint32_t TickCount = 0;  // makes the Message-ID
};

// Every CR LF, lone CR and lone LF of `text` as CR LF.
std::string WithCrLfLineBreaks(std::string_view text);

// Whether 7bit cannot carry the (CR LF) `body`: a byte of 0 or from 128 on,
// a line over kMaxTextLine bytes, or a line that would read as the boundary.
bool BodyNeedsBase64(std::string_view body);

// "image/png" for a name ending in ".png" in any case, else "application/octet-stream".
std::string_view AttachmentContentType(std::string_view name);

// Base64 of `bytes` in lines of kBase64LineLength characters: every full line
// followed by CR LF, the last partial one without.
std::string Base64Lines(std::string_view bytes);

// From the preamble to the closing boundary line: the text part and one part per file.
std::string MimeParts(std::string_view body, uint32_t codePage, const std::vector<MimeFile>& files);

// The header lines and the empty line after them.
std::string MailHeaderLines(const MailHeaderValues& values);

// Headers and parts with lines starting with "." doubled, and the final "."
// (without its CR LF, which the command adds).
std::string MailData(std::string_view headerLines, std::string_view parts);

}  // namespace tarvex
