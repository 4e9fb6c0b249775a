#pragma once

#include "Exception.h"
#include "store/Streams.h"
#include "store/StringLists.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A deflated payload that zlib cannot decode; the message is the decoder's own.
class EDecompressionError : public Exception {
public:
    using Exception::Exception;
};

class TRawInflater;

// Where a lookup ends for the texts of a list's own lines, found without bisecting. It is made
// only over lines that strictly ascend: there the bisection meets line i for exactly the
// texts that compare equal to it, which include the line's own text. Any other text is not in
// the index and is bisected, so the index never changes what a lookup finds.
class TDirectIndex {
public:
    // lowered: index each line's ASCII lower-case form, as folder lookups ask for it; the
    // folder comparison ignores letter case, so that form finds the same line.
    void Build(const TStringList& list, bool lowered);
    bool Find(std::string_view text, std::size_t& index) const;

private:
    std::vector<std::string> FLowered;
    std::unordered_map<std::string_view, std::uint32_t> FLines;
};

// The reader of the page archive. It holds the archive open, keeps the directory (folder
// lines with their numbers, key lines with their entry offsets) in memory and decodes one
// entry at a time. Not re-entrant: it has one file position, one decoder and one read buffer,
// all reused from entry to entry.
class TFileArch {
public:
    static constexpr std::int32_t StatusOk = 0;
    static constexpr std::int32_t StatusBadSignature = 1;
    static constexpr std::int32_t StatusBadVersion = 2;

    // Opens the file read-only (EFOpenError) and reads its directory (EReadError,
    // EDecompressionError when a directory block is damaged).
    explicit TFileArch(const std::string& archiveName);
    // The same over any stream, such as archive bytes in memory.
    TFileArch(std::string archiveName, std::unique_ptr<TStream> file);
    ~TFileArch();
    TFileArch(const TFileArch&) = delete;
    TFileArch& operator=(const TFileArch&) = delete;

    // Clears stream and fills it with the decoded entry for path (any letter case, backslashes
    // between folders); leaves it empty when there is no such entry. stream ends at position 0.
    void ExtractFile(std::string_view path, TMemoryStream& stream);

    // Decodes the block at the archive's current position into stream.
    void ReadBlock(TMemoryStream& stream);

    const std::string& ArchiveName() const { return FArchiveName; }
    std::int32_t Status() const { return FStatus; }
    const TStringList& Folders() const { return FFolders; }
    const TUStringList& Keys() const { return FKeys; }
    TStream& File() { return *FFile; }

private:
    struct TBlock {
        int Method;
        const std::uint8_t* Payload;
        std::size_t Size;
    };
    TBlock LocateBlock();
    // The archive's bytes in memory and their count: the stream's own (a mapping, or archive
    // bytes in memory) or the copy; null when there are none.
    const std::uint8_t* ArchiveMemory(std::int64_t& size) const;
    void ReadWholeCopy();
    void ReadDirectory();
    void ReadNumbers(TStringList& list, std::size_t width);

    std::string FArchiveName;
    std::unique_ptr<TStream> FFile;
    // Read once: the file is opened without write sharing, so its size cannot change, and
    // asking the system for it on every lookup costs measurably.
    std::int64_t FFileSize = 0;
    std::int32_t FStatus = StatusOk;
    TStringList FFolders;
    TUStringList FKeys;
    TDirectIndex FFolderIndex;
    TDirectIndex FKeyIndex;
    // Made at the first deflated block and reset for every later one.
    std::unique_ptr<TRawInflater> FInflater;
    // A block's bytes when the archive is not in memory; it keeps the room it has grown to.
    TMemoryStream FReadBuffer;
    // Where the file is read, not mapped: the whole archive, read at the first entry when it is
    // no larger than WholeReadLimit, so that later entries cost no system call. A file cut short
    // before that read gives a shorter copy, whose missing blocks fail as reads past the end do.
    TMemoryStream FWholeCopy;
    bool FWholeCopyRead = false;
    // The lower-cased path and the key of the last lookup, kept for their room as well.
    std::string FPath;
    std::string FKey;
};

// Largest content a block may decode to: the browser is told sizes as 32-bit signed values.
inline constexpr std::int64_t MaxContentSize = INT32_MAX;

// The archive's first bytes and the only version this reader serves.
inline constexpr std::string_view ArchiveSignature = "LVWK";
inline constexpr std::int32_t ArchiveVersion = 1;

// Lower-cases A to Z only; every other byte stays as it is.
std::string LowerAscii(std::string_view text);
