#include "store/FileArch.h"
#include "store/FileStream.h"
#include "store/StrNum.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::int32_t ReadLittleEndian(const std::uint8_t* bytes, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | bytes[i];
    if (width == 2)
        return static_cast<std::int16_t>(value);
    return static_cast<std::int32_t>(value);
}

constexpr std::size_t BlockHeaderSize = 6;

// One read takes a block's header with this much behind it: the whole of a small entry's
// payload comes with the read that finds its size.
constexpr std::int64_t ReadAhead = 1024;

// The largest archive read whole into memory where it is not mapped; the pages take well under
// one MiB. A larger one is read a block at a time.
constexpr std::int64_t WholeReadLimit = 64 * 1024 * 1024;

// zlib decodes with its fast loop only while this much output room is left.
constexpr std::size_t FastLoopRoom = 258;

// The block stores no decoded size, and a DEFLATE stream tells its size only for stored
// blocks. Pages deflate to a fifth of their size or less, so eight times the payload holds
// nearly every entry at the first try, and larger ones double the room. Room never written
// costs little: the system gives a large buffer's pages only when they are first touched.
std::size_t FirstOutputRoom(std::size_t payloadSize)
{
    return std::min<std::size_t>(std::max<std::size_t>(payloadSize * 8, 4096) + FastLoopRoom, MaxContentSize);
}

}

class TRawInflater {
public:
    TRawInflater()
    {
        if (inflateInit2(&FZ, -MAX_WBITS) != Z_OK)
            throw EDecompressionError("insufficient memory");
    }
    ~TRawInflater() { inflateEnd(&FZ); }
    TRawInflater(const TRawInflater&) = delete;
    TRawInflater& operator=(const TRawInflater&) = delete;

    // Decodes one raw DEFLATE stream up to its final block; bytes after it are ignored.
    void Decode(const std::uint8_t* input, std::size_t size, TMemoryStream& output)
    {
        inflateReset(&FZ);
        FZ.next_in = const_cast<Bytef*>(input);
        FZ.avail_in = static_cast<uInt>(size);
        output.Reserve(FirstOutputRoom(size));
        for (;;) {
            std::size_t written = static_cast<std::size_t>(output.Size());
            if (written == output.Capacity()) {
                if (written >= MaxContentSize)
                    throw EDecompressionError("decoded content is larger than 2 GiB");
                output.Reserve(std::min<std::size_t>(written * 2, MaxContentSize));
            }
            FZ.next_out = output.Data() + written;
            FZ.avail_out = static_cast<uInt>(output.Capacity() - written);
            const int result = inflate(&FZ, Z_NO_FLUSH);
            output.SetSize(output.Capacity() - FZ.avail_out);
            if (result == Z_STREAM_END)
                return;
            if (result == Z_BUF_ERROR && FZ.avail_in == 0)
                throw EDecompressionError("unexpected end of compressed data");
            if (result != Z_OK && result != Z_BUF_ERROR)
                throw EDecompressionError(FZ.msg ? FZ.msg : zError(result));
        }
    }

private:
    z_stream FZ{};
};

namespace {
void LowerAsciiInPlace(std::string& text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
}
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    LowerAsciiInPlace(lower);
    return lower;
}

TFileArch::TFileArch(const std::string& archiveName)
    : TFileArch(archiveName, std::make_unique<TFileStream>(archiveName))
{
}

TFileArch::TFileArch(std::string archiveName, std::unique_ptr<TStream> file)
    : FArchiveName(std::move(archiveName)), FFile(std::move(file)), FFileSize(FFile->Size())
{
    ReadDirectory();
}

TFileArch::~TFileArch() = default;

namespace {
bool StrictlyAscends(const TStringList& list)
{
    for (std::size_t i = 1; i < list.Count(); ++i)
        if (list.CompareLines(list.Strings(i - 1), list.Strings(i)) >= 0)
            return false;
    return true;
}
}

void TDirectIndex::Build(const TStringList& list, bool lowered)
{
    FLines.clear();
    FLowered.clear();
    if (!StrictlyAscends(list))
        return;
    FLowered.reserve(lowered ? list.Count() : 0);
    FLines.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) {
        std::string_view text = list.Strings(i);
        if (lowered) {
            FLowered.push_back(LowerAscii(text));
            // A locale may fold some letter otherwise (the Turkish I): such a line is bisected.
            if (list.CompareLines(text, FLowered.back()) != 0)
                continue;
            text = FLowered.back();
        }
        FLines.emplace(text, static_cast<std::uint32_t>(i));
    }
}

bool TDirectIndex::Find(std::string_view text, std::size_t& index) const
{
    const auto line = FLines.find(text);
    if (line == FLines.end())
        return false;
    index = line->second;
    return true;
}

void TFileArch::ReadDirectory()
{
    char signature[4];
    if (FFile->Read(signature, sizeof signature) != sizeof signature ||
        std::string_view(signature, sizeof signature) != ArchiveSignature) {
        FStatus = StatusBadSignature;
        return;
    }
    std::uint8_t version[4];
    if (FFile->Read(version, sizeof version) != sizeof version || ReadLittleEndian(version, 4) != ArchiveVersion) {
        FStatus = StatusBadVersion;
        return;
    }
    TMemoryStream text;
    ReadBlock(text);
    FFolders.AddLines(text.AsString());
    ReadNumbers(FFolders, 2);
    ReadBlock(text);
    FKeys.AddLines(text.AsString());
    ReadNumbers(FKeys, 4);
    FFolderIndex.Build(FFolders, true);
    FKeyIndex.Build(FKeys, false);
}

// Gives each line its number from the array behind the block; a cut-short array reads as 0.
void TFileArch::ReadNumbers(TStringList& list, std::size_t width)
{
    if (list.Count() == 0)
        return;
    const auto wanted = static_cast<std::int64_t>(list.Count() * width);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::clamp<std::int64_t>(FFile->Remaining(), 0, wanted)));
    bytes.resize(FFile->Read(bytes.data(), bytes.size()));
    bytes.resize(list.Count() * width, 0);
    for (std::size_t i = 0; i < list.Count(); ++i)
        list.SetObject(i, ReadLittleEndian(&bytes[i * width], width));
}

// The block at the archive's position. Its payload is checked against the file's size before
// anything is read or allocated for it; a stream in memory (a mapped archive) or the whole copy
// hands it over in place, any other is read with one read for a small block.
TFileArch::TBlock TFileArch::LocateBlock()
{
    const std::int64_t start = FFile->Position();
    std::int64_t memorySize = 0;
    const std::uint8_t* memory = ArchiveMemory(memorySize);
    const std::uint8_t* bytes = nullptr;
    std::size_t got = 0;
    if (memory) {
        if (start >= 0 && start <= memorySize)
            bytes = memory + start;
        got = bytes ? static_cast<std::size_t>(memorySize - start) : 0;
    } else {
        FReadBuffer.SetSize(static_cast<std::size_t>(std::clamp<std::int64_t>(FFileSize - start, 0, ReadAhead)));
        got = FFile->Read(FReadBuffer.Data(), static_cast<std::size_t>(FReadBuffer.Size()));
        bytes = FReadBuffer.Data();
    }
    if (got < BlockHeaderSize)
        throw EReadError();
    const std::int32_t size = ReadLittleEndian(bytes, 4);
    const int method = bytes[4] & 15;
    const bool hasPayload = method == 0 || method == 1;
    if (size < 0 || (hasPayload && size > FFileSize - start - static_cast<std::int64_t>(BlockHeaderSize)))
        throw EReadError();
    const std::size_t blockSize = BlockHeaderSize + (hasPayload ? static_cast<std::size_t>(size) : 0);
    if (blockSize > got) {
        // Only a copy cut short by the file's end can hold less than the block in memory.
        if (memory)
            throw EReadError();
        FReadBuffer.SetSize(blockSize);
        FFile->ReadBuffer(FReadBuffer.Data() + got, blockSize - got);
        bytes = FReadBuffer.Data();
    }
    FFile->Seek(start + static_cast<std::int64_t>(blockSize));
    return {method, bytes + BlockHeaderSize, static_cast<std::size_t>(size)};
}

const std::uint8_t* TFileArch::ArchiveMemory(std::int64_t& size) const
{
    if (const std::uint8_t* memory = FFile->Memory()) {
        size = FFileSize;
        return memory;
    }
    size = static_cast<std::int64_t>(FWholeCopy.Size());
    return FWholeCopyRead ? FWholeCopy.Data() : nullptr;
}

void TFileArch::ReadWholeCopy()
{
    FWholeCopyRead = true;
    if (FFile->Memory() || FFileSize > WholeReadLimit)
        return;
    FWholeCopy.SetSize(static_cast<std::size_t>(FFileSize));
    FFile->Seek(0);
    FWholeCopy.SetSize(FFile->Read(FWholeCopy.Data(), FWholeCopy.Size()));
}

void TFileArch::ReadBlock(TMemoryStream& stream)
{
    stream.Clear();
    stream.Seek(0);
    const TBlock block = LocateBlock();
    if (block.Method == 0) {
        stream.SetSize(block.Size);
        if (block.Size > 0)
            std::memcpy(stream.Data(), block.Payload, block.Size);
    } else if (block.Method == 1) {
        if (!FInflater)
            FInflater = std::make_unique<TRawInflater>();
        FInflater->Decode(block.Payload, block.Size, stream);
    }
    stream.Seek(0);
}

void TFileArch::ExtractFile(std::string_view path, TMemoryStream& stream)
{
    stream.Clear();
    stream.Seek(0);
    FPath.assign(path);
    LowerAsciiInPlace(FPath);
    const std::size_t slash = FPath.rfind('\\');
    const std::string_view whole(FPath);
    const std::string_view folder = slash == std::string::npos ? std::string_view() : whole.substr(0, slash);
    const std::string_view name = slash == std::string::npos ? whole : whole.substr(slash + 1, 999);

    std::size_t index = 0;
    if (!FFolderIndex.Find(folder, index) && !FFolders.Find(folder, index))
        return;
    FKey.assign(NumToStr2(FFolders.Objects(index)));
    FKey.append(name);
    if (!FKeyIndex.Find(FKey, index) && !FKeys.Find(FKey, index))
        return;
    const std::int64_t offset = FKeys.Objects(index);
    if (offset <= 0 || offset >= FFileSize)
        return;
    if (!FWholeCopyRead)
        ReadWholeCopy();
    FFile->Seek(offset);
    ReadBlock(stream);
}
