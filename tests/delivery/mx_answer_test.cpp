#include "crashreport/delivery/dns/mx_answer.h"

#include <gtest/gtest.h>

#include "crashreport/delivery/dns/dns_name.h"
#include "tests/delivery/dns_message_builder.h"
#include "tests/support/hex_bytes.h"

namespace tarvex {
namespace {

using testsupport::DnsMessageBuilder;
using testsupport::Hex;

constexpr uint16_t kId = 0x1234;
constexpr uint16_t kAnswerFlags = 0x8180;  // response, recursion desired and available
constexpr int kQuestionName = 12;         // "example.test" in every answer below

TEST(MxAnswer, GoldenAnswerWithCompressedExchange) {
  const std::vector<uint8_t> answer = Hex(
      "12 34 81 80 00 01 00 01 00 00 00 00"
      " 07 65 78 61 6D 70 6C 65 04 74 65 73 74 00 00 0F 00 01"  // question example.test MX IN
      " C0 0C 00 0F 00 01 00 00 0E 10 00 09"                    // owner -> 12, MX IN, ttl, 9 bytes
      " 00 0A 04 6D 61 69 6C C0 0C");                           // preference 10, "mail" -> 12
  const MxAnswer result = ReadMxAnswer(answer, kId);
  EXPECT_EQ(result.Kind, MxAnswerKind::kFound);
  EXPECT_EQ(result.Host, "mail.example.test");
}

// An answer to the query for example.test with the records `records` writes.
std::vector<uint8_t> Answer(uint16_t answers, void (*records)(DnsMessageBuilder&), uint16_t flags = kAnswerFlags,
                            uint16_t id = kId) {
  DnsMessageBuilder message;
  message.Header(id, flags, 1, answers).Question("example.test");
  if (records) records(message);
  return message.Bytes();
}

void Mx(DnsMessageBuilder& m, uint16_t preference, const std::string& exchange) {
  const size_t nameSize = exchange.empty() ? 1 : exchange.size() + 2;  // labels and the end byte
  m.U16(0xC000 | kQuestionName).RecordFixed(15, 1, static_cast<uint16_t>(2 + nameSize));
  m.U16(preference).Name(exchange);
}

struct AnswerCase {
  const char* what;
  std::vector<uint8_t> message;
  MxAnswerKind kind;
  const char* host;
};

TEST(MxAnswer, Cases) {
  const AnswerCase cases[] = {
      {"wrong identifier", Answer(1, [](auto& m) { Mx(m, 10, "mx.example.test"); }, kAnswerFlags, kId + 1),
       MxAnswerKind::kNotOurs, ""},
      {"a query, not a response", Answer(1, [](auto& m) { Mx(m, 10, "mx.example.test"); }, 0x0100),
       MxAnswerKind::kNotOurs, ""},
      {"another opcode", Answer(1, [](auto& m) { Mx(m, 10, "mx.example.test"); }, 0x8980), MxAnswerKind::kNotOurs,
       ""},
      {"shorter than a header", Hex("12 34 81 80 00 01"), MxAnswerKind::kNotOurs, ""},
      {"no such name", Answer(0, nullptr, 0x8183), MxAnswerKind::kNoHost, ""},
      {"server failure with a record", Answer(1, [](auto& m) { Mx(m, 10, "mx.example.test"); }, 0x8182),
       MxAnswerKind::kNoHost, ""},
      {"no answer records", Answer(0, nullptr), MxAnswerKind::kNoHost, ""},
      {"plain exchange name", Answer(1, [](auto& m) { Mx(m, 5, "mx.example.test"); }), MxAnswerKind::kFound,
       "mx.example.test"},
      {"CNAME first, then the MX of its target",
       Answer(2,
              [](auto& m) {
                m.U16(0xC000 | kQuestionName).RecordFixed(5, 1, 15).Name("alias.example");
                m.U16(0xC000 | 42).RecordFixed(15, 1, 7).U16(10).Name("mx", 42);  // 42: "alias.example"
              }),
       MxAnswerKind::kFound, "mx.alias.example"},
      {"a CNAME alone", Answer(1, [](auto& m) { m.U16(0xC000 | kQuestionName).RecordFixed(5, 1, 7).Name("other"); }),
       MxAnswerKind::kNoHost, ""},
      {"MX of another class", Answer(1, [](auto& m) {
         m.U16(0xC000 | kQuestionName).RecordFixed(15, 3, 6).U16(1).Name("ch");
       }),
       MxAnswerKind::kNoHost, ""},
      {"lowest preference wins",
       Answer(3,
              [](auto& m) {
                Mx(m, 20, "second.test");
                Mx(m, 10, "first.test");
                Mx(m, 30, "third.test");
              }),
       MxAnswerKind::kFound, "first.test"},
      {"first of equal preferences",
       Answer(2,
              [](auto& m) {
                Mx(m, 10, "one.test");
                Mx(m, 10, "two.test");
              }),
       MxAnswerKind::kFound, "one.test"},
      {"null MX is no host, the next one is",
       Answer(2,
              [](auto& m) {
                Mx(m, 0, "");
                Mx(m, 10, "real.test");
              }),
       MxAnswerKind::kFound, "real.test"},
      {"record data past the end",
       Answer(1, [](auto& m) { m.U16(0xC000 | kQuestionName).RecordFixed(15, 1, 200).U16(10).Name("mx"); }),
       MxAnswerKind::kNoHost, ""},
      {"exchange name runs past the record data",
       Answer(2,
              [](auto& m) {
                m.U16(0xC000 | kQuestionName).RecordFixed(15, 1, 4).U16(10).Name("mx.example.test");
                Mx(m, 20, "backup.test");
              }),
       MxAnswerKind::kNoHost, ""},
      {"pointer to itself",
       Answer(1, [](auto& m) { m.U16(0xC000 | kQuestionName).RecordFixed(15, 1, 4).U16(10).U16(0xC000 | 44); }),
       MxAnswerKind::kNoHost, ""},
      {"pointer forwards",
       Answer(1, [](auto& m) { m.U16(0xC000 | kQuestionName).RecordFixed(15, 1, 5).U16(10).U16(0xC000 | 46).U8(0); }),
       MxAnswerKind::kNoHost, ""},
      {"more answers counted than present", Answer(2, [](auto& m) { Mx(m, 10, "mx.test"); }), MxAnswerKind::kNoHost,
       ""},
      {"record shorter than a preference",
       Answer(1, [](auto& m) { m.U16(0xC000 | kQuestionName).RecordFixed(15, 1, 1).U8(0); }), MxAnswerKind::kNoHost,
       ""},
  };
  for (const AnswerCase& c : cases) {
    const MxAnswer result = ReadMxAnswer(c.message, kId);
    EXPECT_EQ(result.Kind, c.kind) << c.what;
    EXPECT_EQ(result.Host, c.host) << c.what;
  }
}

TEST(DnsName, FollowsPointersAndEndsAfterTheFirst) {
  DnsMessageBuilder m;
  m.Header(0, 0, 0, 0).Name("example.test");  // at 12; "test" at 20
  const size_t second = m.Size();
  m.Name("mail", 20);
  const size_t third = m.Size();
  m.Name("a.b", static_cast<int>(second));  // a chain of two pointers
  const auto name = ReadDnsName(m.Bytes(), third);
  ASSERT_TRUE(name);
  EXPECT_EQ(name->Text, "a.b.mail.test");
  EXPECT_EQ(name->Next, third + 6);  // 1 a 1 b, then the first pointer's two bytes
  const auto plain = ReadDnsName(m.Bytes(), 12);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Text, "example.test");
  EXPECT_EQ(plain->Next, second);
}

TEST(DnsName, UnreadableNames) {
  const std::string label63(63, 'x');
  DnsMessageBuilder tooLong;
  tooLong.Name(label63 + "." + label63 + "." + label63 + "." + label63);  // 255 characters
  DnsMessageBuilder longest;
  longest.Name(label63 + "." + label63 + "." + label63 + "." + std::string(61, 'y'));
  EXPECT_TRUE(ReadDnsName(longest.Bytes(), 0));
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t offset = 0;
  } cases[] = {
      {"label past the end", Hex("03 61 62")},
      {"no end", Hex("01 61")},
      {"reserved length 01xxxxxx", Hex("41 61 00")},
      {"reserved length 10xxxxxx", Hex("81 61 00")},
      {"pointer cut short", Hex("01 61 C0")},
      {"pointer to itself", Hex("C0 00")},
      {"two pointers in a cycle", Hex("C0 02 C0 00"), 2},
      {"over 253 characters", tooLong.Bytes()},
      {"empty", {}},
      {"offset past the end", Hex("00"), 1},
  };
  for (const auto& c : cases) EXPECT_FALSE(ReadDnsName(c.bytes, c.offset)) << c.what;
}

}  // namespace
}  // namespace tarvex
