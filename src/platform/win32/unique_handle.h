// One move-only owner for every kind of system handle: the Traits type names the handle type,
// the value meaning "none" and the function that releases it.
#pragma once

#include <windows.h>

#include <utility>

namespace tideglass::win32 {

template <typename Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer value) noexcept : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return !Traits::isNone(value_); }

    pointer release() noexcept { return std::exchange(value_, Traits::none()); }
    void reset(pointer value = Traits::none()) noexcept {
        pointer old = std::exchange(value_, value);
        if (!Traits::isNone(old))
            Traits::close(old);
    }
    // For functions that hand a new handle back through a pointer: releases the current one
    // first, so nothing is leaked when the wrapper is filled again.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::none();
};

// A kernel object handle. Both null and INVALID_HANDLE_VALUE mean "none": functions disagree
// about which one they return on failure.
struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer none() noexcept { return nullptr; }
    static bool isNone(pointer h) noexcept { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// A view of a file mapping (MapViewOfFile).
struct MappedViewTraits {
    using pointer = void*;
    static pointer none() noexcept { return nullptr; }
    static bool isNone(pointer p) noexcept { return p == nullptr; }
    static void close(pointer p) noexcept { ::UnmapViewOfFile(p); }
};
using UniqueMappedView = UniqueHandle<MappedViewTraits>;

// A buffer the system allocated for the caller (FormatMessage with ALLOCATE_BUFFER).
struct LocalMemoryTraits {
    using pointer = HLOCAL;
    static pointer none() noexcept { return nullptr; }
    static bool isNone(pointer h) noexcept { return h == nullptr; }
    static void close(pointer h) noexcept { ::LocalFree(h); }
};
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

// GDI objects the program created itself; never hand a stock object to this one.
struct GdiObjectTraits {
    using pointer = HGDIOBJ;
    static pointer none() noexcept { return nullptr; }
    static bool isNone(pointer h) noexcept { return h == nullptr; }
    static void close(pointer h) noexcept { ::DeleteObject(h); }
};
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

// A memory device context from CreateCompatibleDC.
struct MemoryDcTraits {
    using pointer = HDC;
    static pointer none() noexcept { return nullptr; }
    static bool isNone(pointer h) noexcept { return h == nullptr; }
    static void close(pointer h) noexcept { ::DeleteDC(h); }
};
using UniqueDc = UniqueHandle<MemoryDcTraits>;

}  // namespace tideglass::win32
