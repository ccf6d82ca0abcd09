#include "crashreport/delivery/mail/mail_charset.h"

namespace tarvex {

namespace {

struct NamedCodePage {
  uint32_t CodePage;
  const char* Name;
};

// The double-byte pages by the names whose decoders cover the whole Windows
// page (GB2312 lacks most of GBK; "ms932" is the label both sides give the
// Windows form of Shift_JIS), except 949, which has no such name: readers
// know it as "ks_c_5601-1987".
constexpr NamedCodePage kNamed[] = {
    {932, "ms932"},         {936, "GBK"},           {949, "ks_c_5601-1987"}, {950, "big5"},
    {20127, "us-ascii"},    {20866, "koi8-r"},      {21866, "koi8-u"},       {28591, "iso-8859-1"},
    {28592, "iso-8859-2"},  {28593, "iso-8859-3"},  {28594, "iso-8859-4"},   {28595, "iso-8859-5"},
    {28596, "iso-8859-6"},  {28597, "iso-8859-7"},  {28598, "iso-8859-8"},   {28599, "iso-8859-9"},
    {28603, "iso-8859-13"}, {28605, "iso-8859-15"}, {65001, "utf-8"},
};

}  // namespace

std::string CharsetOfCodePage(uint32_t codePage) {
  for (const NamedCodePage& named : kNamed)
    if (named.CodePage == codePage) return named.Name;
  if (codePage >= 1250 && codePage <= 1258) return "windows-" + std::to_string(codePage);
  return "cp" + std::to_string(codePage);
}

}  // namespace tarvex
