#include "store/Streams.h"

#include <algorithm>
#include <cstring>

void TStream::ReadBuffer(void* buffer, std::size_t count)
{
    if (Read(buffer, count) != count)
        throw EReadError();
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    if (count == 0 || FPosition >= FSize)
        return 0;
    const std::size_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FData.get() + FPosition, n);
    FPosition += n;
    return n;
}

void TMemoryStream::Seek(std::int64_t position)
{
    // Clamped to the content, so a later Write never leaves a gap of stale bytes.
    FPosition = position <= 0 ? 0 : std::min(static_cast<std::size_t>(position), FSize);
}

void TMemoryStream::Reserve(std::size_t capacity)
{
    if (capacity <= FCapacity)
        return;
    auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    if (FSize > 0)
        std::memcpy(grown.get(), FData.get(), FSize);
    FData = std::move(grown);
    FCapacity = capacity;
}

void TMemoryStream::SetSize(std::size_t size)
{
    Reserve(size);
    FSize = size;
    FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::Write(const void* data, std::size_t count)
{
    if (count == 0)
        return;
    const std::size_t end = FPosition + count;
    if (end > FCapacity)
        Reserve(std::max(end, FCapacity + FCapacity / 2));
    std::memcpy(FData.get() + FPosition, data, count);
    FPosition = end;
    FSize = std::max(FSize, end);
}
