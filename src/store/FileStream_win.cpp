#include "store/FileStream.h"
#include "UniqueHandle.h"
#include "UniqueKernelHandle.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {
void UnmapView(const void* view) { ::UnmapViewOfFile(view); }
using UniqueView = UniqueHandle<const void*, UnmapView>;

// The whole file as a read-only view; none for an empty file, or when the address space has
// no room for it (the stream then reads the file instead).
UniqueView MapWholeFile(HANDLE file, std::int64_t size)
{
    if (size <= 0 || static_cast<std::uint64_t>(size) > SIZE_MAX)
        return {};
    const UniqueKernelHandle mapping(::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return {};
    // The view keeps the mapping object alive on its own.
    return UniqueView(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
}

std::int64_t FileSize(HANDLE file)
{
    LARGE_INTEGER size;
    return ::GetFileSizeEx(file, &size) ? size.QuadPart : 0;
}
}

struct TFileStream::Handle {
    UniqueKernelHandle File;
    UniqueView View;
    std::int64_t ViewSize = 0;
};

TFileStream::TFileStream(const std::string& fileName, TFileSharing sharing)
{
    const DWORD share = sharing == TFileSharing::Everyone ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                                                          : FILE_SHARE_READ;
    const HANDLE handle =
        ::CreateFileA(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    UniqueKernelHandle file(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
    if (!file) {
        const DWORD error = ::GetLastError();
        throw EFOpenError(FullPathName(fileName), SystemErrorMessage(static_cast<int>(error)));
    }
    FHandle = std::make_unique<Handle>();
    // A file shared with writers could be cut short under the view, and a view would keep an
    // editor from saving it: only a file that cannot change is mapped.
    if (sharing == TFileSharing::Readers) {
        const std::int64_t size = FileSize(file.Get());
        FHandle->View = MapWholeFile(file.Get(), size);
        FHandle->ViewSize = FHandle->View ? size : 0;
    }
    FHandle->File = std::move(file);
}

TFileStream::~TFileStream() = default;

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    if (FHandle->View) {
        const std::int64_t left = std::max<std::int64_t>(FHandle->ViewSize - FPosition, 0);
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), left));
        if (n > 0)
            std::memcpy(buffer, Memory() + FPosition, n);
        FPosition += static_cast<std::int64_t>(n);
        return n;
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
        // An offset in OVERLAPPED reads at that position from a synchronous handle too.
        OVERLAPPED at{};
        const auto position = static_cast<ULONGLONG>(FPosition) + total;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        if (!::ReadFile(FHandle->File.Get(), out + total, chunk, &got, &at) || got == 0)
            break;
        total += got;
    }
    FPosition += static_cast<std::int64_t>(total);
    return total;
}

void TFileStream::Seek(std::int64_t position)
{
    if (position >= 0)
        FPosition = position;
}

std::int64_t TFileStream::Size() const
{
    return FHandle->View ? FHandle->ViewSize : FileSize(FHandle->File.Get());
}

const std::uint8_t* TFileStream::Memory() const
{
    return static_cast<const std::uint8_t*>(FHandle->View.Get());
}

std::string FullPathName(const std::string& fileName)
{
    char buffer[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameA(fileName.c_str(), sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : fileName;
}

std::string SystemErrorMessage(int code)
{
    char* text = nullptr;
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(code), 0,
                                     reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n > 0 ? std::string(text, n) : "System error " + std::to_string(code);
    ::LocalFree(text);
    while (!message.empty() && (static_cast<unsigned char>(message.back()) <= ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

int AccessDeniedCode() { return ERROR_ACCESS_DENIED; }

TBoundedRead ReadBoundedFile(const std::wstring& path, std::size_t limit, std::string& bytes)
{
    const HANDLE opened = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return TBoundedRead::CannotOpen;
    const UniqueKernelHandle file(opened);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size))
        return TBoundedRead::CannotOpen;
    if (static_cast<unsigned long long>(size.QuadPart) > limit)
        return TBoundedRead::TooLarge;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return TBoundedRead::CannotRead;
    return TBoundedRead::Done;
}
