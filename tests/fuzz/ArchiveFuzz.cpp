// libFuzzer target: reads the input as an archive held in memory and extracts every entry
// its directory lists, plus a few odd paths; the same input read as a file is read (not mapped)
// must give the same content for each.
#include "store/FileArch.h"
#include "store/StrNum.h"
#include "store/Streams.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

const std::array<std::string, 4> OddPaths = {
    "",
    "\\",
    "a\\",
    // Longer than the 999 characters of a name that a lookup keeps.
    std::string(300, 'd') + "\\" + std::string(1200, 'n'),
};

std::unique_ptr<TStream> StreamOf(const std::uint8_t* data, std::size_t size)
{
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(data, size);
    stream->Seek(0);
    return stream;
}

// The same bytes without Memory(), as a file that is read: the reader takes its read path.
class TReadStream final : public TStream {
public:
    TReadStream(const std::uint8_t* data, std::size_t size) : FBytes(StreamOf(data, size)) {}
    std::size_t Read(void* buffer, std::size_t count) override { return FBytes->Read(buffer, count); }
    void Seek(std::int64_t position) override { FBytes->Seek(position); }
    std::int64_t Position() const override { return FBytes->Position(); }
    std::int64_t Size() const override { return FBytes->Size(); }

private:
    std::unique_ptr<TStream> FBytes;
};

// Allocation failures never reach the catch clauses below as std::bad_alloc: the sanitizer and
// -malloc_limit_mb report them as crashes first. Everything caught is a failure the reader raises
// on damaged input.
std::unique_ptr<TFileArch> Open(std::unique_ptr<TStream> stream)
{
    try {
        return std::make_unique<TFileArch>("fuzz", std::move(stream));
    } catch (const std::exception&) {
        return nullptr;
    }
}

// The entry offset that the two bisections of the lookup reach for path, or 0 for none.
std::int64_t BisectedOffset(const TFileArch& archive, std::string_view path)
{
    const std::string lower = LowerAscii(path);
    const std::size_t slash = lower.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : lower.substr(0, slash);
    const std::string name = slash == std::string::npos ? lower : lower.substr(slash + 1, 999);
    std::size_t index = 0;
    if (!archive.Folders().Find(folder, index) || !archive.Keys().Find(NumToStr2(archive.Folders().Objects(index)) + name, index))
        return 0;
    return archive.Keys().Objects(index);
}

std::optional<std::string> Decoded(const std::function<void(TMemoryStream&)>& read)
{
    TMemoryStream content;
    try {
        read(content);
        return content.AsString();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Whatever the lookup's index finds, the bisections alone must find too, and the reader of the
// file that is read must find the same.
void Extract(TFileArch& archive, TFileArch& read, std::string_view path)
{
    const std::optional<std::string> found = Decoded([&](TMemoryStream& out) { archive.ExtractFile(path, out); });
    if (found != Decoded([&](TMemoryStream& out) { read.ExtractFile(path, out); }))
        std::abort();
    const std::int64_t offset = BisectedOffset(archive, path);
    const bool inFile = offset > 0 && offset < archive.File().Size();
    const std::optional<std::string> expected = !inFile ? std::optional<std::string>("") : Decoded([&](TMemoryStream& out) {
        archive.File().Seek(offset);
        archive.ReadBlock(out);
    });
    if (found != expected)
        std::abort();
}

// The folder line for each number a key prefix can name; the first line wins when a damaged
// array gives two lines one number.
std::unordered_map<std::int32_t, std::string_view> FoldersByNumber(const TFileArch& archive)
{
    std::unordered_map<std::int32_t, std::string_view> folders;
    const TStringList& lines = archive.Folders();
    for (std::size_t i = 0; i < lines.Count(); ++i)
        folders.emplace(lines.Objects(i), lines.Strings(i));
    return folders;
}

// The path a lookup turns back into key: folder, backslash, name; the bare name in the root "".
std::optional<std::string> PathOf(const std::unordered_map<std::int32_t, std::string_view>& folders,
                                  std::string_view key)
{
    const std::optional<std::int32_t> number = Str2ToNum(key);
    if (!number)
        return std::nullopt;
    const auto folder = folders.find(*number);
    if (folder == folders.end())
        return std::nullopt;
    const std::string_view name = key.substr(2);
    if (folder->second.empty())
        return std::string(name);
    return std::string(folder->second) + "\\" + std::string(name);
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<TFileArch> archive = Open(StreamOf(data, size));
    const std::unique_ptr<TFileArch> read = Open(std::make_unique<TReadStream>(data, size));
    if (!archive != !read)
        std::abort();
    if (!archive)
        return 0;
    const auto folders = FoldersByNumber(*archive);
    const TUStringList& keys = archive->Keys();
    for (std::size_t i = 0; i < keys.Count(); ++i) {
        if (const std::optional<std::string> path = PathOf(folders, keys.Strings(i)))
            Extract(*archive, *read, *path);
    }
    for (const std::string& path : OddPaths)
        Extract(*archive, *read, path);
    return 0;
}
