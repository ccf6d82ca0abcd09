#include "crashreport/report/screenshot/screenshot_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <set>
#include <tuple>

#include "tests/report/screenshot/picture.h"
#include "tests/report/screenshot/png_checkers.h"

namespace tarvex {
namespace {

using testsupport::Picture;

size_t EntriesIn(const std::filesystem::path& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

Picture RichPicture(uint32_t width, uint32_t height) {
  Picture picture(width, height);
  picture.Fill([](uint32_t x, uint32_t y) {
    return Rgb{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 3), static_cast<uint8_t>(x ^ y)};
  });
  return picture;
}

TEST(ScreenshotFile, PictureOfAtMost256ColoursReadsBackExactly) {
  const testsupport::TempFolder folder;
  Picture picture(250, 120);
  picture.Fill([](uint32_t x, uint32_t y) {
    const uint8_t n = static_cast<uint8_t>(x / 10 * 12 + y / 10);  // 25 x 12 blocks, 256 colours at most
    return Rgb{n, static_cast<uint8_t>(255 - n), static_cast<uint8_t>(n / 2 + 60)};
  });
  const auto path = folder / "Screenshot.png";
  ASSERT_TRUE(WriteScreenshotFile(picture.View(), path.string()));
  const testsupport::PngCheckReport check = testsupport::PngCheck(path);
  ASSERT_TRUE(check.Valid) << check.Output;
  const testsupport::DecodedPicture decoded = testsupport::DecodeWithImageMagick(path);
  ASSERT_EQ(decoded.Width, 250u);
  ASSERT_EQ(decoded.Height, 120u);
  for (uint32_t y = 0; y < 120; ++y)
    for (uint32_t x = 0; x < 250; ++x) ASSERT_EQ(decoded.At(x, y), picture.At(x, y)) << x << "," << y;
}

TEST(ScreenshotFile, RicherPictureIsReducedTo256Colours) {
  const testsupport::TempFolder folder;
  const Picture picture = RichPicture(300, 200);
  const auto path = folder / "Screenshot.png";
  ASSERT_TRUE(WriteScreenshotFile(picture.View(), path.string()));
  const testsupport::DecodedPicture decoded = testsupport::DecodeWithImageMagick(path);
  ASSERT_EQ(decoded.Pixels.size(), 300u * 200u);
  std::set<std::tuple<int, int, int>> colours;
  for (const Rgb& pixel : decoded.Pixels) colours.insert({pixel.Red, pixel.Green, pixel.Blue});
  EXPECT_LE(colours.size(), 256u);
  EXPECT_GT(colours.size(), 128u);
}

TEST(ScreenshotFile, OnePixelWidePicture) {
  const testsupport::TempFolder folder;
  const Picture picture = RichPicture(1, 37);
  const auto path = folder / "Screenshot.png";
  ASSERT_TRUE(WriteScreenshotFile(picture.View(), path.string()));
  const testsupport::DecodedPicture decoded = testsupport::DecodeWithImageMagick(path);
  EXPECT_EQ(decoded.Width, 1u);
  EXPECT_EQ(decoded.Height, 37u);
}

TEST(ScreenshotFile, PathThatCannotBeWrittenLeavesNothing) {
  const testsupport::TempFolder folder;
  std::filesystem::create_directory(folder / "a folder");
  const Picture picture = RichPicture(20, 10);
  for (const std::string& path : {(folder / "missing" / "Screenshot.png").string(), (folder / "a folder").string()}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(WriteScreenshotFile(picture.View(), path));
  }
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "a folder"));
}

// The disk fills up while the file is written: the part written is removed.
TEST(ScreenshotFile, FileCutShortIsRemoved) {
  const testsupport::TempFolder folder;
  const auto path = folder / "Screenshot.png";
  const Picture picture = RichPicture(400, 400);  // well over the 1000-byte limit below
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail instead of killing the process
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(WriteScreenshotFile(picture.View(), path.string()) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write was reported as a success";
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace tarvex
