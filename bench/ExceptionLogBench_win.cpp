// exception_log_bench [RAISES]
// The price of the exception log: one throw-and-catch with the log watching, against the same
// throw-and-catch with no log, in the same run. The log file is kept at about 10 KB for one
// measurement (reset before each raise, outside the clock) and at its 1 MiB cap for the other.
#include "diagnostics/JclDebugHandler.h"
#include "script/Registry.h"
#include "support/TempFolder.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

__attribute__((noinline)) void Raise(int depth)
{
    if (depth > 0)
        return Raise(depth - 1);
    throw ERegistryException::InvalidDataType("count");
}

void ThrowAndCatch()
{
    try {
        Raise(3);
    } catch (const ERegistryException&) {
    }
}

void WriteLog(const std::filesystem::path& log, std::size_t size)
{
    std::ofstream output(log, std::ios::binary);
    const std::string entry = "old entry\r\nMessage: " + std::string(180, 'x') + "\r\n\r\n\r\n";
    for (std::size_t written = 0; written + entry.size() < size; written += entry.size())
        output << entry;
    output << "oldest\r\n";
}

// Seconds a raise, timing only the raises; prepare runs before each one, off the clock.
double TimeRaises(int raises, const std::function<void()>& prepare)
{
    Clock::duration total{};
    for (int i = 0; i < raises; ++i) {
        prepare();
        const auto start = Clock::now();
        ThrowAndCatch();
        total += Clock::now() - start;
    }
    return std::chrono::duration<double>(total).count() / raises;
}

} // namespace

int main(int argc, char** argv)
{
    const int raises = argc > 1 ? std::atoi(argv[1]) : 300;
    try {
        TTempFolder folder("lvlogbench");
        const auto log = folder.Path() / "debugger.log";
        const double bare = TimeRaises(raises, [] {});
        double assembled = 0, small = 0, full = 0;
        {
            TJclDebugHandler debugger([] { return std::string("exception_log_bench"); });
            debugger.SetLogToFile(false);
            assembled = TimeRaises(raises, [] {});
            debugger.SetLogToFile(true);
            debugger.SetLogFileName(log.string());
            small = TimeRaises(raises, [&log] { WriteLog(log, 10 * 1024); });
            WriteLog(log, LogFileCapacity);
            full = TimeRaises(raises, [] {});
        }
        std::printf("%d raises, each caught four frames up\n", raises);
        std::printf("  no log                     %10.2f us a raise\n", bare * 1e6);
        std::printf("  entry made, not written    %10.2f us a raise\n", assembled * 1e6);
        std::printf("  logged, 10 KB log          %10.2f us a raise\n", small * 1e6);
        std::printf("  logged, 1 MiB log          %10.2f us a raise\n", full * 1e6);
        std::printf("  entry made / no log        %10.1f\n", assembled / bare);
        std::printf("  10 KB log / no log         %10.1f\n", small / bare);
        std::printf("  1 MiB log / no log         %10.1f\n", full / bare);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "exception_log_bench: %s\n", e.what());
        return 1;
    }
}
