#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

// The reference counting of our COM objects: one AddRef and Release for every interface the
// object implements, and the object deletes itself at its last Release. Each object answers
// QueryInterface itself. The count starts at 0, so the first ComPtr that takes the new object
// holds its first reference.
template <typename... Interfaces>
class TComObject : public Interfaces... {
public:
    TComObject() = default;
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefCount; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG count = --FRefCount;
        if (count == 0)
            delete this;
        return count;
    }

protected:
    virtual ~TComObject() = default;
    ULONG References() const { return FRefCount; }

private:
    std::atomic<ULONG> FRefCount{0};
};
