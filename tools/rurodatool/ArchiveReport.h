#pragma once

#include "store/FileArch.h"

#include <filesystem>
#include <string>
#include <vector>

// One entry of an archive as the directory describes it.
struct TEntryInfo {
    std::string Path;       // folder\name, or the name alone in the root folder
    std::int32_t Offset = 0;
    std::int32_t StoredSize = 0;
    int Method = 0;
};

// Every key of the archive in key order, with its path rebuilt from its folder prefix. A key
// whose prefix names no folder gets a path beginning with "?\".
std::vector<TEntryInfo> ListEntries(TFileArch& archive);

// Decodes the block of entry into content (EReadError, EDecompressionError).
void ReadEntry(TFileArch& archive, const TEntryInfo& entry, TMemoryStream& content);

// Everything wrong with the archive: signature, version, both orders, the number arrays,
// every offset, every block's decoding, and whether the lookup finds every entry.
std::vector<std::string> VerifyArchive(TFileArch& archive);

// Writes every entry below destination; fails with EPackError on a path that would leave it.
void ExtractAll(TFileArch& archive, const std::filesystem::path& destination);
