// How the program reads its command line, and the text of its fatal start-up report.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroup)
{
    EXPECT_EQ(SplitCommandLine(""), Args{});
    EXPECT_EQ(SplitCommandLine("  a   b\tc "), (Args{"a", "b", "c"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x.exe\" -hidden"), (Args{"C:\\Program Files\\x.exe", "-hidden"}));
    EXPECT_EQ(SplitCommandLine("/data=\"my pages\"\\web x"), (Args{"/data=my pages\\web", "x"}));
    EXPECT_EQ(ArgumentsAfterProgramName("prog.exe -hidden /data=web"), (Args{"-hidden", "/data=web"}));
    EXPECT_EQ(ArgumentsAfterProgramName("prog.exe"), Args{});
}

TEST(StartsHidden, OnlyTheExactFirstArgument)
{
    EXPECT_TRUE(StartsHidden({"-hidden"}));
    EXPECT_TRUE(StartsHidden({"-hidden", "/data=web"}));
    EXPECT_FALSE(StartsHidden({"/data=web", "-hidden"}));
    EXPECT_FALSE(StartsHidden({"-HIDDEN"}));
    EXPECT_FALSE(StartsHidden({"/hidden"}));
    EXPECT_FALSE(StartsHidden({}));
}

TEST(FindComSwitch, DashOrSlashInAnyLetterCaseAnywhere)
{
    EXPECT_EQ(FindComSwitch({"/regserver"}), TComSwitch::Register);
    EXPECT_EQ(FindComSwitch({"-hidden", "-RegServer"}), TComSwitch::Register);
    EXPECT_EQ(FindComSwitch({"/UNREGSERVER"}), TComSwitch::Unregister);
    EXPECT_EQ(FindComSwitch({"regserver"}), TComSwitch::None);
    EXPECT_EQ(FindComSwitch({"/regserver2"}), TComSwitch::None);
    EXPECT_EQ(FindComSwitch({}), TComSwitch::None);
}

TEST(FindInstallerSwitch, EachSwitchAndTheProgramCloseOrReopenActsOn)
{
    EXPECT_EQ(FindInstallerSwitch({"/OfferStart"}), TInstallerSwitch::OfferStart);
    EXPECT_EQ(FindInstallerSwitch({"/close"}), TInstallerSwitch::Close);
    EXPECT_EQ(FindInstallerSwitch({"-Reopen"}), TInstallerSwitch::Reopen);
    EXPECT_EQ(FindInstallerSwitch({"/restore"}), TInstallerSwitch::Restore);
    EXPECT_EQ(FindInstallerSwitch({"-UNINSTALL"}), TInstallerSwitch::Uninstall);
    EXPECT_EQ(FindInstallerSwitch({"/Purge", "/uninstall"}), TInstallerSwitch::Purge);
    EXPECT_EQ(FindInstallerSwitch({"/purge", "uninstall"}), TInstallerSwitch::None);
    EXPECT_EQ(FindInstallerSwitch({"/DropBackup"}), TInstallerSwitch::DropBackup);
    EXPECT_EQ(InstallerSwitchOperands(SplitCommandLine("/close \"C:\\A B\\LumivantaManager.exe\" {1-2}")),
              (std::vector<std::string>{"C:\\A B\\LumivantaManager.exe", "{1-2}"}));
    EXPECT_EQ(InstallerSwitchOperands(SplitCommandLine("/reopen \"\" -hidden")), std::vector<std::string>{""});
}

TEST(LocalServerCommand, QuotedPathAndBackFromAnyFormOlderVersionsWrote)
{
    const std::string path = "C:\\Users\\A B\\AppData\\Local\\Programs\\Lumivanta Manager\\LumivantaManager.exe";
    EXPECT_EQ(LocalServerCommand(path), "\"" + path + "\"");
    EXPECT_EQ(LocalServerProgram(LocalServerCommand(path)), path);
    EXPECT_EQ(LocalServerProgram("C:\\LUMIVA~1\\LUMIVA~1.EXE"), "C:\\LUMIVA~1\\LUMIVA~1.EXE");
    EXPECT_EQ(LocalServerProgram(""), "");
}

TEST(RuntimeErrorText, NumberBetweenBlanksAndEightHexDigits)
{
    EXPECT_EQ(RuntimeErrorText(217, 0x0040A1B2), "Runtime error 217 at 0040A1B2");
    EXPECT_EQ(RuntimeErrorText(217, 0), "Runtime error 217 at 00000000");
    EXPECT_EQ(RuntimeErrorText(5, 0xFFFFFFFF), "Runtime error   5 at FFFFFFFF");
}

TEST(FindProgramCommand, TheFormsForScriptsAndWhatIsNotOne)
{
    const auto found = [](const Args& args) {
        const TCommandRequest request = FindProgramCommand(args);
        return std::to_string(static_cast<int>(request.Command)) + " " + request.File + " " + request.LogFile;
    };
    EXPECT_EQ(found({"/apply", "a b.reg"}), "1 a b.reg ");
    EXPECT_EQ(found({"-LOG", "x.log", "/Export", "out.reg", "/data=web"}), "2 out.reg x.log");
    EXPECT_EQ(found({"/check"}), "3  ");
    EXPECT_EQ(found({"-hidden"}), "0  ");
    EXPECT_EQ(found({}), "0  ");
    for (const Args& wrong : {Args{"/apply"}, Args{"/apply", "/log", "x"}, Args{"/check", "x.reg"},
                              Args{"/check", "/apply", "a.reg"}, Args{"/log", "x.log"}, Args{"/check", "/log"},
                              Args{"/check", "/log", "a", "/log", "b"}, Args{"-hidden", "/check"}})
        EXPECT_EQ(found(wrong), "4  ") << wrong.front() << " " << wrong.back();
}
