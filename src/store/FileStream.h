#pragma once

#include "store/Streams.h"

#include <memory>
#include <string>

// Who else may use a file while a TFileStream holds it open.
enum class TFileSharing {
    // Other readers only: the file cannot change under the stream.
    Readers,
    // Readers, writers and deleters: an editor may hold the file open, or save it.
    Everyone,
};

// A read-only stream over a file. Other readers may open the file at the same time,
// so a second copy of the program can read the archive the first one holds open.
// Reads are positional: a Seek costs no system call. On Windows a file shared with readers
// only is mapped into memory, since it cannot change while it is open; elsewhere the file is
// read, because another process may cut a file short under a mapping.
class TFileStream final : public TStream {
public:
    // Fails with EFOpenError ("Cannot open file "<full path>". <reason>").
    explicit TFileStream(const std::string& fileName, TFileSharing sharing = TFileSharing::Readers);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Seek(std::int64_t position) override;
    std::int64_t Position() const override { return FPosition; }
    std::int64_t Size() const override;
    const std::uint8_t* Memory() const override;

private:
    struct Handle;
    std::unique_ptr<Handle> FHandle;
    std::int64_t FPosition = 0;
};

// The path as the system resolves it against the current folder.
std::string FullPathName(const std::string& fileName);

// The system's description of an error code, without trailing blanks or full stop.
std::string SystemErrorMessage(int code);

// The error code for "access denied", for refusals the program makes itself.
int AccessDeniedCode();

#ifdef _WIN32
// How ReadBoundedFile ended; after CannotOpen and CannotRead, GetLastError says why.
enum class TBoundedRead { Done, CannotOpen, TooLarge, CannotRead };
// The whole of a file of at most limit bytes into bytes; a larger file is not read.
TBoundedRead ReadBoundedFile(const std::wstring& path, std::size_t limit, std::string& bytes);
#endif
