// Choosing archive or folder mode from the command line, and what each mode serves.
#include "support/ArchiveBytes.h"

#include "store/FileManager.h"
#include "store/FileStream.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

std::string Content(TFileManager& manager, std::string_view path)
{
    TMemoryStream buffer;
    manager.GetContent(path, buffer);
    EXPECT_EQ(buffer.Position(), 0);
    return buffer.AsString();
}

std::string Folder(const TTempDir& dir)
{
    return dir.Path().string() + (dir.Path().string().find('\\') != std::string::npos ? "\\" : "/");
}

}

TEST(DataDirFromArgs, TheFirstDataOptionInAnyLetterCaseSelectsFolderMode)
{
    EXPECT_EQ(DataDirFromArgs({}, "C:\\Prog\\"), "");
    EXPECT_EQ(DataDirFromArgs({"-hidden"}, "C:\\Prog\\"), "");
    EXPECT_EQ(DataDirFromArgs({"/DATA=Pages"}, "C:\\Prog\\"), "C:\\Prog\\pages\\");
    EXPECT_EQ(DataDirFromArgs({"/data="}, "C:\\Prog\\"), "C:\\Prog\\");
    EXPECT_EQ(DataDirFromArgs({"/data=web\\"}, "C:\\Prog\\"), "C:\\Prog\\web\\");
    EXPECT_EQ(DataDirFromArgs({"-hidden", "/data=one", "/data=two"}, "C:\\Prog\\"), "C:\\Prog\\one\\");
    EXPECT_EQ(DataDirFromArgs({"/data=C:\\Abs"}, "C:\\Prog\\"), "C:\\Prog\\c:\\abs\\");
}

TEST(DataDirFromArgs, LookalikeOptionsDoNotSelectFolderMode)
{
    EXPECT_EQ(DataDirFromArgs({"/data", "-data=web", "/datadir=web", "data=web", " /data=web"}, "C:\\P\\"), "");
}

TEST(DataDirFromArgs, TheFolderIsCutAt999Characters)
{
    EXPECT_EQ(DataDirFromArgs({"/data=" + std::string(1200, 'x')}, "P\\"), "P\\" + std::string(999, 'x') + "\\");
}

TEST(LeavesDataFolder, OnlyDotDotComponentsLeave)
{
    EXPECT_TRUE(LeavesDataFolder(".."));
    EXPECT_TRUE(LeavesDataFolder("..\\secret.txt"));
    EXPECT_TRUE(LeavesDataFolder("tweaks\\..\\..\\x"));
    EXPECT_TRUE(LeavesDataFolder("tweaks/../x"));
    EXPECT_FALSE(LeavesDataFolder("tweaks\\start.html"));
    EXPECT_FALSE(LeavesDataFolder("..x\\y..\\.\\a..b"));
    EXPECT_FALSE(LeavesDataFolder(""));
}

TEST(FileManager, ArchiveModeServesTheArchive)
{
    TTempDir dir;
    const auto archive = dir.Write("Ruroda.db", ExampleArchive());
    TFileManager manager(archive.string(), Folder(dir), {"-hidden"});
    EXPECT_EQ(manager.DataDir(), "");
    ASSERT_NE(manager.Archive(), nullptr);
    EXPECT_EQ(Content(manager, "tweaks\\Start.html"), StartHtml);
    EXPECT_EQ(Content(manager, "tweaks\\missing.html"), "");
    EXPECT_EQ(Content(manager, ""), ""); // no default document in the archive
}

TEST(FileManager, ArchiveModeFailsWhenTheArchiveCannotBeRead)
{
    TTempDir dir;
    EXPECT_THROW(TFileManager((dir.Path() / "Ruroda.db").string(), Folder(dir), {}), EFOpenError);
    const auto cut = dir.Write("cut.db", ExampleArchive().substr(0, 30));
    EXPECT_THROW(TFileManager(cut.string(), Folder(dir), {}), EReadError);
    const auto foreign = dir.Write("foreign.db", "PK\x03\x04 not ours");
    TFileManager manager(foreign.string(), Folder(dir), {});
    EXPECT_EQ(Content(manager, "index.htm"), "");
}

TEST(FileManager, FolderModeReadsLooseFilesAndNeverOpensTheArchive)
{
    TTempDir dir;
    dir.Write("pages/index.htm", "default document");
    dir.Write("pages/tweaks/Start.html", "loose start");
    TFileManager manager((dir.Path() / "missing.db").string(), Folder(dir), {"/data=pages"});
    EXPECT_EQ(manager.Archive(), nullptr);
    EXPECT_EQ(Content(manager, ""), "default document");
    EXPECT_EQ(Content(manager, "tweaks\\Start.html"), "loose start");
    EXPECT_EQ(Content(manager, "index.htm"), "default document");
    // An editor holding the page open for writing does not keep it from loading.
    std::ofstream editor(dir.Path() / "pages/tweaks/Start.html", std::ios::app);
    ASSERT_TRUE(editor.is_open());
    EXPECT_EQ(Content(manager, "tweaks\\Start.html"), "loose start");
}

TEST(FileManager, FolderModeFailsForWhatItCannotOpen)
{
    TTempDir dir;
    dir.Write("pages/tweaks/start.html", "page");
    dir.Write("secret.txt", "outside the data folder");
    TFileManager manager("unused.db", Folder(dir), {"/data=pages"});
    EXPECT_THROW(Content(manager, "tweaks\\missing.html"), EFOpenError);
    EXPECT_THROW(Content(manager, "tweaks"), EFOpenError); // a folder
    EXPECT_THROW(Content(manager, "..\\secret.txt"), EFOpenError);
    EXPECT_THROW(Content(manager, "tweaks\\..\\..\\secret.txt"), EFOpenError);
    try {
        Content(manager, "nothing.htm");
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot open file \""), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("nothing.htm\". "), std::string::npos);
    }
}
