// Root of the runtime's exception classes.
//
// Every exception the program raises derives from rtl::Exception. Each class
// carries a ClassInfo (its name and its parent's ClassInfo), so code that only
// holds an Exception& can ask for the class name and walk the ancestry by name
// at run time (exception filters match a class or any ancestor by name; bug
// reports print the class name). The descriptions are constant data: asking
// for them allocates nothing and runs no initialiser, which matters when the
// asker is a crash handler.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

struct ClassInfo {
  const char* name;
  const ClassInfo* parent;  // nullptr for the root

  // True when this class is `className` or derives from it (exact, case-sensitive).
  bool InheritsFrom(std::string_view className) const noexcept;
};

// Gives a class derived from Exception its run-time description. Use inside
// the class body: RTL_EXCEPTION_CLASS(EMyError, Exception)
#define RTL_EXCEPTION_CLASS(Name, Parent)                                        \
 public:                                                                        \
  static constexpr ::rtl::ClassInfo kClassInfo{#Name, &Parent::kClassInfo};     \
  const ::rtl::ClassInfo& Class() const noexcept override { return kClassInfo; } \
                                                                                \
 private:

// Declares an exception class that adds nothing but its name.
#define RTL_DECLARE_EXCEPTION(Name, Parent) \
  class Name : public Parent {              \
    RTL_EXCEPTION_CLASS(Name, Parent)       \
   public:                                  \
    using Parent::Parent;                   \
  }

class Exception : public std::exception {
 public:
  static constexpr ClassInfo kClassInfo{"Exception", nullptr};

  explicit Exception(std::string message = {}) : message_(std::move(message)) {}
  ~Exception() override = default;

  virtual const ClassInfo& Class() const noexcept { return kClassInfo; }
  const char* ClassName() const noexcept { return Class().name; }
  bool InheritsFrom(std::string_view className) const noexcept {
    return Class().InheritsFrom(className);
  }

  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// The runtime's own exception classes.
RTL_DECLARE_EXCEPTION(EAbort, Exception);          // silent: "stop here", never reported
RTL_DECLARE_EXCEPTION(EConvertError, Exception);   // text to value conversions
RTL_DECLARE_EXCEPTION(EStreamError, Exception);
RTL_DECLARE_EXCEPTION(EReadError, EStreamError);   // a stream ended before the data did
RTL_DECLARE_EXCEPTION(EWriteError, EStreamError);
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception);
RTL_DECLARE_EXCEPTION(EExternal, Exception);       // raised by the processor or the OS
RTL_DECLARE_EXCEPTION(EAccessViolation, EExternal);
RTL_DECLARE_EXCEPTION(EStackOverflow, EExternal);
RTL_DECLARE_EXCEPTION(EIntError, EExternal);       // integer arithmetic faults of the processor
RTL_DECLARE_EXCEPTION(EDivByZero, EIntError);
RTL_DECLARE_EXCEPTION(EIntOverflow, EIntError);
RTL_DECLARE_EXCEPTION(EExternalException, EExternal);  // any other operating system exception
RTL_DECLARE_EXCEPTION(EAssertionFailed, Exception);

// Wraps an error that a COM method returned; it carries the names of the
// exception classes that the error stands for.
class TActiveXException : public Exception {
  RTL_EXCEPTION_CLASS(TActiveXException, Exception)
 public:
  TActiveXException(std::string message, std::vector<std::string> classNames)
      : Exception(std::move(message)), classNames_(std::move(classNames)) {}
  const std::vector<std::string>& ClassNames() const noexcept { return classNames_; }

 private:
  std::vector<std::string> classNames_;
};

}  // namespace rtl
