// The program's start-up against the platform's floor, in one run. Each round starts a new
// LumivantaManager.exe, copied with the archive built beside this benchmark into a folder of
// its own, and times it from CreateProcess to its first "tweaks:" request served (the start page,
// asked for when the main window is first shown); then it starts startup_floor.exe, which only
// hosts the same browser control in a window and navigates it to about:blank, twice: timed to
// the control's BeforeNavigate2, just before the request, and to the first event after it (the
// end of the navigation). Every program sets a named event at its mark (the program through
// LUMIVANTA_FIRST_REQUEST_EVENT). It prints the medians and the program's ratio to each floor.
// The program is ended through "/close" after each round, as the installer ends it; no other
// copy may be running. It refuses to run without the system's RPC service (RpcSs), which is always
// running on Windows: without it every COM call that needs it waits for the service to start,
// and those waits would be measured instead of the start-up.
#include "UniqueKernelHandle.h"
#include "support/TempFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int DefaultRounds = 10;
constexpr DWORD MarkTimeout = 60'000;
constexpr DWORD EndTimeout = 30'000;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

fs::path OwnFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, length)).parent_path();
}

UniqueKernelHandle Start(const fs::path& program, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          program.parent_path().c_str(), &startup, &process))
        throw std::runtime_error("cannot start " + program.string());
    const UniqueKernelHandle thread(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

void AwaitEnd(const UniqueKernelHandle& process)
{
    if (::WaitForSingleObject(process.Get(), EndTimeout) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 1);
        throw std::runtime_error("a started program did not end");
    }
}

// Seconds from the start of the process to its mark.
double TimeToMark(const UniqueKernelHandle& process, LARGE_INTEGER started, HANDLE mark)
{
    const HANDLE waitFor[] = {mark, process.Get()};
    const DWORD woken = ::WaitForMultipleObjects(2, waitFor, FALSE, MarkTimeout);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (woken == WAIT_OBJECT_0)
        return Seconds(started, now);
    ::TerminateProcess(process.Get(), 1);
    throw std::runtime_error(woken == WAIT_OBJECT_0 + 1 ? "a program ended before its mark (is a copy running already?)"
                                                        : "a program did not reach its mark in time");
}

double ProgramRound(const fs::path& program, HANDLE mark)
{
    LARGE_INTEGER started;
    ::QueryPerformanceCounter(&started);
    const UniqueKernelHandle process = Start(program, L"");
    const double seconds = TimeToMark(process, started, mark);
    AwaitEnd(Start(program, L"/close"));
    AwaitEnd(process);
    return seconds;
}

double FloorRound(const fs::path& floor, const wchar_t* markArgument, HANDLE mark)
{
    LARGE_INTEGER started;
    ::QueryPerformanceCounter(&started);
    const UniqueKernelHandle process = Start(floor, markArgument);
    const double seconds = TimeToMark(process, started, mark);
    AwaitEnd(process);
    return seconds;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void CloseService(SC_HANDLE handle)
{
    ::CloseServiceHandle(handle);
}
using UniqueService = UniqueHandle<SC_HANDLE, CloseService>;

bool RpcServiceRunning()
{
    const UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueService service(manager ? ::OpenServiceW(manager.Get(), L"RpcSs", SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS status{};
    return service && ::QueryServiceStatus(service.Get(), &status) && status.dwCurrentState == SERVICE_RUNNING;
}

UniqueKernelHandle MakeMarkEvent()
{
    const std::string name = "LumivantaStartupBench-" + std::to_string(::GetCurrentProcessId());
    UniqueKernelHandle event(::CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
    if (!event || !::SetEnvironmentVariableA("LUMIVANTA_FIRST_REQUEST_EVENT", name.c_str()))
        throw std::runtime_error("cannot make the event " + name);
    return event;
}

void Run(int rounds)
{
    if (!RpcServiceRunning())
        throw std::runtime_error("the RPC service (RpcSs) is not running; under Wine start it with \"wine sc start "
                                 "RpcSs\" and check it stays running with \"wine sc query RpcSs\"");
    const fs::path built = OwnFolder();
    const TTempFolder temp("startup_bench_");
    const fs::path program = temp.Path() / "LumivantaManager.exe";
    fs::copy_file(built / "LumivantaManager.exe", program);
    fs::copy_file(built / "Ruroda.db", temp.Path() / "Ruroda.db");
    const fs::path floor = built / "startup_floor.exe";
    const UniqueKernelHandle mark = MakeMarkEvent();

    // One round of each untimed: the first process of a session also pays for loading the
    // system's libraries from disk.
    ProgramRound(program, mark.Get());
    FloorRound(floor, L"", mark.Get());
    std::vector<double> programTimes, beforeTimes, endTimes;
    for (int round = 0; round < rounds; ++round) {
        programTimes.push_back(ProgramRound(program, mark.Get()));
        beforeTimes.push_back(FloorRound(floor, L"/before", mark.Get()));
        endTimes.push_back(FloorRound(floor, L"", mark.Get()));
    }
    const double programMedian = Median(programTimes);
    const double beforeMedian = Median(beforeTimes), endMedian = Median(endTimes);
    std::printf("start-up from CreateProcess, median of %d rounds (goal: program / floor <= 1.3)\n", rounds);
    std::printf("  LumivantaManager.exe to its first tweaks: request served  %9.1f ms\n", programMedian * 1000);
    std::printf("  floor: the control to BeforeNavigate2 of about:blank      %9.1f ms   ratio %.2f\n",
                beforeMedian * 1000, programMedian / beforeMedian);
    std::printf("  floor: the control to the end of that navigation          %9.1f ms   ratio %.2f\n",
                endMedian * 1000, programMedian / endMedian);
}

}

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : DefaultRounds;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: startup_bench [ROUNDS]\n");
        return 2;
    }
    try {
        Run(rounds);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "startup_bench: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
