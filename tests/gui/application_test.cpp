// The application object's exception handling, as code that intercepts it by
// patching its virtual-method table sees it.
#include "gui/application.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rtl/exception.h"

namespace {

using rtl::gui::Application;

constexpr UINT kThrowConvertError = WM_APP;
constexpr UINT kThrowInteger = WM_APP + 1;

// A window whose message handler raises, as a button handler does on bad input.
class ThrowingWindow : public rtl::gui::Window {
 public:
  ThrowingWindow() { CreateWindowHandle(nullptr, WS_POPUP, 0, {0, 0, 10, 10}, L""); }
  ~ThrowingWindow() override { DestroyWindow(Handle()); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrowConvertError) throw rtl::EConvertError("'12a' is not a valid integer value");
    if (message == kThrowInteger) throw 42;
    return Window::HandleMessage(message, wParam, lParam);
  }
};

struct Seen {
  int calls = 0;
  std::string className;
  std::string message;
  bool inFlight = false;  // called while the exception is being caught
};
Seen seen;

void __attribute__((thiscall)) RecordException(Application*, const std::exception& error) {
  ++seen.calls;
  const auto* runtimeError = dynamic_cast<const rtl::Exception*>(&error);
  seen.className = runtimeError != nullptr ? runtimeError->ClassName() : "";
  seen.message = error.what();
  seen.inFlight = std::current_exception() != nullptr;
}

// Replaces one slot of the application object's virtual-method table for
// the lifetime of this object.
class SlotPatch {
 public:
  SlotPatch(Application& application, int slot, void* routine)
      : entry_(*reinterpret_cast<void***>(&application) + slot), old_(*entry_) {
    Write(routine);
  }
  ~SlotPatch() { Write(old_); }

 private:
  void Write(void* routine) {
    DWORD protection;
    VirtualProtect(entry_, sizeof *entry_, PAGE_READWRITE, &protection);
    *entry_ = routine;
    VirtualProtect(entry_, sizeof *entry_, protection, &protection);
  }
  void** entry_;
  void* old_;
};

// Itanium C++ ABI: a pointer to a virtual member function holds 1 + the
// byte offset of its slot in the table.
template <class Member>
int SlotOf(Member member) {
  ptrdiff_t word;
  std::memcpy(&word, &member, sizeof word);
  return static_cast<int>((word - 1) / static_cast<ptrdiff_t>(sizeof(void*)));
}

TEST(ApplicationVirtualSlots, AreTheDocumentedOnes) {
  EXPECT_EQ(SlotOf(&Application::HandleException), Application::kHandleExceptionSlot);
  EXPECT_EQ(SlotOf(&Application::ShowException), Application::kShowExceptionSlot);
}

struct Raised {
  const char* name;
  UINT message;
  const char* className;
  const char* text;
};

void PrintTo(const Raised& raised, std::ostream* out) { *out << raised.name; }

class ExceptionInHandler : public testing::TestWithParam<Raised> {};

TEST_P(ExceptionInHandler, ReachesThePatchedHandleExceptionSlot) {
  seen = {};
  ThrowingWindow window;
  {
    SlotPatch patch(rtl::gui::TheApplication(), Application::kHandleExceptionSlot,
                    reinterpret_cast<void*>(&RecordException));
    EXPECT_EQ(SendMessageW(window.Handle(), GetParam().message, 0, 0), 0);
  }
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.className, GetParam().className);
  EXPECT_EQ(seen.message, GetParam().text);
  EXPECT_TRUE(seen.inFlight);
}

TEST_P(ExceptionInHandler, ByDefaultGoesToShowExceptionThroughItsSlot) {
  seen = {};
  ThrowingWindow window;
  {
    SlotPatch patch(rtl::gui::TheApplication(), Application::kShowExceptionSlot,
                    reinterpret_cast<void*>(&RecordException));
    SendMessageW(window.Handle(), GetParam().message, 0, 0);
  }
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.message, GetParam().text);
  // The window still handles messages afterwards.
  EXPECT_TRUE(IsWindow(window.Handle()));
  EXPECT_EQ(SendMessageW(window.Handle(), WM_NULL, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ExceptionInHandler, testing::Values(
    Raised{"RuntimeError", kThrowConvertError, "EConvertError", "'12a' is not a valid integer value"},
    Raised{"ForeignObject", kThrowInteger, "Exception", "unknown exception"}),
    [](const testing::TestParamInfo<Raised>& info) { return std::string(info.param.name); });

}  // namespace
