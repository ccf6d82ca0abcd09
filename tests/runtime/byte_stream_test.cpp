#include "rtl/byte_stream.h"

#include <gtest/gtest.h>

#include "rtl/exception.h"

namespace {

TEST(ByteStream, WritesAndReadsLittleEndian) {
  rtl::ByteWriter out;
  out.WriteU8(0x01);
  out.WriteU16(0x0302);
  out.WriteU32(0x07060504);
  out.WriteI32(-2);
  out.WriteU64(0x0F0E0D0C0B0A0908);
  const std::vector<uint8_t> expected = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xFE, 0xFF, 0xFF, 0xFF,
                                         0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
  ASSERT_EQ(out.Bytes(), expected);

  rtl::ByteReader in(expected);
  EXPECT_EQ(in.ReadU8(), 0x01);
  EXPECT_EQ(in.ReadU16(), 0x0302);
  EXPECT_EQ(in.ReadU32(), 0x07060504u);
  EXPECT_EQ(in.ReadI32(), -2);
  EXPECT_EQ(in.ReadU64(), 0x0F0E0D0C0B0A0908u);
  EXPECT_TRUE(in.AtEnd());
}

TEST(ByteStream, ReadPastTheEndRaisesAndConsumesNothing) {
  const std::vector<uint8_t> bytes = {1, 2, 3};
  rtl::ByteReader in(bytes);
  EXPECT_EQ(in.ReadU8(), 1);
  EXPECT_THROW(in.ReadU32(), rtl::EReadError);
  EXPECT_EQ(in.Position(), 1u);
  EXPECT_THROW(in.ReadBytes(size_t{0xFFFFFFFF}), rtl::EReadError);  // an absurd length allocates nothing
  EXPECT_EQ(in.ReadU16(), 0x0302);
  EXPECT_THROW(in.ReadU8(), rtl::EReadError);
}

}  // namespace
