#include "crashreport/base/options/options.h"

#include <atomic>
#include <string_view>

#include "rtl/exception.h"

namespace tarvex {
namespace {

// Set at start-up and read by the options' setters in any thread (the handler
// thread copies options); a value on its own, publishing nothing, so relaxed.
std::atomic<uint32_t> runningModuleHandle{0};

}  // namespace

const char* const kDefaultSenderAddress = "tarvexlog@localhost";

const char* const kDefaultErrorPageTemplate =
    "<html>\r\n"
    "  <head>\r\n"
    "  </head>\r\n"
    "  <body TopMargin=10 LeftMargin=10>\r\n"
    "    <table width=\"100%\" border=\"0\">\r\n"
    "      <tr>\r\n"
    "        <td nowrap>\r\n"
    "          <font face=\"Lucida Console, Courier\" size=\"2\">\r\n"
    "            <%HTML_TAG%>\r\n"
    "          </font>\r\n"
    "        </td>\r\n"
    "      </tr>\r\n"
    "    </table>\r\n"
    "  </body>\r\n"
    "</html>";

uint32_t RunningModuleHandle() { return runningModuleHandle.load(std::memory_order_relaxed); }
void SetRunningModuleHandle(uint32_t handle) { runningModuleHandle.store(handle, std::memory_order_relaxed); }

TTarvexModuleOptions::TTarvexModuleOptions(std::string moduleFileName, uint32_t moduleHandle)
    : moduleFileName_(std::move(moduleFileName)), moduleHandle_(moduleHandle) {
  // Defaults are stored directly: a constructor has no one to notify.
#define TARVEX_FIELD_DEFAULT(Name, Type, Kind, Default, Setter) Name##_ = Type(Default);
  TARVEX_OPTION_FIELDS(TARVEX_FIELD_DEFAULT)
#undef TARVEX_FIELD_DEFAULT
  TextsLanguage_ = "English";
  for (int i = 0; i < kMessageTextCount; ++i) texts_[i] = kDefaultMessageTexts[i];
}

#define PlainSetter(Name, Type)                          \
  void TTarvexModuleOptions::Set##Name(Type value) {     \
    Name##_ = std::move(value);                          \
    Changed();                                           \
  }
#define OwnSetter(Name, Type)
#define VirtualSetter(Name, Type)
#define TARVEX_DEFINE_SETTER(Name, Type, Kind, Default, Setter) Setter(Name, Type)
TARVEX_OPTION_FIELDS(TARVEX_DEFINE_SETTER)
#undef TARVEX_DEFINE_SETTER
#define TARVEX_DEFINE_STRING_SETTER(Name) PlainSetter(Name, std::string)
TARVEX_UNSTREAMED_STRING_FIELDS(TARVEX_DEFINE_STRING_SETTER)
TARVEX_DEFINE_STRING_SETTER(MessageBody)
TARVEX_DEFINE_STRING_SETTER(TextsLanguage)
#undef TARVEX_DEFINE_STRING_SETTER
#undef PlainSetter
#undef OwnSetter
#undef VirtualSetter

void TTarvexModuleOptions::SetActive(bool value) {
  active_ = value;
  Changed();
}

void TTarvexModuleOptions::SetFreezeWatch(bool value) {
  FreezeWatch_ = value;
  Changed();
}

void TTarvexModuleOptions::SetMaxLoggedReports(int32_t value) {
  MaxLoggedReports_ = value == 0 ? 1 : value;  // a log keeps at least one report
  Changed();
}

const std::string& TTarvexModuleOptions::Text(int index) const {
  static const std::string kNone;
  return index >= 0 && index < kMessageTextCount ? texts_[index] : kNone;
}

void TTarvexModuleOptions::SetText(int index, std::string text) {
  if (index < 0 || index >= kMessageTextCount) return;
  texts_[index] = std::move(text);
  Changed();
}

void TTarvexModuleOptions::SetModule(std::string fileName, uint32_t handle) {
  moduleFileName_ = std::move(fileName);
  moduleHandle_ = handle;
}

void TTarvexModuleOptions::EndUpdate() {
  --updateDepth_;
  Changed();
}

void TTarvexModuleOptions::Changed() {
  if (updateDepth_ > 0 || !BelongsToRunningModule()) return;
  try {
    NotifyChanged();
  } catch (...) {
    // Publishing is a convenience for other modules; a failure must not stop the caller.
  }
}

void TTarvexModuleOptions::CopyFrom(const TTarvexModuleOptions* other) {
  if (other == nullptr) throw rtl::EConvertError("Impossible to assign nil as TTarvexModuleOptions.");
  if (other == this) return;
  OptionsUpdate update(*this);
  filters_.Assign(other->filters_);
  texts_ = other->texts_;
  SetTextsLanguage(other->TextsLanguage());
#define TARVEX_COPY_FIELD(Name, Type, Kind, Default, Setter) \
  if (std::string_view(#Name) != "LeakFlags") Set##Name(other->Name());
  TARVEX_OPTION_FIELDS(TARVEX_COPY_FIELD)
#undef TARVEX_COPY_FIELD
  SetMessageBody(other->MessageBody());
  SetBuildCommandBefore(other->BuildCommandBefore());
  SetBuildCommandAfterSuccess(other->BuildCommandAfterSuccess());
  SetBuildCommandAfterFailure(other->BuildCommandAfterFailure());
  SetLeakFlags(other->LeakFlags());
  SetReproductionSteps(other->ReproductionSteps());
}

void TTarvexModuleOptions::ResetToDefaults() {
  OptionsUpdate update(*this);
#define TARVEX_RESET_FIELD(Name, Type, Kind, Default, Setter) Set##Name(Type(Default));
  TARVEX_OPTION_FIELDS(TARVEX_RESET_FIELD)
#undef TARVEX_RESET_FIELD
#define TARVEX_RESET_STRING(Name) Set##Name({});
  TARVEX_UNSTREAMED_STRING_FIELDS(TARVEX_RESET_STRING)
#undef TARVEX_RESET_STRING
  SetMessageBody({});
  SetTextsLanguage("English");
  for (int i = 0; i < kMessageTextCount; ++i) SetText(i, kDefaultMessageTexts[i]);
  filters_.Clear();
  SetActive(true);
}

bool TTarvexModuleOptions::SameOptionsAs(const TTarvexModuleOptions& other) const {
#define TARVEX_SAME_FIELD(Name, Type, Kind, Default, Setter) \
  if (Name() != other.Name()) return false;
  TARVEX_OPTION_FIELDS(TARVEX_SAME_FIELD)
#undef TARVEX_SAME_FIELD
#define TARVEX_SAME_STRING(Name) \
  if (Name() != other.Name()) return false;
  TARVEX_UNSTREAMED_STRING_FIELDS(TARVEX_SAME_STRING)
#undef TARVEX_SAME_STRING
  return MessageBody_ == other.MessageBody_ && TextsLanguage_ == other.TextsLanguage_ &&
         texts_ == other.texts_ && filters_ == other.filters_;
}

}  // namespace tarvex
