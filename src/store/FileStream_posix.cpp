#include "store/FileStream.h"
#include "UniqueHandle.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace {
void CloseFd(int fd) { ::close(fd); }
using UniqueFd = UniqueHandle<int, CloseFd, -1>;

// Entry paths use backslashes between folders, as on Windows.
std::string NativePath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
}

struct TFileStream::Handle {
    UniqueFd Fd;
};

// POSIX files have no share modes: every open is shared with everyone.
TFileStream::TFileStream(const std::string& fileName, TFileSharing)
{
    const std::string path = NativePath(fileName);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    int error = 0;
    if (!fd)
        error = errno;
    else if (::fstat(fd.Get(), &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    if (error != 0)
        throw EFOpenError(FullPathName(fileName), SystemErrorMessage(error));
    FHandle = std::make_unique<Handle>(Handle{std::move(fd)});
}

TFileStream::~TFileStream() = default;

// pread, not a mapping: a file that another process cuts short gives a short read here, where
// a mapping would end the process with SIGBUS.
std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    auto* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const auto at = static_cast<off_t>(FPosition + static_cast<std::int64_t>(total));
        const ssize_t got = ::pread(FHandle->Fd.Get(), out + total, std::min<std::size_t>(count - total, INT_MAX), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += static_cast<std::size_t>(got);
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
    struct stat info {};
    return ::fstat(FHandle->Fd.Get(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

const std::uint8_t* TFileStream::Memory() const { return nullptr; }

std::string FullPathName(const std::string& fileName)
{
    const std::string path = NativePath(fileName);
    if (!path.empty() && path.front() == '/')
        return path;
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

std::string SystemErrorMessage(int code) { return std::strerror(code); }

int AccessDeniedCode() { return EACCES; }
