// Opening an archive's directory and finding entries by path.
#include "support/ArchiveBytes.h"

#include "store/FileStream.h"
#include "store/StrNum.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Root folder 0 with a.txt; folder "a" (2) with b.txt; folder "a\b" (1) with c.gif; the folder
// text lists the folders in folder order, the numbers need not follow it.
std::string NestedArchive()
{
    const std::string folders = Block("\r\na\r\na\\b\r\n");
    const std::string keys = Block(NumToStr2(0) + "a.txt\r\n" + NumToStr2(1) + "c.gif\r\n" + NumToStr2(2) + "b.txt\r\n");
    const std::string numbers = Le16(0) + Le16(2) + Le16(1);
    const auto base = static_cast<std::int32_t>(8 + folders.size() + numbers.size() + keys.size() + 12);
    const std::string root = Block("root a");
    const std::string gif = DeflatedBlock("GIF89a...");
    return ArchiveOf(folders, numbers, keys,
                     Le32(base) + Le32(base + static_cast<std::int32_t>(root.size())) +
                         Le32(base + static_cast<std::int32_t>(root.size() + gif.size()))) +
           root + gif + Block("in a");
}

}

TEST(FileArch, ReadsTheDirectoryOfTheExampleArchive)
{
    auto archive = OpenBytes(ExampleArchive());
    EXPECT_EQ(archive->Status(), TFileArch::StatusOk);
    ASSERT_EQ(archive->Folders().Count(), 2u);
    EXPECT_EQ(archive->Folders().Strings(0), "");
    EXPECT_EQ(archive->Folders().Strings(1), "tweaks");
    EXPECT_EQ(archive->Folders().Objects(1), 1);
    ASSERT_EQ(archive->Keys().Count(), 2u);
    EXPECT_EQ(archive->Keys().Strings(1), " !start.html");
    EXPECT_EQ(archive->Keys().Objects(0), 69);
    EXPECT_EQ(archive->Keys().Objects(1), 89);
}

TEST(FileArch, FindsEntriesWhateverTheLetterCaseOfThePath)
{
    auto archive = OpenBytes(ExampleArchive());
    EXPECT_EQ(Extract(*archive, "tweaks\\start.html"), StartHtml);
    EXPECT_EQ(Extract(*archive, "TWEAKS\\Start.HTML"), StartHtml);
    EXPECT_EQ(Extract(*archive, "index.htm"), IndexHtm);
    EXPECT_EQ(Extract(*archive, "Index.HTM"), IndexHtm);
    // A leading backslash leaves an empty folder part: the root folder.
    EXPECT_EQ(Extract(*archive, "\\index.htm"), IndexHtm);
}

TEST(FileArch, PathsThatNameNothingGiveEmptyContent)
{
    auto archive = OpenBytes(ExampleArchive());
    EXPECT_EQ(Extract(*archive, "tweaks/start.html"), ""); // a slash is part of the name
    EXPECT_EQ(Extract(*archive, "tweaks\\"), "");
    EXPECT_EQ(Extract(*archive, ""), "");
    EXPECT_EQ(Extract(*archive, "other\\start.html"), "");
    EXPECT_EQ(Extract(*archive, "tweaks\\start.htm"), "");
    EXPECT_EQ(Extract(*archive, "tweaks\\start.html "), "");
}

TEST(FileArch, NestedFoldersSplitAtTheLastBackslash)
{
    auto archive = OpenBytes(NestedArchive());
    EXPECT_EQ(Extract(*archive, "a\\b\\c.gif"), "GIF89a...");
    EXPECT_EQ(Extract(*archive, "A\\B\\C.GIF"), "GIF89a...");
    EXPECT_EQ(Extract(*archive, "a\\b.txt"), "in a");
    EXPECT_EQ(Extract(*archive, "a.txt"), "root a");
    EXPECT_EQ(Extract(*archive, "a\\c.gif"), "");
}

TEST(FileArch, ATrailingBackslashLooksForTheFoldersBarePrefix)
{
    const std::string folders = Block("\r\ntweaks\r\n");
    const std::string keys = Block(NumToStr2(1) + "\r\n");
    const auto offset = static_cast<std::int32_t>(8 + folders.size() + 4 + keys.size() + 4);
    auto archive = OpenBytes(ArchiveOf(folders, Le16(0) + Le16(1), keys, Le32(offset)) + Block("folder page"));
    EXPECT_EQ(Extract(*archive, "tweaks\\"), "folder page");
    EXPECT_EQ(Extract(*archive, "Tweaks\\"), "folder page");
}

TEST(FileArch, UpperCaseFolderLinesAreFoundButUpperCaseKeysAreNot)
{
    const std::string folders = Block("\r\nTWEAKS\r\n");
    const std::string keys = Block(NumToStr2(1) + "Start.html\r\n" + NumToStr2(1) + "plain.html\r\n");
    const auto base = static_cast<std::int32_t>(8 + folders.size() + 4 + keys.size() + 8);
    auto archive = OpenBytes(ArchiveOf(folders, Le16(0) + Le16(1), keys, Le32(base) + Le32(base + 7)) +
                             Block("S") + Block("P"));
    EXPECT_EQ(Extract(*archive, "tweaks\\plain.html"), "P");
    EXPECT_EQ(Extract(*archive, "tweaks\\Start.html"), "");
    EXPECT_EQ(Extract(*archive, "tweaks\\start.html"), "");
}

TEST(FileArch, OffsetsOutsideTheFileGiveEmptyContent)
{
    const std::string folders = Block("\r\n");
    const std::string keys = Block("  a\r\n  b\r\n  c\r\n  d\r\n");
    const auto base = static_cast<std::int32_t>(8 + folders.size() + 2 + keys.size() + 16);
    const std::string entry = Block("fine");
    const auto end = base + static_cast<std::int32_t>(entry.size());
    auto archive = OpenBytes(ArchiveOf(folders, Le16(0), keys, Le32(0) + Le32(-base) + Le32(end) + Le32(base)) + entry);
    EXPECT_EQ(Extract(*archive, "a"), "");
    EXPECT_EQ(Extract(*archive, "b"), "");
    EXPECT_EQ(Extract(*archive, "c"), "");
    EXPECT_EQ(Extract(*archive, "d"), "fine");
}

TEST(FileArch, WrongSignatureOrVersionServesNothing)
{
    std::string other = ExampleArchive();
    other[3] = 'X';
    auto bad = OpenBytes(other);
    EXPECT_EQ(bad->Status(), TFileArch::StatusBadSignature);
    EXPECT_EQ(Extract(*bad, "index.htm"), "");
    EXPECT_EQ(bad->Folders().Count(), 0u);

    std::string version2 = ExampleArchive();
    version2[4] = 2;
    auto newer = OpenBytes(version2);
    EXPECT_EQ(newer->Status(), TFileArch::StatusBadVersion);
    EXPECT_EQ(Extract(*newer, "index.htm"), "");

    EXPECT_EQ(OpenBytes("LVW")->Status(), TFileArch::StatusBadSignature);
    EXPECT_EQ(OpenBytes("LVWK\x01")->Status(), TFileArch::StatusBadVersion);
    EXPECT_EQ(OpenBytes("")->Status(), TFileArch::StatusBadSignature);
}

TEST(FileArch, DirectoryTextLineRules)
{
    // The key text is last in the file, so its missing offsets simply read as 0.
    const auto linesOf = [](std::string_view text) {
        auto archive = OpenBytes(ArchiveOf(Block(""), "", Block(text), ""));
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < archive->Keys().Count(); ++i)
            lines.push_back(archive->Keys().Strings(i));
        return lines;
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("\r\n"), Lines{""});
    EXPECT_EQ(linesOf("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("a\n\r"), (Lines{"a", ""}));
    EXPECT_EQ(linesOf("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(linesOf(std::string("a\r\nb\0c\r\nd", 9)), (Lines{"a", "b"}));
}

TEST(FileArch, OffsetsCutShortByTheEndOfTheFileReadAsZero)
{
    auto archive = OpenBytes(ArchiveOf(Block("\r\n"), Le16(0), Block("  a\r\n  b\r\n  c\r\n"), Le32(0x01020304) + "\x05"));
    ASSERT_EQ(archive->Keys().Count(), 3u);
    EXPECT_EQ(archive->Keys().Objects(0), 0x01020304);
    EXPECT_EQ(archive->Keys().Objects(1), 5);
    EXPECT_EQ(archive->Keys().Objects(2), 0);
    EXPECT_EQ(Extract(*archive, "c"), "");
}

TEST(FileArch, FolderNumbersCutShortLeaveNoKeyBlockToRead)
{
    EXPECT_THROW(OpenBytes(ArchiveOf(Block("\r\nx\r\n"), Le16(7), "", "")), EReadError);
}

TEST(FileArch, FolderNumbersAreSignExtended)
{
    auto archive = OpenBytes(ArchiveOf(Block("\r\n"), Le16(-2), Block(""), ""));
    EXPECT_EQ(archive->Folders().Objects(0), -2);
}

TEST(FileArch, DirectoryBlockCutShortFailsTheOpening)
{
    const std::string whole = ExampleArchive();
    EXPECT_THROW(OpenBytes(whole.substr(0, 20)), EReadError);
    EXPECT_THROW(OpenBytes(whole.substr(0, 40)), EReadError);
    EXPECT_THROW(OpenBytes(ArchiveOf(Block("x", 1), "", "", "")), EDecompressionError);
}

TEST(FileArch, EntriesAfterADeflatedDirectory)
{
    const std::string folders = DeflatedBlock("\r\ntweaks\r\n");
    const std::string keys = DeflatedBlock(NumToStr2(1) + "start.html\r\n");
    const auto offset = static_cast<std::int32_t>(8 + folders.size() + 4 + keys.size() + 4);
    auto archive = OpenBytes(ArchiveOf(folders, Le16(0) + Le16(1), keys, Le32(offset)) + DeflatedBlock("deflated page"));
    EXPECT_EQ(Extract(*archive, "tweaks\\start.html"), "deflated page");
}

TEST(FileArch, OpensArchiveFilesAndNamesTheFileItCannotOpen)
{
    TTempDir dir;
    const auto path = dir.Write("Ruroda.db", ExampleArchive());
    TFileArch archive(path.string());
    EXPECT_EQ(archive.ArchiveName(), path.string());
    EXPECT_EQ(Extract(archive, "tweaks\\start.html"), StartHtml);
    // A second reader of the same file, as a second copy of the program would be.
    TFileArch second(path.string());
    EXPECT_EQ(Extract(second, "index.htm"), IndexHtm);

    const std::string missing = (dir.Path() / "missing.db").string();
    try {
        TFileArch absent(missing);
        FAIL() << "opened a missing archive";
    } catch (const EFOpenError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Cannot open file \"" + FullPathName(missing) + "\". ", 0), 0u) << message;
        EXPECT_GT(message.size(), ("Cannot open file \"" + FullPathName(missing) + "\". ").size());
    }
}

TEST(FileArch, AnOpenArchiveIsNeverReadOutsideTheFile)
{
    TTempDir dir;
    const auto path = dir.Write("Ruroda.db", ExampleArchive());
    TFileArch archive(path.string());
#ifdef _WIN32
    // Held without write sharing: no other handle may cut the file short under the reader.
    const HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Extract(archive, "tweaks\\start.html"), StartHtml);
#else
    // Another process may cut it short here: the read fails instead of the process.
    std::filesystem::resize_file(path, 8);
    EXPECT_THROW(Extract(archive, "tweaks\\start.html"), EReadError);
#endif
}
