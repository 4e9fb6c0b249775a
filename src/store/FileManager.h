#pragma once

#include "store/FileArch.h"
#include "store/Streams.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Answers which bytes belong to an entry path: from the archive (the normal case) or,
// with "/data=" on the command line, from loose files in a folder below the program's.
class TFileManager {
public:
    // args: the command-line arguments without the program name. In archive mode the
    // archive is opened here, and its failures (EFOpenError, EReadError, ...) pass on.
    TFileManager(const std::string& databaseFileName, const std::string& programFolder,
                 const std::vector<std::string>& args);

    // Fills buffer with the content for path and leaves it at position 0. Archive mode: empty
    // for a path with no entry. Folder mode: "index.htm" for the empty path, EFOpenError for
    // a file that cannot be opened.
    void GetContent(std::string_view path, TMemoryStream& buffer);

    const std::string& DataDir() const { return FDataDir; }
    TFileArch* Archive() const { return FArchive.get(); }

private:
    void ReadLooseFile(std::string_view path, TMemoryStream& buffer) const;

    std::string FDataDir;
    std::unique_ptr<TFileArch> FArchive;
};

// The data folder that the first "/data=" argument (any letter case) selects, always relative
// to programFolder and with a trailing backslash; empty when no argument selects one.
std::string DataDirFromArgs(const std::vector<std::string>& args, const std::string& programFolder);

// True when path has a ".." component, which would lead outside the data folder.
bool LeavesDataFolder(std::string_view path);

// The program's one content manager, created at start-up and freed at shutdown.
extern std::unique_ptr<TFileManager> FileManager;
