#include "ArchiveWriter.h"

#include "store/FileArch.h"
#include "store/FolderCollation.h"
#include "store/StrNum.h"
#include "store/StringLists.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view LineEnd = "\r\n";

void AppendLittleEndian(std::string& out, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        throw EPackError("cannot read " + path.string());
    return std::move(bytes).str();
}

bool HasLineBreak(const std::string& name)
{
    return name.find_first_of("\r\n") != std::string::npos;
}

void CheckFolderName(const std::string& folder, const fs::path& where)
{
    for (char c : folder) {
        if (c != '\\' && !IsPortableFolderChar(c))
            throw EPackError("folder name has a character the archive's folder order cannot hold "
                             "(allowed: letters, digits, blank and !#$%&(),.;@[]^_`{}~+=): " +
                             where.string());
    }
}

void CheckName(const std::string& name, const fs::path& where)
{
    if (HasLineBreak(name))
        throw EPackError("name with a line break: " + where.string());
    if (name.find('\\') != std::string::npos)
        throw EPackError("name with a backslash: " + where.string());
}

// Two names that the reader would take for one, since it ignores letter case.
void CheckCaseClashes(const std::vector<std::pair<std::string, fs::path>>& names)
{
    std::map<std::string, fs::path> seen;
    for (const auto& [name, where] : names) {
        const auto [it, inserted] = seen.emplace(LowerAscii(name), where);
        if (!inserted)
            throw EPackError("names equal but for letter case: " + it->second.string() + " and " + where.string());
    }
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text.append(line).append(LineEnd);
    return text;
}

}

std::string RawDeflate(std::string_view content, int level)
{
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EPackError("cannot start compression");
    std::string out(deflateBound(&z, static_cast<uLong>(content.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    z.avail_in = static_cast<uInt>(content.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        throw EPackError("compression failed");
    return out;
}

std::string EncodeBlock(const std::string& content, const TPackOptions& options)
{
    std::string payload = content;
    int method = 0;
    if (!options.Store) {
        std::string deflated = RawDeflate(content, options.Level);
        if (deflated.size() < content.size()) {
            payload = std::move(deflated);
            method = 1;
        }
    }
    if (payload.size() > static_cast<std::size_t>(MaxContentSize))
        throw EPackError("block too large for the archive's 32-bit sizes");
    std::string block;
    AppendLittleEndian(block, static_cast<std::uint32_t>(payload.size()), 4);
    AppendLittleEndian(block, static_cast<std::uint32_t>(method), 2);
    return block + payload;
}

TPackTree ScanFolder(const fs::path& source)
{
    if (!fs::is_directory(source))
        throw EPackError("not a folder: " + source.string());
    TPackTree tree;
    tree.Folders.push_back("");
    std::vector<std::pair<std::string, fs::path>> folderNames;
    std::map<std::string, std::vector<std::pair<std::string, fs::path>>> namesByFolder;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(source)) {
        const fs::path relative = item.path().lexically_relative(source);
        const std::string name = relative.filename().string();
        CheckName(name, item.path());
        std::string folder = relative.parent_path().string();
        std::replace(folder.begin(), folder.end(), '/', '\\');
        if (item.is_directory()) {
            const std::string path = folder.empty() ? name : folder + "\\" + name;
            CheckFolderName(path, item.path());
            tree.Folders.push_back(path);
            folderNames.emplace_back(path, item.path());
        } else if (item.is_regular_file()) {
            tree.Entries.push_back({folder, name, item.path()});
            namesByFolder[folder].emplace_back(name, item.path());
            if (item.file_size() > static_cast<std::uintmax_t>(MaxContentSize))
                throw EPackError("file too large for the archive's 32-bit offsets: " + item.path().string());
        }
    }
    CheckCaseClashes(folderNames);
    for (const auto& [folder, names] : namesByFolder)
        CheckCaseClashes(names);
    if (tree.Folders.size() > static_cast<std::size_t>(MaxFolderNumber) + 1)
        throw EPackError("more than 16,384 folders below " + source.string());
    return tree;
}

void WriteArchive(const TPackTree& tree, const fs::path& archive, const TPackOptions& options)
{
    // Folder numbers follow the folder order, so the root (the empty line) is folder 0.
    std::vector<std::string> folders = tree.Folders;
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return CompareFolderNames(a, b) < 0; });
    std::map<std::string, std::int32_t> numberOf;
    for (std::size_t i = 0; i < folders.size(); ++i)
        numberOf[folders[i]] = static_cast<std::int32_t>(i);

    std::vector<std::pair<std::string, const TPackEntry*>> keys;
    for (const TPackEntry& entry : tree.Entries)
        keys.emplace_back(NumToStr2(numberOf.at(entry.Folder)) + LowerAscii(entry.Name), &entry);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return CompareKeys(a.first, b.first) < 0; });

    std::string head(ArchiveSignature);
    AppendLittleEndian(head, ArchiveVersion, 4);
    head += EncodeBlock(JoinLines(folders), options);
    for (std::size_t i = 0; i < folders.size(); ++i)
        AppendLittleEndian(head, static_cast<std::uint32_t>(i), 2);
    std::vector<std::string> keyLines;
    for (const auto& key : keys)
        keyLines.push_back(key.first);
    head += EncodeBlock(JoinLines(keyLines), options);

    const fs::path partial = archive.string() + ".partial";
    try {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out)
            throw EPackError("cannot write " + partial.string());
        std::string offsets;
        std::int64_t position = static_cast<std::int64_t>(head.size() + 4 * keys.size());
        out << head << std::string(4 * keys.size(), '\0');
        for (const auto& key : keys) {
            if (position > MaxContentSize)
                throw EPackError("archive too large for 32-bit offsets at " + key.second->Source.string());
            AppendLittleEndian(offsets, static_cast<std::uint32_t>(position), 4);
            const std::string block = EncodeBlock(ReadWholeFile(key.second->Source), options);
            out << block;
            position += static_cast<std::int64_t>(block.size());
        }
        out.seekp(static_cast<std::streamoff>(head.size()));
        out << offsets;
        out.close();
        if (!out)
            throw EPackError("cannot write " + partial.string());
        std::error_code error;
        fs::rename(partial, archive, error);
        if (error)
            throw EPackError("cannot replace " + archive.string() + " (is it open in a running program?): " +
                             error.message());
    } catch (...) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw;
    }
}
