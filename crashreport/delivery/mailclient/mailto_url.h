// The "mailto:" hand-off to the user's mail client: the URL and the command
// line that opens it.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

// "-", digits, A-Z, a-z and every byte of 128 or more stay; every other byte
// becomes "%" and two upper-case hexadecimal digits, so CR LF, "&", "?", "%"
// and spaces stay data inside the URL.
std::string EscapeMailtoText(std::string_view text);

// "mailto:" + the recipients + "?Subject=" + the escaped subject + "&Body=" +
// the escaped body, "\r\n\r\n\r\n" and the report text. The recipients are
// split (SplitRecipients), escaped like the texts except that "@", "." and
// "_" stay, and joined with ",": an address with a blank, a quote or a line
// break cannot end the URL or the command line early.
std::string MailtoUrl(std::string_view recipients, std::string_view subject, std::string_view body,
                      std::string_view reportText);

// The mail client's command template with every "%1" replaced by `url`; the
// URL's own "%" are not scanned again. A template without "%1" stays as it is.
std::string MailtoCommandLine(std::string_view commandTemplate, std::string_view url);

}  // namespace tarvex
