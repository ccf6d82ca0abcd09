// Exception filters: per-class rules that change how an exception is handled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rtl {
class Exception;
}

namespace tarvex {

class TTarvexModuleOptions;

enum TTarvexFilterScope : uint8_t { fsAnyException, fsHandledExceptions, fsUnhandledExceptions };
enum TTarvexFilterDialog : uint8_t { fdNone, fdOptionsDialog, fdMessageBox, fdSimpleDialog, fdDetailedDialog };
enum TTarvexFilterHandling : uint8_t { fhIgnore, fhStandard, fhTarvexLog };
enum TTarvexFilterAfterAction : uint8_t { faNone, faTerminate, faRestart };

struct TTarvexExceptionFilter {
  bool Enabled = true;
  std::string ClassName;  // matches this class and every class derived from it
  std::string Message;    // when not empty, replaces the message the dialogs show (macros expanded)
  TTarvexFilterScope Scope = fsAnyException;
  TTarvexFilterDialog DialogChoice = fdNone;
  TTarvexFilterHandling Handling = fhIgnore;
  TTarvexFilterAfterAction AfterAction = faNone;
  friend bool operator==(const TTarvexExceptionFilter&, const TTarvexExceptionFilter&) = default;
};

// The owned list of filters of one options object; every addition, removal
// and clearing is reported to the owner as a change.
class TTarvexExceptionsFilters {
 public:
  explicit TTarvexExceptionsFilters(TTarvexModuleOptions& owner) : owner_(owner) {}
  TTarvexExceptionsFilters(const TTarvexExceptionsFilters&) = delete;
  TTarvexExceptionsFilters& operator=(const TTarvexExceptionsFilters&) = delete;

  size_t Count() const { return items_.size(); }
  const TTarvexExceptionFilter& operator[](size_t index) const { return items_.at(index); }
  TTarvexExceptionFilter& operator[](size_t index) { return items_.at(index); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  TTarvexExceptionFilter& Add(TTarvexExceptionFilter filter = {});
  void Delete(size_t index);
  void Clear();
  // Replaces the list with copies of `other`'s records.
  void Assign(const TTarvexExceptionsFilters& other);

  // The first enabled filter that matches, or nullptr. `handledByProgram`
  // tells whether the program caught the exception itself.
  const TTarvexExceptionFilter* Match(const rtl::Exception& e, bool handledByProgram) const;

  bool operator==(const TTarvexExceptionsFilters& other) const { return items_ == other.items_; }

 private:
  TTarvexModuleOptions& owner_;
  std::vector<TTarvexExceptionFilter> items_;
};

}  // namespace tarvex
