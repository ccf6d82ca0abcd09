#include "tests/callstack/pe_code_sections.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "crashreport/callstack/pe/pe_file.h"
#include "rtl/exception.h"

namespace tarvex::testsupport {

std::vector<CodeSection> ReadCodeSections(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  PeLayout layout;
  try {
    layout = ReadPeLayout(file);
  } catch (const rtl::Exception& e) {
    throw std::runtime_error(path + ": " + e.Message());
  }
  std::vector<CodeSection> sections;
  for (const PeSection& section : layout.sections) {
    if (!section.IsCode()) continue;
    const auto data = file.begin() + section.fileOffset;
    sections.push_back({section.name, layout.imageBase + section.virtualAddress, {data, data + section.fileSize}});
  }
  return sections;
}

}  // namespace tarvex::testsupport
