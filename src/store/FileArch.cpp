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

class RawInflater {
public:
    RawInflater()
    {
        if (inflateInit2(&FZ, -MAX_WBITS) != Z_OK)
            throw EDecompressionError("insufficient memory");
    }
    ~RawInflater() { inflateEnd(&FZ); }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    // Decodes one raw DEFLATE stream up to its final block; bytes after it are ignored.
    void Decode(const std::uint8_t* input, std::size_t size, TMemoryStream& output)
    {
        FZ.next_in = const_cast<Bytef*>(input);
        FZ.avail_in = static_cast<uInt>(size);
        output.Reserve(std::min<std::size_t>(std::max<std::size_t>(size * 4, 4096), MaxContentSize));
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

constexpr std::size_t BlockHeaderSize = 6;

}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
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

void TFileArch::ReadBlock(TMemoryStream& stream)
{
    stream.Clear();
    stream.Seek(0);
    std::uint8_t header[BlockHeaderSize];
    FFile->ReadBuffer(header, sizeof header);
    const std::int32_t size = ReadLittleEndian(header, 4);
    const int method = header[4] & 15;
    // Checked before anything is allocated: a damaged header must not make us allocate
    // more than the file holds.
    if (size < 0 || ((method == 0 || method == 1) && size > FFileSize - FFile->Position()))
        throw EReadError();
    if (method == 0) {
        stream.SetSize(static_cast<std::size_t>(size));
        FFile->ReadBuffer(stream.Data(), static_cast<std::size_t>(size));
    } else if (method == 1) {
        auto payload = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
        FFile->ReadBuffer(payload.get(), static_cast<std::size_t>(size));
        RawInflater().Decode(payload.get(), static_cast<std::size_t>(size), stream);
    }
    stream.Seek(0);
}

void TFileArch::ExtractFile(std::string_view path, TMemoryStream& stream)
{
    stream.Clear();
    stream.Seek(0);
    const std::string lower = LowerAscii(path);
    const std::size_t slash = lower.rfind('\\');
    const std::string_view whole(lower);
    const std::string_view folder = slash == std::string::npos ? std::string_view() : whole.substr(0, slash);
    const std::string_view name = slash == std::string::npos ? whole : whole.substr(slash + 1, 999);

    std::size_t index = 0;
    if (!FFolders.Find(folder, index))
        return;
    if (!FKeys.Find(NumToStr2(FFolders.Objects(index)) + std::string(name), index))
        return;
    const std::int64_t offset = FKeys.Objects(index);
    if (offset <= 0 || offset >= FFileSize)
        return;
    FFile->Seek(offset);
    ReadBlock(stream);
}
