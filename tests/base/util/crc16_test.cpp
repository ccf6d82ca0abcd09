#include "crashreport/base/util/crc16.h"

#include <gtest/gtest.h>

namespace {

TEST(Crc16Xmodem, CheckValueAndEdges) {
  EXPECT_EQ(tarvex::Crc16Xmodem("123456789"), 0x31C3);  // the catalogued check value
  EXPECT_EQ(tarvex::Crc16Xmodem(""), 0x0000);
  EXPECT_EQ(tarvex::Crc16Xmodem("A"), 0x58E5);
}

TEST(Crc16Xmodem, ContinuesFromAPreviousValue) {
  const uint16_t first = tarvex::Crc16Xmodem("12345");
  EXPECT_EQ(tarvex::Crc16Xmodem("6789", 4, first), tarvex::Crc16Xmodem("123456789"));
}

}  // namespace
