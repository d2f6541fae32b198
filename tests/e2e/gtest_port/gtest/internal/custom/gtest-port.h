// GoogleTest's customisation point for the i686 mingw-w64 build. That compiler uses the win32
// thread model, whose C++ library has no std::mutex or std::condition_variable, and GoogleTest
// builds its thread start-up notification from them. Supplying that one class on a Win32 event
// keeps the rest of GoogleTest's Windows threading as it is.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
