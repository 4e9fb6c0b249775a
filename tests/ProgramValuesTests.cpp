// The program's own file, folder and version values.
#include "script/ProgramValues.h"

#include "ProductVersion.h"

#include <gtest/gtest.h>

TEST(FormatVersionText, MajorThenMinorAsAtLeastTwoDigits)
{
    EXPECT_EQ(FormatVersionText(1, 0), "100");
    EXPECT_EQ(FormatVersionText(1, 5), "105");
    EXPECT_EQ(FormatVersionText(2, 5), "205");
    EXPECT_EQ(FormatVersionText(3, 12), "312");
    EXPECT_EQ(FormatVersionText(1, 123), "1123");
    EXPECT_EQ(FormatVersionText(1, 100), FormatVersionText(11, 0));
    EXPECT_EQ(FormatVersionText(12, 34), "1234");
    EXPECT_EQ(FormatVersionText(65535, 65535), "6553565535");
}

TEST(FolderOfPath, KeepsTheFolderWithOneTrailingSeparator)
{
    EXPECT_EQ(FolderOfPath("C:\\Program Files\\Lumivanta\\LumivantaManager.exe", '\\'), "C:\\Program Files\\Lumivanta\\");
    EXPECT_EQ(FolderOfPath("C:\\LumivantaManager.exe", '\\'), "C:\\");
    EXPECT_EQ(FolderOfPath("C:LumivantaManager.exe", '\\'), "C:\\");
    EXPECT_EQ(FolderOfPath("/opt/lv/rurodatool", '/'), "/opt/lv/");
}

TEST(ProgramValues, TheRunningProgramCarriesTheProductVersion)
{
    const std::string expected = FormatVersionText(LV_VERSION_MAJOR, LV_VERSION_MINOR);
    EXPECT_EQ(ProgramVersionText(), expected);
    EXPECT_EQ(ProgramVersion(), std::stoi(expected));
    EXPECT_EQ(ProgramVersion(), 100);
}

TEST(ProgramValues, TheFolderHoldsTheProgramFile)
{
    const std::string& file = ProgramFileName();
    const std::string& folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
#ifdef _WIN32
    EXPECT_EQ(folder.back(), '\\');
#else
    EXPECT_EQ(folder.back(), '/');
#endif
    EXPECT_EQ(file.rfind(folder, 0), 0u);
    EXPECT_NE(file.find("lv_tests"), std::string::npos);
}
