#include "ArchiveReport.h"
#include "ArchiveWriter.h"

#include "store/FolderCollation.h"
#include "store/StrNum.h"

#include <fstream>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

std::map<std::int32_t, std::string> FolderByNumber(const TFileArch& archive)
{
    std::map<std::int32_t, std::string> folders;
    for (std::size_t i = 0; i < archive.Folders().Count(); ++i)
        folders.emplace(archive.Folders().Objects(i), archive.Folders().Strings(i));
    return folders;
}

std::int64_t ReadInt(TStream& file, std::size_t width)
{
    std::uint8_t bytes[4] = {};
    file.ReadBuffer(bytes, width);
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | bytes[i];
    return width == 2 ? static_cast<std::int16_t>(value) : static_cast<std::int32_t>(value);
}

// The number arrays may be cut short without the reader noticing; walk the layout to see.
void CheckLayout(TFileArch& archive, std::vector<std::string>& problems)
{
    TStream& file = archive.File();
    TMemoryStream text;
    file.Seek(8);
    archive.ReadBlock(text);
    const std::int64_t keyBlock = file.Position() + 2 * static_cast<std::int64_t>(archive.Folders().Count());
    if (keyBlock > file.Size()) {
        problems.push_back("folder numbers cut short by the end of the file");
        return;
    }
    file.Seek(keyBlock);
    archive.ReadBlock(text);
    if (file.Position() + 4 * static_cast<std::int64_t>(archive.Keys().Count()) > file.Size())
        problems.push_back("entry offsets cut short by the end of the file");
}

void CheckFolders(const TFileArch& archive, std::vector<std::string>& problems)
{
    const TStringList& folders = archive.Folders();
    std::set<std::int32_t> numbers;
    for (std::size_t i = 0; i < folders.Count(); ++i) {
        if (i > 0 && CompareFolderNames(folders.Strings(i - 1), folders.Strings(i)) >= 0)
            problems.push_back("folder \"" + folders.Strings(i) + "\" is out of order");
        if (!numbers.insert(folders.Objects(i)).second)
            problems.push_back("folder number " + std::to_string(folders.Objects(i)) + " is used twice");
    }
}

void CheckKeys(const TFileArch& archive, std::vector<std::string>& problems)
{
    const TUStringList& keys = archive.Keys();
    for (std::size_t i = 1; i < keys.Count(); ++i)
        if (CompareKeys(keys.Strings(i - 1), keys.Strings(i)) >= 0)
            problems.push_back("key \"" + keys.Strings(i) + "\" is out of order");
}

void CheckEntry(TFileArch& archive, const TEntryInfo& entry, std::vector<std::string>& problems)
{
    if (entry.Path.starts_with("?\\")) {
        problems.push_back("entry " + entry.Path + " belongs to no folder");
        return;
    }
    if (entry.Offset <= 0 || entry.Offset >= archive.File().Size()) {
        problems.push_back("entry " + entry.Path + " has offset " + std::to_string(entry.Offset) + " outside the file");
        return;
    }
    const std::string name = entry.Path.substr(entry.Path.rfind('\\') + 1);
    if (LowerAscii(name) != name) {
        problems.push_back("entry " + entry.Path + " has capitals in its key and cannot be found");
        return;
    }
    TMemoryStream direct;
    TMemoryStream looked;
    try {
        ReadEntry(archive, entry, direct);
        archive.ExtractFile(entry.Path, looked);
    } catch (const std::exception& e) {
        problems.push_back("entry " + entry.Path + " does not decode: " + e.what());
        return;
    }
    if (direct.AsString() != looked.AsString())
        problems.push_back("entry " + entry.Path + " is not what the lookup finds for its path");
}

}

std::vector<TEntryInfo> ListEntries(TFileArch& archive)
{
    const auto folders = FolderByNumber(archive);
    std::vector<TEntryInfo> entries;
    const TUStringList& keys = archive.Keys();
    for (std::size_t i = 0; i < keys.Count(); ++i) {
        const std::string& key = keys.Strings(i);
        const auto number = Str2ToNum(key);
        const auto folder = number ? folders.find(*number) : folders.end();
        const std::string name = key.size() >= 2 ? key.substr(2) : std::string();
        TEntryInfo entry;
        if (folder == folders.end())
            entry.Path = "?\\" + name;
        else
            entry.Path = folder->second.empty() ? name : folder->second + "\\" + name;
        entry.Offset = keys.Objects(i);
        if (entry.Offset > 0 && entry.Offset + 6 <= archive.File().Size()) {
            archive.File().Seek(entry.Offset);
            entry.StoredSize = static_cast<std::int32_t>(ReadInt(archive.File(), 4));
            entry.Method = static_cast<int>(ReadInt(archive.File(), 2) & 15);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void ReadEntry(TFileArch& archive, const TEntryInfo& entry, TMemoryStream& content)
{
    archive.File().Seek(entry.Offset);
    archive.ReadBlock(content);
}

std::vector<std::string> VerifyArchive(TFileArch& archive)
{
    if (archive.Status() == TFileArch::StatusBadSignature)
        return {"not an archive: the signature is not LVWK"};
    if (archive.Status() == TFileArch::StatusBadVersion)
        return {"unsupported archive version"};
    std::vector<std::string> problems;
    CheckLayout(archive, problems);
    CheckFolders(archive, problems);
    CheckKeys(archive, problems);
    for (const TEntryInfo& entry : ListEntries(archive))
        CheckEntry(archive, entry, problems);
    return problems;
}

void ExtractAll(TFileArch& archive, const fs::path& destination)
{
    for (const TEntryInfo& entry : ListEntries(archive)) {
        if (entry.Path.starts_with("?\\"))
            throw EPackError("entry belongs to no folder: " + entry.Path);
        fs::path target = destination;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = std::min(entry.Path.find('\\', start), entry.Path.size());
            const std::string part = entry.Path.substr(start, end - start);
            if (part.empty() || part == "." || part == ".." || part.find_first_of("/:") != std::string::npos)
                throw EPackError("entry path would leave the destination: " + entry.Path);
            target /= part;
            if (end == entry.Path.size())
                break;
            start = end + 1;
        }
        TMemoryStream content;
        ReadEntry(archive, entry, content);
        fs::create_directories(target.parent_path());
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(content.Data()), static_cast<std::streamsize>(content.Size()));
        if (!out)
            throw EPackError("cannot write " + target.string());
    }
}
