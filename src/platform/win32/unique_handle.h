// Move-only ownership of a platform handle, one traits type per close function, so that every
// handle is closed exactly once by the right call.
#pragma once

#include <windows.h>

namespace tideglass::win32 {

template <typename Traits>
class UniqueHandle {
  public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    pointer get() const noexcept { return handle_; }
    pointer release() noexcept {
        pointer handle = handle_;
        handle_ = Traits::invalid();
        return handle;
    }
    void reset(pointer handle = Traits::invalid()) noexcept {
        if (Traits::isValid(handle_))
            Traits::close(handle_);
        handle_ = handle;
    }
    // For calls that return a handle through an out-parameter: closes the current one first.
    pointer* put() noexcept {
        reset();
        return &handle_;
    }
    explicit operator bool() const noexcept { return Traits::isValid(handle_); }

  private:
    pointer handle_ = Traits::invalid();
};

// Kernel objects: processes, threads, events. Both null and INVALID_HANDLE_VALUE mean "none".
struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static bool isValid(pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// GDI objects the program created itself; never hand a stock object to this one.
struct GdiObjectTraits {
    using pointer = HGDIOBJ;
    static pointer invalid() noexcept { return nullptr; }
    static bool isValid(pointer h) noexcept { return h != nullptr; }
    static void close(pointer h) noexcept { ::DeleteObject(h); }
};
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

}  // namespace tideglass::win32
