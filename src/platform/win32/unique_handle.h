// One move-only owner for every kind of platform handle; a Traits type names the handle type,
// its empty value and the one function that releases it.
#pragma once

#include <utility>

namespace tideglass::win32 {

template <typename Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::empty(); }

    Handle release() { return std::exchange(handle_, Traits::empty()); }
    void reset(Handle handle = Traits::empty()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::empty())
            Traits::close(old);
    }
    // For functions that return a new handle through a pointer: releases the current one first.
    Handle* put() {
        reset();
        return &handle_;
    }

  private:
    Handle handle_ = Traits::empty();
};

}  // namespace tideglass::win32
