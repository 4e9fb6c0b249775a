// Packing folders into archives and checking archives, as page authors do with rurodatool.
#include "support/ArchiveBytes.h"

#include "ArchiveReport.h"
#include "ArchiveWriter.h"

#include "store/StrNum.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

namespace {

fs::path Pack(const TTempDir& dir, const std::string& source, TPackOptions options = {})
{
    const fs::path archive = dir.Path() / (source + ".db");
    WriteArchive(ScanFolder(dir.Path() / source), archive, options);
    return archive;
}

void ExpectRefused(const TTempDir& dir, const std::string& source, const std::string& named)
{
    try {
        Pack(dir, source);
        FAIL() << "packed " << source;
    } catch (const EPackError& e) {
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir.Path() / (source + ".db")));
    EXPECT_FALSE(fs::exists(dir.Path() / (source + ".db.partial")));
}

}

TEST(Pack, StoredPackOfTheExampleFolderIsTheExampleArchiveByteForByte)
{
    TTempDir dir;
    dir.Write("src/index.htm", IndexHtm);
    dir.Write("src/tweaks/start.html", StartHtml);
    EXPECT_EQ(ReadFileBytes(Pack(dir, "src", {.Store = true})), ExampleArchive());
}

TEST(Pack, TheSameFolderGivesTheSameBytes)
{
    TTempDir dir;
    for (int i = 0; i < 30; ++i)
        dir.Write("src/f" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".html", std::string(i * 50, 'a' + i % 26));
    const std::string first = ReadFileBytes(Pack(dir, "src"));
    EXPECT_EQ(ReadFileBytes(Pack(dir, "src")), first);
}

TEST(Pack, EveryFileComesBackThroughTheLookup)
{
    TTempDir dir;
    const std::string big(200000, 'x');
    dir.Write("src/tweaks/start.html", StartHtml);
    dir.Write("src/tweaks/Img/Logo.GIF", std::string("GIF89a\0\x01\x02", 9));
    dir.Write("src/tweaks/big.js", big);
    dir.Write("src/tweaks/empty.css", "");
    dir.Write("src/Read Me (1).txt", "root file");
    dir.Write("src/a_b/x.txt", "underscore");
    dir.Write("src/a b/x.txt", "blank");
    dir.Write("src/a.b/x.txt", "dot");
    dir.Write("src/a1/x.txt", "digit");
    dir.Write("src/A/x.txt", "letter");
    TFileArch archive(Pack(dir, "src").string());
    EXPECT_EQ(Extract(archive, "tweaks\\start.html"), StartHtml);
    EXPECT_EQ(Extract(archive, "TWEAKS\\IMG\\logo.gif"), std::string("GIF89a\0\x01\x02", 9));
    EXPECT_EQ(Extract(archive, "tweaks\\big.js"), big);
    EXPECT_EQ(Extract(archive, "tweaks\\empty.css"), "");
    EXPECT_EQ(Extract(archive, "read me (1).txt"), "root file");
    for (const auto& [folder, content] : std::vector<std::pair<std::string, std::string>>{
             {"a_b", "underscore"}, {"a b", "blank"}, {"a.b", "dot"}, {"a1", "digit"}, {"a", "letter"}})
        EXPECT_EQ(Extract(archive, folder + "\\x.txt"), content) << folder;
    EXPECT_EQ(VerifyArchive(archive), std::vector<std::string>{});
}

TEST(Pack, CompressesOnlyWhatGetsSmaller)
{
    TTempDir dir;
    dir.Write("src/text.html", std::string(5000, 'a'));
    dir.Write("src/tiny.txt", "ab");
    std::map<std::string, int> methods;
    for (const TEntryInfo& entry : ListEntries(*OpenBytes(ReadFileBytes(Pack(dir, "src")))))
        methods[entry.Path] = entry.Method;
    EXPECT_EQ(methods["text.html"], 1);
    EXPECT_EQ(methods["tiny.txt"], 0);

    TFileArch stored(Pack(dir, "src", {.Store = true}).string());
    for (const TEntryInfo& entry : ListEntries(stored))
        EXPECT_EQ(entry.Method, 0) << entry.Path;
    EXPECT_EQ(Extract(stored, "text.html"), std::string(5000, 'a'));
}

TEST(Pack, RefusesWhatTheReaderCouldNotServe)
{
    TTempDir dir;
    dir.Write("hyphen/my-pages/a.html", "1");
    ExpectRefused(dir, "hyphen", "my-pages");
    dir.Write("apostrophe/it's/a.html", "1");
    ExpectRefused(dir, "apostrophe", "it's");
#ifndef _WIN32 // names that a Windows file system cannot hold at all
    dir.Write("case/Page.html", "1");
    dir.Write("case/page.HTML", "2");
    ExpectRefused(dir, "case", "age.");
    dir.Write("folders/Img/a.gif", "1");
    dir.Write("folders/img/b.gif", "2");
    ExpectRefused(dir, "folders", "mg");
    dir.Write("break/two\nlines.html", "1");
    ExpectRefused(dir, "break", "lines.html");
    dir.Write("backslash/a\\b.html", "1");
    ExpectRefused(dir, "backslash", "b.html");
#endif
}

TEST(Verify, FindsWhatIsWrongWithAnArchive)
{
    const auto problemsOf = [](std::string bytes) { return VerifyArchive(*OpenBytes(std::move(bytes))); };
    EXPECT_TRUE(problemsOf(ExampleArchive()).empty());

    std::string outOfOrder = ExampleArchive();
    outOfOrder.replace(14, 10, "tweaks\r\n\r\n");
    EXPECT_FALSE(problemsOf(outOfOrder).empty());

    std::string badOffset = ExampleArchive();
    badOffset.replace(65, 4, Le32(5000));
    EXPECT_FALSE(problemsOf(badOffset).empty());

    std::string badBlock = ExampleArchive();
    badBlock.replace(89, 6, Le32(3) + Le16(1));
    EXPECT_FALSE(problemsOf(badBlock).empty());

    EXPECT_FALSE(problemsOf(ExampleArchive().substr(0, 63)).empty());
    EXPECT_FALSE(problemsOf("LVWK" + Le32(2)).empty());
}

TEST(Extract, WritesEveryEntryBelowTheDestinationOnly)
{
    TTempDir dir;
    const std::string folders = Block("\r\n..\r\n");
    const std::string keys = Block(NumToStr2(1) + "evil.txt\r\n");
    const auto offset = static_cast<std::int32_t>(8 + folders.size() + 4 + keys.size() + 4);
    const auto evil = dir.Write("evil.db", ArchiveOf(folders, Le16(0) + Le16(1), keys, Le32(offset)) + Block("x"));
    TFileArch archive(evil.string());
    EXPECT_THROW(ExtractAll(archive, dir.Path() / "out" / "in"), EPackError);
    EXPECT_FALSE(fs::exists(dir.Path() / "out" / "evil.txt"));

    const auto good = dir.Write("good.db", ExampleArchive());
    TFileArch example(good.string());
    ExtractAll(example, dir.Path() / "copy");
    EXPECT_EQ(ReadFileBytes(dir.Path() / "copy" / "tweaks" / "start.html"), StartHtml);
    EXPECT_EQ(ReadFileBytes(dir.Path() / "copy" / "index.htm"), IndexHtm);
}
