// libFuzzer target: reads the input as an archive held in memory and extracts every entry
// its directory lists, plus a few odd paths.
#include "store/FileArch.h"
#include "store/StrNum.h"
#include "store/Streams.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
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

// Allocation failures never reach the catch clauses below as std::bad_alloc: the sanitizer and
// -malloc_limit_mb report them as crashes first. Everything caught is a failure the reader raises
// on damaged input.
std::unique_ptr<TFileArch> Open(const std::uint8_t* data, std::size_t size)
{
    try {
        return std::make_unique<TFileArch>("fuzz", StreamOf(data, size));
    } catch (const std::exception&) {
        return nullptr;
    }
}

void Extract(TFileArch& archive, std::string_view path)
{
    TMemoryStream content;
    try {
        archive.ExtractFile(path, content);
    } catch (const std::exception&) {
    }
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
    const std::unique_ptr<TFileArch> archive = Open(data, size);
    if (!archive)
        return 0;
    const auto folders = FoldersByNumber(*archive);
    const TUStringList& keys = archive->Keys();
    for (std::size_t i = 0; i < keys.Count(); ++i) {
        if (const std::optional<std::string> path = PathOf(folders, keys.Strings(i)))
            Extract(*archive, *path);
    }
    for (const std::string& path : OddPaths)
        Extract(*archive, path);
    return 0;
}
