// The exception log's text, line by line, with a fixed clock and fixed frames.
#include "diagnostics/LogEntry.h"

#include <gtest/gtest.h>

namespace {

TSourceLocation Place(std::string unit, std::string procedure, std::uint32_t line, std::string file)
{
    return TSourceLocation{std::move(unit), std::move(procedure), line, std::move(file)};
}

TExceptionReport RegistryFailure()
{
    TExceptionReport report;
    report.DateTime = "07.12.2026 10:58:57";
    report.ClassName = "ERegistryException";
    report.Message = "Invalid data type for 'dw'";
    report.Address = 0x004DA078;
    report.Location = Place("Registry_win", "TRegistry::GetText", 261, "Registry_win.cpp");
    report.Stack.emplace();
    report.Stack->push_back({0x004DA078, Place("Registry_win", "TRegistry::GetText", 261, "Registry_win.cpp")});
    report.Stack->push_back({0x0041A751, Place("", "RegGetString", 0, "")});
    report.Stack->push_back({0x0041A800, Place("RegHelpers_win", "RegGetInt", 0, "")});
    report.Stack->push_back({0x7B6293E0, std::nullopt});
    return report;
}

TEST(LogEntry, HoldsHeadlineMessageAndFramesInTheirThreeForms)
{
    const std::vector<std::string> expected{
        "07.12.2026 10:58:57 Exception ERegistryException occured in TRegistry::GetText at 261 in file Registry_win.cpp",
        "Message: Invalid data type for 'dw'",
        "Call stack: ",
        "[004DA078] Registry_win.TRegistry::GetText (Line 261, \"Registry_win.cpp\")",
        "[0041A751] RegGetString",
        "[0041A800] RegHelpers_win.RegGetInt",
        "[7B6293E0]",
    };
    EXPECT_EQ(FormatLogEntry(RegistryFailure()), expected);
}

TEST(LogEntry, PlaceWithoutALineIsTheAddress)
{
    TExceptionReport report = RegistryFailure();
    report.Location = Place("FileArch", "TFileArch::ExtractFile", 0, "");
    report.Address = 0xA;
    EXPECT_EQ(FormatLogEntry(report)[0],
              "07.12.2026 10:58:57 Exception ERegistryException occured at address 0000000A");
    report.Location.reset();
    EXPECT_EQ(FormatLogEntry(report)[0],
              "07.12.2026 10:58:57 Exception ERegistryException occured at address 0000000A");
}

TEST(LogEntry, ForeignExceptionHasNoMessageAndNoStackWithoutTracking)
{
    TExceptionReport report = RegistryFailure();
    report.ClassName = "std::logic_error";
    report.Message.reset();
    report.Stack.reset();
    const auto entry = FormatLogEntry(report);
    ASSERT_EQ(entry.size(), 1u);
    EXPECT_EQ(entry[0].find("Exception std::logic_error occured in"), 20u);
}

TEST(LogEntry, CapturedEmptyStackStillHasItsTitle)
{
    TExceptionReport report = RegistryFailure();
    report.Stack->clear();
    EXPECT_EQ(FormatLogEntry(report).back(), "Call stack: ");
}

TEST(LogFile, FirstEntryIsTheWholeFileWithCrLf)
{
    EXPECT_EQ(ComposeLogFile({"one", "two"}, std::nullopt), "one\r\ntwo\r\n");
}

TEST(LogFile, NewestEntryStandsOnTopFollowedByTwoEmptyLines)
{
    const std::string first = ComposeLogFile({"first", "a"}, std::nullopt);
    const std::string second = ComposeLogFile({"second"}, first);
    EXPECT_EQ(second, "second\r\n\r\n\r\nfirst\r\na\r\n");
    EXPECT_EQ(ComposeLogFile({"third"}, second), "third\r\n\r\n\r\nsecond\r\n\r\n\r\nfirst\r\na\r\n");
}

TEST(LogFile, OlderLinesEndedByCrOrLfAloneAreReadAsLines)
{
    EXPECT_EQ(ComposeLogFile({"new"}, std::string("a\nb\rc")), "new\r\n\r\n\r\na\r\nb\r\nc\r\n");
    EXPECT_EQ(ComposeLogFile({"new"}, std::string("")), "new\r\n");
}

TEST(LogFile, OldestEntriesBeyondTheCapacityAreDroppedWhole)
{
    // Five older entries, entry1 the newest of them.
    std::string older;
    for (int i = 5; i >= 1; --i)
        older = ComposeLogFile({"entry" + std::to_string(i), "xx"}, older.empty() ? std::nullopt : std::optional(older));
    const std::vector<std::string> entry{"new"};
    const std::string all = ComposeLogFile(entry, older, 1000);
    ASSERT_EQ(all.find("entry1"), 9u);
    ASSERT_TRUE(all.ends_with("entry5\r\nxx\r\n"));

    const std::size_t capacity = all.size() - 3;
    const std::string capped = ComposeLogFile(entry, older, capacity);
    EXPECT_LE(capped.size(), capacity);
    EXPECT_EQ(capped.find("entry5"), std::string::npos);
    EXPECT_TRUE(capped.ends_with("entry4\r\nxx\r\n")) << capped;

    EXPECT_EQ(ComposeLogFile(entry, older, 20), "new\r\n");
}

TEST(LogFile, AnEntryLargerThanTheCapacityIsStillWritten)
{
    const std::string huge(3000, 'x');
    EXPECT_EQ(ComposeLogFile({huge}, std::string("old\r\n"), 1000), huge + "\r\n");
}

TEST(LogFile, EntriesAddedAtOnceGiveWhatAddingThemOneByOneGives)
{
    std::vector<std::vector<std::string>> entries;
    for (int i = 1; i <= 6; ++i)
        entries.push_back({"entry" + std::to_string(i), std::string(i * 7, 'x')});
    for (const auto& older : {std::optional<std::string>(), std::optional<std::string>("old\nline\n")}) {
        for (const std::size_t capacity : {1000u, 90u, 40u, 10u}) {
            std::optional<std::string> oneByOne = older;
            for (const auto& entry : entries)
                oneByOne = ComposeLogFile(entry, oneByOne, capacity);
            EXPECT_EQ(ComposeLogFileOfEntries(entries, older, capacity), *oneByOne) << capacity;
        }
    }
}

TEST(SystemExceptions, AreNamedAfterTheirKind)
{
    EXPECT_EQ(SystemExceptionClassName(0xC0000005), "EAccessViolation");
    EXPECT_EQ(SystemExceptionClassName(0xC0000094), "EDivByZero");
    EXPECT_EQ(SystemExceptionClassName(0xC00000FD), "EStackOverflow");
    EXPECT_EQ(SystemExceptionClassName(0xE0000001), "EExternalException");
}

} // namespace
