#pragma once

#include <utility>

// A move-only owner of one platform handle, closed by Close when the owner ends.
// Each handle kind is a one-line alias: using UniqueFile = UniqueHandle<HANDLE, CloseFile>;
template <typename Handle, auto Close, auto Invalid = Handle{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : FHandle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, Invalid)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.FHandle, Invalid));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != Invalid; }
    void Reset(Handle handle = Invalid)
    {
        if (FHandle != Invalid)
            Close(FHandle);
        FHandle = handle;
    }

private:
    Handle FHandle = Invalid;
};
