#include "store/FileStream.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {
void CloseFile(HANDLE handle) { ::CloseHandle(handle); }
using UniqueFile = UniqueHandle<HANDLE, CloseFile>;
}

struct TFileStream::Handle {
    UniqueFile File;
};

TFileStream::TFileStream(const std::string& fileName, TFileSharing sharing)
{
    const DWORD share = sharing == TFileSharing::Everyone ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                                                          : FILE_SHARE_READ;
    const HANDLE handle =
        ::CreateFileA(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    UniqueFile file(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
    if (!file) {
        const DWORD error = ::GetLastError();
        throw EFOpenError(FullPathName(fileName), SystemErrorMessage(static_cast<int>(error)));
    }
    FHandle = std::make_unique<Handle>(Handle{std::move(file)});
}

TFileStream::~TFileStream() = default;

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    auto* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(FHandle->File.Get(), out + total, chunk, &got, nullptr) || got == 0)
            break;
        total += got;
    }
    FPosition += static_cast<std::int64_t>(total);
    return total;
}

void TFileStream::Seek(std::int64_t position)
{
    LARGE_INTEGER target;
    target.QuadPart = position;
    LARGE_INTEGER reached;
    if (::SetFilePointerEx(FHandle->File.Get(), target, &reached, FILE_BEGIN))
        FPosition = reached.QuadPart;
}

std::int64_t TFileStream::Size() const
{
    LARGE_INTEGER size;
    return ::GetFileSizeEx(FHandle->File.Get(), &size) ? size.QuadPart : 0;
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
