#include "crashreport/base/embedded_data/container.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "crashreport/base/embedded_data/zlib_codec.h"

namespace {

using tarvex::EmbeddedData;
using Bytes = std::vector<uint8_t>;

// A zlib stream made of one stored (uncompressed) block, written by hand.
Bytes StoredZlib(const Bytes& payload) {
  const auto n = static_cast<uint16_t>(payload.size());
  Bytes z = {0x78, 0x01, 0x01, uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)};
  z.insert(z.end(), payload.begin(), payload.end());
  const uLong adler = adler32(adler32(0, nullptr, 0), payload.data(), static_cast<uInt>(payload.size()));
  for (int shift = 24; shift >= 0; shift -= 8) z.push_back(uint8_t(adler >> shift));
  return z;
}

void Append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

Bytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// Version 6002: 16-byte header, one hook entry, a 3-byte option stream, a 2-byte debug block.
Bytes GoldenCurrent() {
  Bytes c = {0x10, 0xAB, 0x0F, 0x10, 0x72, 0x17, 1, 2, 3, 4, 5, 6, 7, 8, 0x1F, 0x01};
  Append(c, Le32(9));
  Append(c, {0x04, 0x00, 0x10, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00});
  const Bytes z = StoredZlib({0xAA, 0xBB, 0xCC});
  Append(c, Le32(static_cast<uint32_t>(z.size())));
  Append(c, z);
  Append(c, Le32(2));
  Append(c, {0xD0, 0xD1});
  return c;
}

TEST(Container, ReadsTheCurrentLayout) {
  const auto data = tarvex::ReadContainer(GoldenCurrent());
  ASSERT_TRUE(data);
  EXPECT_EQ(data->version, 6002);
  EXPECT_EQ(data->buildInfo, (std::array<uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(data->leakOptions, 0x1F);
  EXPECT_EQ(data->leakOptionsFromMainModule, 1);
  ASSERT_EQ(data->hooks.size(), 1u);
  EXPECT_EQ(data->hooks[0], (tarvex::HookDirectoryEntry{4, 0x1000, 0x20}));
  EXPECT_EQ(data->optionStream, (Bytes{0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(data->debugInfo, (Bytes{0xD0, 0xD1}));
}

TEST(Container, HeaderSizeAndDirectoryFollowTheVersion) {
  struct Case {
    uint16_t stored, read;
    bool hasLeakBytes, hasDirectory;
  };
  const Case cases[] = {{450, 450, false, false}, {500, 500, false, true}, {5999, 5999, false, true},
                        {6000, 6000, true, true}, {601, 6001, true, true}};
  for (const Case& k : cases) {
    Bytes c = {0x10, 0xAB, 0x0F, 0x00, uint8_t(k.stored), uint8_t(k.stored >> 8), 0, 0, 0, 0, 0, 0, 0, 0};
    if (k.hasLeakBytes) Append(c, {0x03, 0x00});
    if (k.hasDirectory) Append(c, Le32(0));
    const Bytes z = StoredZlib({0x42});
    Append(c, Le32(static_cast<uint32_t>(z.size())));
    Append(c, z);  // no debug block at all
    const auto data = tarvex::ReadContainer(c);
    ASSERT_TRUE(data) << k.stored;
    EXPECT_EQ(data->version, k.read);
    EXPECT_EQ(data->leakOptions, k.hasLeakBytes ? 3 : 0);
    EXPECT_EQ(data->optionStream, Bytes{0x42}) << k.stored;
    EXPECT_TRUE(data->debugInfo.empty());
  }
}

TEST(Container, UnusableDataGivesNothing) {
  auto withByte = [](size_t at, uint8_t value) {
    Bytes c = GoldenCurrent();
    c[at] = value;
    return c;
  };
  Bytes tooNew = GoldenCurrent();
  tooNew[4] = 0x73;  // 6003
  Bytes badDirectory = GoldenCurrent();
  badDirectory[16] = 8;
  Bytes corruptZlib = withByte(16 + 4 + 9 + 4 + 1, 0x02);  // zlib flags no longer match
  const Bytes cases[] = {withByte(3, 0x20), tooNew, badDirectory, corruptZlib, {}};
  for (const Bytes& c : cases) EXPECT_FALSE(tarvex::ReadContainer(c));
  // Cut anywhere; only the cut that drops the whole debug block leaves usable data.
  const Bytes golden = GoldenCurrent();
  const size_t withoutDebugBlock = golden.size() - 6;
  for (size_t size = 0; size < golden.size(); ++size) {
    if (size == withoutDebugBlock) continue;
    EXPECT_FALSE(tarvex::ReadContainer(std::span(golden).first(size))) << "cut at " << size;
  }
  EXPECT_TRUE(tarvex::ReadContainer(std::span(golden).first(withoutDebugBlock)));
  EXPECT_TRUE(tarvex::ReadContainer(golden, 6002));
  EXPECT_FALSE(tarvex::ReadContainer(golden, 6001));
}

TEST(Container, WriterRoundTripsAndWritesTheDocumentedHeader) {
  EmbeddedData data;
  data.buildInfo = tarvex::BuildInfoFromCompileDate(tarvex::CompileDateFromUnixTime(86400));
  data.leakOptions = 0x1E;
  data.hooks = {{0, 0x1234, 0x10}, {10, 0xABCDEF, 0x4}};
  data.optionStream = Bytes(5000, 0x9E);
  data.debugInfo = {1, 2, 3};
  const Bytes bytes = tarvex::WriteContainer(data);
  const Bytes header = {0x10, 0xAB, 0x0F, 0x10, 0x72, 0x17};
  EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
  EXPECT_EQ(tarvex::CompileDateFromBuildInfo(data.buildInfo), 25570.0);  // 1970-01-02
  EXPECT_LT(bytes.size(), 200u);  // the option stream is compressed
  EXPECT_EQ(tarvex::ReadContainer(bytes), data);
}

TEST(Container, AppendedToAFileAndReplacedOnTheSecondRun) {
  const Bytes module = {'M', 'Z', 0, 1, 2, 3};
  EmbeddedData first;
  first.optionStream = {1};
  EmbeddedData second;
  second.optionStream = {2, 2};
  const Bytes once = tarvex::AppendContainer(module, tarvex::WriteContainer(first));
  const Bytes twice = tarvex::AppendContainer(once, tarvex::WriteContainer(second));
  EXPECT_EQ(twice.size(), module.size() + tarvex::WriteContainer(second).size() + 8);
  EXPECT_TRUE(std::equal(module.begin(), module.end(), twice.begin()));
  EXPECT_EQ(tarvex::ReadContainer(tarvex::FindAppendedContainer(twice)), second);
  EXPECT_EQ(tarvex::WithoutAppendedContainer(twice).size(), module.size());
  // A plain file has no container, and its tail is never taken for one.
  EXPECT_FALSE(tarvex::ReadContainer(tarvex::FindAppendedContainer(module)));
  EXPECT_EQ(tarvex::WithoutAppendedContainer(module).size(), module.size());
  const Bytes hugeLength = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'V', 'X', 'D', 'T'};
  EXPECT_TRUE(tarvex::FindAppendedContainer(hugeLength).empty());
}

TEST(ZlibCodec, RefusesOversizedAndTrailingData) {
  const Bytes payload(1000, 7);
  Bytes z = tarvex::ZlibCompress(payload);
  EXPECT_EQ(tarvex::ZlibDecompress(z), payload);
  EXPECT_FALSE(tarvex::ZlibDecompress(z, 999));
  z.push_back(0);
  EXPECT_FALSE(tarvex::ZlibDecompress(z));
}

}  // namespace
