#include "store/FileManager.h"
#include "store/FileStream.h"

#include <algorithm>

std::unique_ptr<TFileManager> FileManager;

std::string DataDirFromArgs(const std::vector<std::string>& args, const std::string& programFolder)
{
    constexpr std::string_view option = "/data=";
    for (const std::string& arg : args) {
        const std::string lower = LowerAscii(arg);
        if (lower.compare(0, option.size(), option) != 0)
            continue;
        std::string dir = programFolder + lower.substr(option.size(), 999);
        if (dir.empty() || dir.back() != '\\')
            dir += '\\';
        return dir;
    }
    return {};
}

bool LeavesDataFolder(std::string_view path)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
        if (path.substr(start, end - start) == "..")
            return true;
        if (end == path.size())
            return false;
        start = end + 1;
    }
}

TFileManager::TFileManager(const std::string& databaseFileName, const std::string& programFolder,
                           const std::vector<std::string>& args)
    : FDataDir(DataDirFromArgs(args, programFolder))
{
    if (FDataDir.empty())
        FArchive = std::make_unique<TFileArch>(databaseFileName);
}

void TFileManager::GetContent(std::string_view path, TMemoryStream& buffer)
{
    if (FArchive)
        FArchive->ExtractFile(path, buffer);
    else
        ReadLooseFile(path.empty() ? std::string_view("index.htm") : path, buffer);
}

void TFileManager::ReadLooseFile(std::string_view path, TMemoryStream& buffer) const
{
    const std::string fileName = FDataDir + std::string(path);
    if (LeavesDataFolder(path))
        throw EFOpenError(FullPathName(fileName), SystemErrorMessage(AccessDeniedCode()));
    // Shared with writers, so that a page an editor holds open still loads.
    TFileStream file(fileName, TFileSharing::Everyone);
    const std::int64_t size = file.Size();
    if (size > MaxContentSize)
        throw EReadError();
    buffer.Clear();
    buffer.SetSize(static_cast<std::size_t>(size));
    file.ReadBuffer(buffer.Data(), static_cast<std::size_t>(size));
    buffer.Seek(0);
}
