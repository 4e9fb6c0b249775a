// The exception log as the program keeps it: raises in this test program's own code, seen by
// the real hook and written with the real address table that the build put into this program.
#include "UniqueKernelHandle.h"
#include "diagnostics/JclDebugHandler.h"
#include "diagnostics/LogWriter.h"
#include "script/Registry.h"
#include "support/ImportPatch.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

// Reads the word at the address it is given, in one instruction of known length, so that a test
// can step over the fault it makes. It keeps a frame, as the program's compiled code does.
extern "C" int ReadThroughPointer(const int* address);
extern "C" const char FaultingRead[];
asm(".text\n"
    ".globl _ReadThroughPointer\n"
    "_ReadThroughPointer:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  movl 8(%ebp), %eax\n"
    ".globl _FaultingRead\n"
    "_FaultingRead:\n"
    "  movl (%eax), %eax\n" // two bytes: 8B 00
    "  popl %ebp\n"
    "  ret\n");

__attribute__((noinline)) void ThrowRegistryFailure(const std::string& name)
{
    throw ERegistryException::InvalidDataType(name);
}

__attribute__((noinline)) void RaiseAndCatch(const std::string& name)
{
    try {
        ThrowRegistryFailure(name);
    } catch (const ERegistryException&) {
    }
}

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream input(path, std::ios::binary);
    std::ostringstream content;
    content << input.rdbuf();
    return content.str();
}

std::vector<std::string> Lines(const std::string& content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    return lines;
}

std::vector<std::string> Entries(const std::string& content)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n\r\n\r\n", start)) != std::string::npos; start = end + 6)
        entries.push_back(content.substr(start, end - start + 2));
    entries.push_back(content.substr(start));
    return entries;
}

std::string ShortDateNow()
{
    char date[128];
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    return date;
}

// Steps over the access violation that FaultingRead makes, after every other handler saw it.
LONG CALLBACK SkipFaultingRead(EXCEPTION_POINTERS* pointers)
{
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        pointers->ContextRecord->Eip != reinterpret_cast<DWORD>(FaultingRead))
        return EXCEPTION_CONTINUE_SEARCH;
    pointers->ContextRecord->Eip += 2;
    pointers->ContextRecord->Eax = 0;
    return EXCEPTION_CONTINUE_EXECUTION;
}

class ExceptionLog : public ::testing::Test {
protected:
    ExceptionLog() : FDebugger([] { return std::string("DebuggerTests"); })
    {
        FDebugger.SetLogFileName(LogPath().string());
    }
    std::filesystem::path LogPath() const { return FFolder.Path() / "debugger.log"; }
    std::string Log()
    {
        FDebugger.Flush();
        return ReadFile(LogPath());
    }

    TTempFolder FFolder{"lvdebugger"};
    TJclDebugHandler FDebugger;
};

TEST_F(ExceptionLog, FirstRaiseCreatesTheLogWithItsEntry)
{
    ASSERT_FALSE(std::filesystem::exists(LogPath()));
    RaiseAndCatch("dw");
    const std::string log = Log();
    EXPECT_EQ(log.find('\n'), log.find("\r\n") + 1) << "lines end with CR LF";
    const auto lines = Lines(log);
    ASSERT_GE(lines.size(), 5u) << log;
    EXPECT_EQ(lines[0].rfind(ShortDateNow() + " ", 0), 0u) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(".* Exception ERegistryException occured in "
                                                      "ThrowRegistryFailure at [0-9]+ in file DebuggerTests_win.cpp")))
        << lines[0];
    EXPECT_EQ(lines[1], "Message: Invalid data type for 'dw'");
    EXPECT_EQ(lines[2], "Call stack: ");
    EXPECT_TRUE(std::regex_match(
        lines[3], std::regex("\\[[0-9A-F]{8}\\] DebuggerTests_win.ThrowRegistryFailure \\(Line [0-9]+, "
                             "\"DebuggerTests_win.cpp\"\\)")))
        << lines[3];
    EXPECT_TRUE(std::regex_match(lines[4], std::regex("\\[[0-9A-F]{8}\\] DebuggerTests_win.RaiseAndCatch .*")))
        << lines[4];
    EXPECT_NE(log.find("DebuggerTests_win.(anonymous namespace)::ExceptionLog_FirstRaiseCreatesTheLogWithItsEntry_Test::"
                       "TestBody (Line "),
              std::string::npos)
        << log;
}

TEST_F(ExceptionLog, NewerEntryStandsOnTopOfTheOlderOnes)
{
    RaiseAndCatch("first");
    const std::string first = Log();
    RaiseAndCatch("second");
    const std::string both = Log();
    ASSERT_TRUE(both.ends_with("\r\n\r\n\r\n" + first)) << both;
    const auto entries = Entries(both);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].find("Message: Invalid data type for 'second'"), std::string::npos);
}

TEST_F(ExceptionLog, WithoutAppendingKeepsOnlyTheLatest)
{
    RaiseAndCatch("first");
    FDebugger.SetAppendLogFile(false);
    RaiseAndCatch("second");
    const auto entries = Entries(Log());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("'second'"), std::string::npos);
}

TEST_F(ExceptionLog, WithoutStackTrackingHasNoCallStack)
{
    FDebugger.SetStackTrackingEnable(false);
    RaiseAndCatch("dw");
    const auto lines = Lines(Log());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Message: Invalid data type for 'dw'");
}

TEST_F(ExceptionLog, OtherClassesHaveNoMessage)
{
    try {
        throw std::out_of_range("index 7");
    } catch (const std::exception&) {
    }
    const auto lines = Lines(Log());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" Exception std::out_of_range occured in "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Call stack: ");
}

TEST_F(ExceptionLog, AccessViolationInOurCodeIsLoggedWithItsAddress)
{
    const PVOID skipper = ::AddVectoredExceptionHandler(0, SkipFaultingRead);
    ASSERT_TRUE(skipper);
    EXPECT_EQ(ReadThroughPointer(nullptr), 0);
    ::RemoveVectoredExceptionHandler(skipper);
    const auto lines = Lines(Log());
    ASSERT_GE(lines.size(), 4u);
    char address[16];
    std::snprintf(address, sizeof address, "%08X", reinterpret_cast<unsigned>(FaultingRead));
    EXPECT_TRUE(lines[0].ends_with(std::string(" Exception EAccessViolation occured at address ") + address))
        << lines[0];
    EXPECT_EQ(lines[1], "Call stack: ");
    EXPECT_EQ(lines[2].substr(0, 10), std::string("[") + address + "]");
    EXPECT_NE(lines[3].find("ExceptionLog_AccessViolationInOurCodeIsLoggedWithItsAddress_Test::TestBody (Line "),
              std::string::npos)
        << lines[3];
}

TEST_F(ExceptionLog, SystemExceptionsOutsideOurCodeAreNotLogged)
{
    // The platform raises this one inside its own code and handles it there.
    ::OutputDebugStringA("exception log test\n");
    FDebugger.Flush();
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(ExceptionLog, RaiseInsideAnotherDestinationIsNeitherLoggedNorRepeated)
{
    int calls = 0;
    FDebugger.OnOtherDestination = [&calls](TJclDebugHandler& handler) {
        ++calls;
        EXPECT_EQ(handler.Entry().at(1), "Message: Invalid data type for 'dw'");
        throw Exception("the other destination fails");
    };
    RaiseAndCatch("dw");
    EXPECT_EQ(calls, 1);
    const std::string log = Log();
    EXPECT_EQ(Entries(log).size(), 1u);
    EXPECT_EQ(log.find("the other destination fails"), std::string::npos);
}

TEST_F(ExceptionLog, ThreadsRaisingAtOnceGetWholeEntriesOfTheirOwn)
{
    constexpr int perThread = 15;
    std::atomic<int> ready = 0;
    auto raise = [&ready](char thread) {
        ++ready;
        while (ready < 2)
            std::this_thread::yield();
        for (int i = 0; i < perThread; ++i)
            RaiseAndCatch(std::string(1, thread) + std::to_string(i));
    };
    std::thread a(raise, 'a'), b(raise, 'b');
    a.join();
    b.join();
    const auto entries = Entries(Log());
    ASSERT_EQ(entries.size(), 2u * perThread);
    for (const auto& entry : entries) {
        const auto lines = Lines(entry);
        ASSERT_GE(lines.size(), 4u) << entry;
        EXPECT_NE(lines[0].find(" Exception ERegistryException occured in ThrowRegistryFailure"), std::string::npos);
        EXPECT_TRUE(std::regex_match(lines[1], std::regex("Message: Invalid data type for '[ab][0-9]+'"))) << entry;
        EXPECT_EQ(lines[2], "Call stack: ");
        for (std::size_t i = 3; i < lines.size(); ++i)
            EXPECT_EQ(lines[i][0], '[') << entry;
    }
}

TEST_F(ExceptionLog, LockedLogLosesTheEntryButNothingElse)
{
    RaiseAndCatch("first");
    const std::string before = Log();
    {
        const HANDLE locked = ::CreateFileA(LogPath().string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        EXPECT_NO_THROW(RaiseAndCatch("second"));
        FDebugger.SetAppendLogFile(false);
        EXPECT_NO_THROW(RaiseAndCatch("third"));
        FDebugger.Flush();
        ::CloseHandle(locked);
    }
    EXPECT_EQ(Log(), before);
    const auto files = std::distance(std::filesystem::directory_iterator(FFolder.Path()),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST_F(ExceptionLog, OldestEntriesGoWhenTheLogOutgrowsItsCapacity)
{
    std::string older;
    for (int i = 0; older.size() < LogFileCapacity + LogFileCapacity / 2; ++i)
        older += "old entry " + std::to_string(i) + "\r\nMessage: filler " + std::string(200, 'x') + "\r\n\r\n\r\n";
    older += "oldest\r\n";
    std::ofstream(LogPath(), std::ios::binary) << older;
    RaiseAndCatch("new");
    const std::string log = Log();
    EXPECT_LE(log.size(), LogFileCapacity);
    EXPECT_GT(log.size(), LogFileCapacity - 300);
    EXPECT_NE(log.find("'new'"), std::string::npos);
    const std::string tail = log.substr(log.rfind("old entry "));
    EXPECT_TRUE(std::regex_match(tail, std::regex("old entry [0-9]+\r\nMessage: filler x{200}\r\n"))) << tail;
}

TEST_F(ExceptionLog, UnnamedLogGoesBesideTheProgramUnderTheApplicationTitle)
{
    FDebugger.SetLogFileName("");
    RaiseAndCatch("dw");
    char program[MAX_PATH];
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    const auto expected = std::filesystem::path(program).parent_path() / "DebuggerTestsERRORLOG.txt";
    EXPECT_EQ(std::filesystem::path(FDebugger.LogFileName()), expected);
    FDebugger.Flush();
    EXPECT_NE(ReadFile(expected).find("'dw'"), std::string::npos);
    std::filesystem::remove(expected);
}

TEST_F(ExceptionLog, UnhandledOnlyLeavesHandledExceptionsAlone)
{
    FDebugger.SetUnhandledExceptionsOnly(true);
    RaiseAndCatch("dw");
    FDebugger.Flush();
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
    FDebugger.SetUnhandledExceptionsOnly(false);
    RaiseAndCatch("dw");
    FDebugger.Flush();
    EXPECT_TRUE(std::filesystem::exists(LogPath()));
}

TEST_F(ExceptionLog, PropertiesTakeEffectInAnyOrderAlsoWhenSetFromAnotherDestination)
{
    FDebugger.SetExceptionLogging(false);
    FDebugger.SetStackTrackingEnable(false);
    RaiseAndCatch("off");
    FDebugger.SetExceptionLogging(true);
    FDebugger.OnOtherDestination = [](TJclDebugHandler& handler) { handler.SetStackTrackingEnable(true); };
    RaiseAndCatch("untracked");
    RaiseAndCatch("tracked");
    const auto entries = Entries(Log());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].find("'tracked'\r\nCall stack: "), std::string::npos) << entries[0];
    EXPECT_EQ(entries[1].find("Call stack"), std::string::npos) << entries[1];
}

TEST(ExceptionLogLifetime, EndsWithTheHandler)
{
    TTempFolder folder("lvdebugger");
    const auto log = folder.Path() / "debugger.log";
    {
        TJclDebugHandler debugger([] { return std::string("DebuggerTests"); });
        debugger.SetLogFileName(log.string());
        RaiseAndCatch("while alive");
    }
    const std::string before = ReadFile(log);
    RaiseAndCatch("after");
    EXPECT_EQ(ReadFile(log), before);
}

namespace SlowReplace {
decltype(&::MoveFileExA) moveFile;
HANDLE firstBegun;
std::atomic<int> replaces{0};
std::atomic<Clock::rep> secondAt{0};

// The first replace of the log takes a while, as on a slow disk.
BOOL WINAPI Move(LPCSTR from, LPCSTR to, DWORD flags)
{
    if (++replaces == 1) {
        ::SetEvent(firstBegun);
        ::Sleep(200);
    } else {
        secondAt = Clock::now().time_since_epoch().count();
    }
    return moveFile(from, to, flags);
}
}

TEST(LogWriter, AFlushDuringAWriteLeavesTheNextBurstToGather)
{
    using namespace SlowReplace;
    TTempFolder folder("lvdebugger");
    const std::string log = (folder.Path() / "debugger.log").string();
    const UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    firstBegun = event.Get();
    const TImportPatch patch("kernel32.dll", "MoveFileExA", &Move);
    moveFile = patch.Original();
    TLogWriter writer;

    writer.Add(log, {"first"}, true);
    ASSERT_EQ(::WaitForSingleObject(firstBegun, 10000), WAIT_OBJECT_0);
    writer.Flush(); // finds its entry being written, and nothing pending after it
    const Clock::time_point added = Clock::now();
    writer.Add(log, {"second"}, true);
    for (int waited = 0; secondAt == 0 && waited < 10000; waited += 5)
        ::Sleep(5);
    EXPECT_GE(Clock::time_point(Clock::duration(secondAt)) - added, TLogWriter::GatheringTime);
}

} // namespace

// Run as a child by the test below: the handler logs only unhandled exceptions, and this one
// is not handled.
__attribute__((noinline)) int ThrowUnhandled(const char* logFileName)
{
    TJclDebugHandler debugger([] { return std::string("DebuggerTests"); });
    debugger.SetLogFileName(logFileName);
    debugger.SetUnhandledExceptionsOnly(true);
    RaiseAndCatch("handled");
    throw Exception("nobody catches this");
}

constexpr int BurstRaises = 120;

// Run as a child: a burst of raises, then the end, by an unhandled exception or a return.
int BurstThenEnd(const char* logFileName, bool unhandled)
{
    TJclDebugHandler debugger([] { return std::string("DebuggerTests"); });
    debugger.SetLogFileName(logFileName);
    for (int i = 0; i < BurstRaises; ++i)
        RaiseAndCatch("burst " + std::to_string(i));
    if (unhandled)
        throw Exception("nobody catches this");
    return 0;
}

volatile bool KeepRecursing = true;

__attribute__((noinline)) int Recurse(int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return KeepRecursing ? Recurse(depth + 1) + frame[0] : 0;
}

// Ends the process once the log has seen the stack overflow: nothing else could go on.
LONG CALLBACK EndOnStackOverflow(EXCEPTION_POINTERS* pointers)
{
    if (pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        ::TerminateProcess(::GetCurrentProcess(), 99);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Run as a child by the test below; in another destination, while the log is being written.
int OverflowTheStack(const char* logFileName, bool inDestination)
{
    TJclDebugHandler debugger([] { return std::string("DebuggerTests"); });
    debugger.SetLogFileName(logFileName);
    ::AddVectoredExceptionHandler(0, EndOnStackOverflow);
    if (!inDestination)
        return Recurse(0);
    debugger.OnOtherDestination = [](TJclDebugHandler&) { Recurse(0); };
    RaiseAndCatch("before the overflow");
    return 0;
}

namespace {

// Runs this test program with the arguments and gives its exit code.
DWORD RunChild(const std::string& arguments)
{
    char program[MAX_PATH];
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    DWORD exitCode = 0xFFFFFFFF;
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return exitCode;
}

TEST(ExceptionLogUnhandled, UnhandledExceptionIsLoggedBeforeTheProgramEnds)
{
    TTempFolder folder("lvdebugger");
    const auto log = folder.Path() / "debugger.log";
    const DWORD exitCode = RunChild("--throw-unhandled \"" + log.string() + "\"");
    EXPECT_NE(exitCode, 0u);
    EXPECT_NE(exitCode, 0xFFFFFFFF);
    const auto lines = Lines(ReadFile(log));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_NE(lines[0].find(" Exception Exception occured in ThrowUnhandled at "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Message: nobody catches this");
    EXPECT_NE(lines[3].find("DebuggerTests_win.ThrowUnhandled (Line "), std::string::npos) << lines[3];
    EXPECT_EQ(ReadFile(log).find("handled'"), std::string::npos) << "the handled one is not logged";
}

TEST(ExceptionLogUnhandled, BurstJustBeforeTheEndIsWholeInTheLog)
{
    TTempFolder folder("lvdebugger");
    for (const bool unhandled : {true, false}) {
        const auto log = folder.Path() / (unhandled ? "unhandled.log" : "returned.log");
        const DWORD exitCode = RunChild("--burst \"" + log.string() + "\"" + (unhandled ? " unhandled" : ""));
        EXPECT_EQ(exitCode != 0, unhandled) << exitCode;
        const auto entries = Entries(ReadFile(log));
        ASSERT_EQ(entries.size(), BurstRaises + (unhandled ? 1u : 0u));
        if (unhandled) {
            EXPECT_NE(entries[0].find("\r\nMessage: nobody catches this\r\n"), std::string::npos) << entries[0];
        }
        for (int i = 0; i < BurstRaises; ++i)
            EXPECT_NE(entries[entries.size() - 1 - i].find("'burst " + std::to_string(i) + "'"), std::string::npos);
    }
}

TEST(ExceptionLogStackOverflow, IsLoggedThoughNoStackIsLeft)
{
    TTempFolder folder("lvdebugger");
    const auto log = folder.Path() / "debugger.log";
    EXPECT_EQ(RunChild("--overflow \"" + log.string() + "\""), 99u);
    const auto lines = Lines(ReadFile(log));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_NE(lines[0].find(" Exception EStackOverflow occured "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Call stack: ");
    EXPECT_NE(lines[3].find("DebuggerTests_win.Recurse (Line "), std::string::npos) << lines[3];
    // The overflowing thread holds the log: its overflow goes unlogged instead of waiting for it.
    EXPECT_EQ(RunChild("--overflow \"" + (folder.Path() / "other.log").string() + "\" destination"), 99u);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--throw-unhandled")
        return ThrowUnhandled(argv[2]);
    if (argc >= 3 && std::string(argv[1]) == "--burst")
        return BurstThenEnd(argv[2], argc == 4);
    if (argc >= 3 && std::string(argv[1]) == "--overflow")
        return OverflowTheStack(argv[2], argc == 4);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
