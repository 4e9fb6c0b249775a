#pragma once

#include "Exception.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A file that cannot go into an archive, or an archive that cannot be written.
class EPackError : public Exception {
public:
    using Exception::Exception;
};

struct TPackOptions {
    bool Store = false; // every block stored, nothing compressed
    int Level = 9;      // zlib level for raw DEFLATE, 0 to 9
};

// One file to pack: its folder (components joined by backslashes, "" for the root), its
// name, and where its bytes are read from.
struct TPackEntry {
    std::string Folder;
    std::string Name;
    std::filesystem::path Source;
};

// Every folder (the root included) and every regular file below source, checked against what
// the reader can serve. Fails with EPackError naming the offending file.
struct TPackTree {
    std::vector<std::string> Folders;
    std::vector<TPackEntry> Entries;
};
TPackTree ScanFolder(const std::filesystem::path& source);

// Writes the archive of tree to archive, replacing it only once the whole archive is written.
// The same tree and options always give the same bytes.
void WriteArchive(const TPackTree& tree, const std::filesystem::path& archive, const TPackOptions& options);

// Content as a raw DEFLATE stream (no zlib or gzip wrapper), as the archive's blocks hold it.
std::string RawDeflate(std::string_view content, int level = 9);
// Encodes content as a block: stored, or raw DEFLATE when that is smaller and not options.Store.
std::string EncodeBlock(const std::string& content, const TPackOptions& options);
