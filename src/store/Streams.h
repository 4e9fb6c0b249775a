#pragma once

#include "Exception.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A read that the stream cannot satisfy in full.
class EReadError : public Exception {
public:
    EReadError() : Exception("Stream read error") {}
};

// A file that cannot be opened; the message names the full path and the system's reason.
class EFOpenError : public Exception {
public:
    EFOpenError(const std::string& fullPath, const std::string& reason)
        : Exception("Cannot open file \"" + fullPath + "\". " + reason) {}
};

// A readable, seekable byte stream. Positions and sizes are byte counts from the start.
class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes and returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual void Seek(std::int64_t position) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    // The whole content, Size() bytes, when it lies in memory; null when it must be read.
    virtual const std::uint8_t* Memory() const { return nullptr; }

    // Reads exactly count bytes or fails with "Stream read error".
    void ReadBuffer(void* buffer, std::size_t count);
    std::int64_t Remaining() const { return Size() - Position(); }
};

// The growable in-memory content buffer. Growth does not zero-fill, so decoding
// large entries costs no more than the bytes written.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Seek(std::int64_t position) override;
    std::int64_t Position() const override { return static_cast<std::int64_t>(FPosition); }
    std::int64_t Size() const override { return static_cast<std::int64_t>(FSize); }
    const std::uint8_t* Memory() const override { return FData.get(); }

    void Write(const void* data, std::size_t count);
    void SetSize(std::size_t size);
    void Clear() { SetSize(0); }
    void Reserve(std::size_t capacity);

    const std::uint8_t* Data() const { return FData.get(); }
    std::uint8_t* Data() { return FData.get(); }
    std::size_t Capacity() const { return FCapacity; }
    std::string AsString() const { return {reinterpret_cast<const char*>(Data()), FSize}; }

private:
    std::unique_ptr<std::uint8_t[]> FData;
    std::size_t FCapacity = 0;
    std::size_t FSize = 0;
    std::size_t FPosition = 0;
};
