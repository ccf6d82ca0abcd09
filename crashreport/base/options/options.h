// The crash reporter's options: one object per module that carries crash
// reporter data, plus the process-wide current copy read during handling.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "crashreport/base/options/exception_filters.h"
#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/option_fields.h"
#include "crashreport/base/options/option_types.h"
#include "rtl/byte_stream.h"

namespace tarvex {

extern const char* const kDefaultSenderAddress;
extern const char* const kDefaultErrorPageTemplate;

// The handle of the module that contains the running crash reporter; options
// of other modules never publish their changes. Set once at start-up.
uint32_t RunningModuleHandle();
void SetRunningModuleHandle(uint32_t handle);

class TTarvexModuleOptions {
 public:
  // `moduleHandle` is the handle of the module `moduleFileName` names (0: none).
  explicit TTarvexModuleOptions(std::string moduleFileName = {}, uint32_t moduleHandle = 0);
  virtual ~TTarvexModuleOptions() = default;
  TTarvexModuleOptions(const TTarvexModuleOptions&) = delete;
  TTarvexModuleOptions& operator=(const TTarvexModuleOptions&) = delete;

  // The virtual slots, in order.
  virtual void SetActive(bool value);
  virtual void SetFreezeWatch(bool value);
  // Copies every option but Active, ModuleFileName and ModuleHandle, as one
  // bulk change. Raises rtl::EConvertError for nullptr; copying itself does nothing.
  virtual void CopyFrom(const TTarvexModuleOptions* other);
  virtual void ResetToDefaults();
  virtual void WriteToStream(rtl::ByteWriter& out) const;
  virtual void WriteToFile(const std::string& fileName) const;
  // Reads the layout of data `version` as one bulk change. A stream that ends
  // early raises rtl::EReadError; what was read stays and one notification is still sent.
  virtual void ReadFromStream(rtl::ByteReader& in, uint16_t version);
  virtual void ReadFromFile(const std::string& fileName, uint16_t version);
  virtual void NotifyChanged() {}
  // Takes what the module's own reporter published; true when it had published.
  virtual bool ReloadShared() { return false; }

  // Scalar fields of the option stream: Name() and SetName(value).
#define PlainSetter_Declare(Name, Type) void Set##Name(Type value);
#define OwnSetter_Declare(Name, Type) void Set##Name(Type value);
#define VirtualSetter_Declare(Name, Type)
#define TARVEX_DECLARE_FIELD(Name, Type, Kind, Default, Setter) \
  const Type& Name() const { return Name##_; }                  \
  Setter##_Declare(Name, Type)
  TARVEX_OPTION_FIELDS(TARVEX_DECLARE_FIELD)
#undef TARVEX_DECLARE_FIELD
#undef PlainSetter_Declare
#undef OwnSetter_Declare
#undef VirtualSetter_Declare

#define TARVEX_DECLARE_STRING(Name)                     \
  const std::string& Name() const { return Name##_; } \
  void Set##Name(std::string value);
  TARVEX_UNSTREAMED_STRING_FIELDS(TARVEX_DECLARE_STRING)
  TARVEX_DECLARE_STRING(MessageBody)
  TARVEX_DECLARE_STRING(TextsLanguage)
#undef TARVEX_DECLARE_STRING

  TTarvexExceptionsFilters& Filters() { return filters_; }
  const TTarvexExceptionsFilters& Filters() const { return filters_; }

  // Message texts 0..157; an index out of range reads as empty and is not stored.
  const std::string& Text(int index) const;
  void SetText(int index, std::string text);

  bool Active() const { return active_; }
  const std::string& ModuleFileName() const { return moduleFileName_; }
  uint32_t ModuleHandle() const { return moduleHandle_; }
  void SetModule(std::string fileName, uint32_t handle);
  int32_t UpdateDepth() const { return updateDepth_; }

  void BeginUpdate() { ++updateDepth_; }
  // Ends one level of a bulk change and notifies when it was the outermost.
  void EndUpdate();
  // Notifies a change unless a bulk change is open or the options belong to
  // another module than the running one.
  void Changed();

  // Every option the stream carries, plus the unstreamed strings, compare equal.
  bool SameOptionsAs(const TTarvexModuleOptions& other) const;

 protected:
  bool BelongsToRunningModule() const { return moduleHandle_ == RunningModuleHandle(); }
  void StoreActive(bool value) { active_ = value; }
  void StoreFreezeWatch(bool value) { FreezeWatch_ = value; }

 private:
#define TARVEX_FIELD_MEMBER(Name, Type, Kind, Default, Setter) Type Name##_{};
  TARVEX_OPTION_FIELDS(TARVEX_FIELD_MEMBER)
#undef TARVEX_FIELD_MEMBER
#define TARVEX_STRING_MEMBER(Name) std::string Name##_;
  TARVEX_UNSTREAMED_STRING_FIELDS(TARVEX_STRING_MEMBER)
#undef TARVEX_STRING_MEMBER
  std::string MessageBody_;
  std::string TextsLanguage_;
  std::array<std::string, kMessageTextCount> texts_;
  TTarvexExceptionsFilters filters_{*this};
  bool active_ = true;
  std::string moduleFileName_;
  uint32_t moduleHandle_ = 0;
  int32_t updateDepth_ = 0;
};

// Opens a bulk change for the lifetime of the object.
class OptionsUpdate {
 public:
  explicit OptionsUpdate(TTarvexModuleOptions& options) : options_(options) { options_.BeginUpdate(); }
  ~OptionsUpdate() { options_.EndUpdate(); }
  OptionsUpdate(const OptionsUpdate&) = delete;
  OptionsUpdate& operator=(const OptionsUpdate&) = delete;

 private:
  TTarvexModuleOptions& options_;
};

}  // namespace tarvex
