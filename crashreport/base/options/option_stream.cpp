// The option stream: WriteToStream / ReadFromStream with the conversions of
// older data versions, and the file forms.
#include "crashreport/base/options/option_stream.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "crashreport/base/embedded_data/container.h"
#include "crashreport/base/options/options.h"
#include "crashreport/base/util/little_endian.h"
#include "rtl/exception.h"

namespace tarvex {
namespace {

constexpr uint16_t kCurrent = kCurrentLayoutVersion;

void WriteBool(rtl::ByteWriter& out, bool value) { out.WriteU8(value ? 1 : 0); }
void WriteEnum8(rtl::ByteWriter& out, uint8_t value) { out.WriteU8(value); }
void WriteSet8(rtl::ByteWriter& out, uint8_t value) { out.WriteU8(value); }
void WriteSet16(rtl::ByteWriter& out, uint16_t value) { out.WriteU16(value); }
void WriteUInt16(rtl::ByteWriter& out, uint16_t value) { out.WriteU16(value); }
void WriteInt32(rtl::ByteWriter& out, int32_t value) { out.WriteI32(value); }
void WriteString(rtl::ByteWriter& out, const std::string& value) { WriteOptionString(out, value); }
void WriteSet48(rtl::ByteWriter& out, uint64_t value) {
  out.WriteU32(static_cast<uint32_t>(value));
  out.WriteU16(static_cast<uint16_t>(value >> 32));
}

uint64_t ReadSet(rtl::ByteReader& in, int bytes) {
  const auto stored = in.ReadBytes(static_cast<size_t>(bytes));
  return LittleEndian(stored);
}

bool ReadBool(rtl::ByteReader& in) { return in.ReadU8() != 0; }

// An enumeration value; one beyond `last` keeps `current`.
template <typename E>
E ReadEnum(rtl::ByteReader& in, E last, E current) {
  const uint8_t value = in.ReadU8();
  return value <= last ? static_cast<E>(value) : current;
}

template <typename T>
T WithBit(T set, T bit, bool on) {
  return static_cast<T>(on ? set | bit : set & ~bit);
}

TTarvexExceptionFilter ReadFilter(rtl::ByteReader& in, uint16_t version) {
  TTarvexExceptionFilter filter;
  if (version < kCurrent) {
    filter.ClassName = ReadOptionString(in);
    filter.Message = ReadOptionString(in);
    filter.Scope = fsUnhandledExceptions;
    filter.DialogChoice = filter.Message.empty() ? fdNone : fdMessageBox;
    return filter;
  }
  filter.Enabled = ReadBool(in);
  filter.ClassName = ReadOptionString(in);
  filter.Message = ReadOptionString(in);
  filter.Scope = ReadEnum(in, fsUnhandledExceptions, filter.Scope);
  filter.DialogChoice = ReadEnum(in, fdDetailedDialog, filter.DialogChoice);
  filter.Handling = ReadEnum(in, fhTarvexLog, filter.Handling);
  filter.AfterAction = ReadEnum(in, faRestart, filter.AfterAction);
  return filter;
}

void WriteFilter(rtl::ByteWriter& out, const TTarvexExceptionFilter& filter) {
  WriteBool(out, filter.Enabled);
  WriteOptionString(out, filter.ClassName);
  WriteOptionString(out, filter.Message);
  out.WriteU8(filter.Scope);
  out.WriteU8(filter.DialogChoice);
  out.WriteU8(filter.Handling);
  out.WriteU8(filter.AfterAction);
}

}  // namespace

void WriteOptionString(rtl::ByteWriter& out, std::string_view text) {
  if (text.size() > 1 && text.find("\r\n") == text.size() - 2) text.remove_suffix(2);
  out.WriteU32(static_cast<uint32_t>(text.size()));
  for (const char c : text) out.WriteU8(static_cast<uint8_t>(c) ^ kOptionStringKey);
}

std::string ReadOptionString(rtl::ByteReader& in) {
  const auto stored = in.ReadBytes(in.ReadU32());
  std::string text(stored.size(), '\0');
  for (size_t i = 0; i < stored.size(); ++i) text[i] = static_cast<char>(stored[i] ^ kOptionStringKey);
  return text;
}

bool TextStoredInVersion(int index, uint16_t version) {
  auto in = [index](int first, int last) { return index >= first && index <= last; };
  const bool since6000 = in(mtEncounteredProblem, mtDontSend) || in(mtMemoryLeak, mtLeakCount) ||
                         in(mtSelectProject, mtDisconnected) || in(mtBugClosed, mtInvalidEmail);
  const bool since500 = in(mtAssembler, mtCPUInformation) || in(mtAttachScreenshot, mtGoToSupportPage) ||
                        in(mtRequest, mtSendingFailed);
  if (since6000) return version >= kCurrent;
  if (since500) return version >= 500;
  return true;
}

uint64_t WidenReportFields(uint64_t stored, uint16_t version) {
  // Item i of the old report is character i; runs of "1" are inserted at
  // 1-based positions for the items that version did not have.
  using Insertions = std::pair<size_t, size_t>[];
  static constexpr Insertions kBelow500 = {{5, 2}, {10, 1}, {13, 4}, {23, 4}, {31, 6}, {42, 7}};
  static constexpr Insertions kBelow6000 = {{6, 1}, {10, 1}, {13, 4}, {23, 4}, {34, 3}, {41, 1}, {48, 1}};
  std::string bits(kReportFieldCount, '0');
  for (int i = 0; i < kReportFieldCount; ++i)
    if (stored >> i & 1) bits[static_cast<size_t>(i)] = '1';
  const auto insertions = version < 500 ? std::span<const std::pair<size_t, size_t>>(kBelow500)
                                         : std::span<const std::pair<size_t, size_t>>(kBelow6000);
  for (const auto& [position, run] : insertions) bits.insert(position - 1, run, '1');
  uint64_t widened = 0;
  for (int i = 0; i < kReportFieldCount; ++i)
    if (bits[static_cast<size_t>(i)] == '1') widened |= uint64_t{1} << i;
  return widened;
}

void TTarvexModuleOptions::WriteToStream(rtl::ByteWriter& out) const {
#define TARVEX_WRITE_FIELD(Name, Type, Kind, Default, Setter) Write##Kind(out, Name());
  TARVEX_OPTION_FIELDS(TARVEX_WRITE_FIELD)
#undef TARVEX_WRITE_FIELD
  out.WriteU32(static_cast<uint32_t>(filters_.Count()));
  for (const TTarvexExceptionFilter& filter : filters_) WriteFilter(out, filter);
  WriteString(out, MessageBody_);
  for (const std::string& text : texts_) WriteString(out, text);
  WriteString(out, TextsLanguage_);
}

void TTarvexModuleOptions::ReadFromStream(rtl::ByteReader& in, uint16_t v) {
  OptionsUpdate update(*this);
  SetLogSwitch(ReadBool(in));
  SetUseExceptionFilters(ReadBool(in));
  SetLogFlags(in.ReadU8());
  if (v < 500) {
    const uint8_t showDialog = in.ReadU8() ^ (v < 450 ? 1 : 0);
    if (showDialog == 0) SetDialogKind(dkNone);
  }
  SetAppendReportToMessage(ReadBool(in));
  if (v >= 450 && v < 500)
    for (const uint16_t bit : {sfSendWholeLog, sfIncludeScreenshot, sfShowProgressWindow})
      SetSendFlags(WithBit(SendFlags(), bit, ReadBool(in)));
  if (v > 400) {
    SetWriteLog(ReadBool(in));
    auto tab = ReadEnum(in, dtCpu, FirstDetailTab());
    if (v < kCurrent && tab == dtProcesses) tab = dtCpu;
    SetFirstDetailTab(tab);
  }
  if (v >= 403 && v < 500) SetDialogFlags(WithBit(DialogFlags(), dfOwnDialogLook, ReadBool(in)));
  if (v >= 420) {
    SetFreezeWatch(ReadBool(in));
    const int32_t freeze = in.ReadI32();
    SetFreezeSeconds(v < 422 ? freeze / 1000 : freeze);  // stored in milliseconds
    if (v < kCurrent) {
      std::string frozenText = ReadOptionString(in);
      if (!frozenText.empty()) SetText(mtApplicationFrozen, std::move(frozenText));
    }
    if (v >= 450) SetSenderAddress(ReadOptionString(in));
  }
  SetMailServer(ReadOptionString(in));
  if (v >= 450) SetMailServerPort(in.ReadU16());
  if (v > 420) {
    SetMailServerLogin(ReadOptionString(in));
    SetMailServerPassword(ReadOptionString(in));
    SetTerminateAction(ReadEnum(in, taRestart, TerminateAction()));
  }
  if (v < kCurrent && in.ReadU8() == 0) SetTerminateAction(taNone);
  SetMaxLoggedReports(in.ReadI32());
  SetTerminateButtonAfter(in.ReadI32());
  SetMailRecipients(ReadOptionString(in));
  SetMessageSubject(ReadOptionString(in));
  auto delivery = ReadEnum(in, mdDirectMX, MailDelivery());
  if (v < 450 && delivery != mdNone) delivery = MailServer().empty() ? mdMailClient : mdSMTPRelay;
  SetMailDelivery(delivery);
  if (v >= kCurrent) {
    SetReportFields(ReadSet(in, 6));
  } else {
    SetReportFields(WidenReportFields(ReadSet(in, v < 500 ? 4 : 5), v));
  }
  if (v < 450) in.Skip(1);
  SetLogFilePath(ReadOptionString(in));
  if (v >= 500) {
    SetWebDelivery(ReadEnum(in, wdMantis, WebDelivery()));
    SetWebAddress(ReadOptionString(in));
    SetWebLogin(ReadOptionString(in));
    SetWebLoginPassword(ReadOptionString(in));
    SetWebServerPort(in.ReadI32());
    SetExtraAttachments(ReadOptionString(in));
    const uint16_t send = in.ReadU16();
    SetSendFlags(v < kCurrent ? send & ~sfTagFilesWithComputer : send);
    SetDialogFlags(v < kCurrent ? in.ReadU8() : in.ReadU16());
    SetDialogAutoCloseSeconds(in.ReadI32());
    SetSupportPageAddress(ReadOptionString(in));
    SetErrorPageTemplate(ReadOptionString(in));
    SetCallStackFlags(in.ReadU8());
    SetBehaviourFlags(v < kCurrent ? in.ReadU8() : in.ReadU16());
    if (v >= kCurrent) SetLeakFlags(in.ReadU8());
    SetCrashBurstAction(ReadEnum(in, taRestart, CrashBurstAction()));
    SetCrashBurstCount(in.ReadI32());
    SetCrashBurstMinutes(in.ReadI32());
  }
  if (v < kCurrent) SetCallStackFlags(CallStackFlags() | csNoProcedureNames);
  if (v >= kCurrent) {
    SetBuildFlags(in.ReadU8());
    SetDialogKind(ReadEnum(in, dkDetailed, DialogKind()));
    SetProxyServer(ReadOptionString(in));
    SetProxyLogin(ReadOptionString(in));
    SetProxyLoginPassword(ReadOptionString(in));
    SetProxyServerPort(in.ReadU16());
    SetTrackerLogin(ReadOptionString(in));
    SetTrackerLoginPassword(ReadOptionString(in));
    SetTrackerAssignee(ReadOptionString(in));
    SetTrackerProjectName(ReadOptionString(in));
    SetTrackerCategoryName(ReadOptionString(in));
    SetTrackerTrialNumber(ReadOptionString(in));
    SetArchivePassword(ReadOptionString(in));
  }
  filters_.Clear();
  for (uint32_t count = in.ReadU32(); count > 0; --count) filters_.Add(ReadFilter(in, v));
  SetMessageBody(ReadOptionString(in));
  for (int i = 0; i < kMessageTextCount; ++i)
    if (TextStoredInVersion(i, v)) SetText(i, ReadOptionString(in));
  if (v >= kCurrent) SetTextsLanguage(ReadOptionString(in));
}

void TTarvexModuleOptions::WriteToFile(const std::string& fileName) const {
  rtl::ByteWriter out;
  WriteToStream(out);
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.Bytes().data()), static_cast<std::streamsize>(out.Bytes().size()));
  if (!file.flush()) throw rtl::EWriteError("Cannot write the options file \"" + fileName + "\"");
}

void TTarvexModuleOptions::ReadFromFile(const std::string& fileName, uint16_t version) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) throw rtl::EReadError("Cannot open the options file \"" + fileName + "\"");
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  rtl::ByteReader in(bytes);
  ReadFromStream(in, version);
}

}  // namespace tarvex
