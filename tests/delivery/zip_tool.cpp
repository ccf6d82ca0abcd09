// Writes one zip archive with the crash reporter's zip writer, for the
// independent readers of zip_readers_test.py:
//
//   zip_tool ARCHIVE PASSWORD [FILE ENTRY]...
//
// Prints "added" or "failed" per file and "open" or "not open" for the
// archive first; exits 0 unless the arguments are wrong.
#include <cstdio>

#include "crashreport/delivery/zip/zip_writer.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: zip_tool ARCHIVE PASSWORD [FILE ENTRY]...\n");
    return 2;
  }
  tarvex::TZipWriter zip(argv[1], argv[2]);
  std::printf("%s\n", zip.IsOpen() ? "open" : "not open");
  for (int i = 3; i + 1 < argc; i += 2) std::printf("%s\n", zip.AddFile(argv[i], argv[i + 1]) ? "added" : "failed");
  return 0;
}
