// exception_log_bench [RAISES]
// The price of the exception log: a burst of throw-and-catch with the log watching, against the
// same burst with no log, in the same run. A logged burst is timed until its last entry is on
// disk, the first read of the log included; the log starts at about 10 KB for one measurement
// and at its 1 MiB cap for the other. It also times single entries written at once, as a
// flush asks: the replace of the whole log, which a process killed from outside can lose
// besides the entries still gathering.
#include "diagnostics/JclDebugHandler.h"
#include "script/Registry.h"
#include "support/TempFolder.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

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

struct TSpread {
    double Median;
    double Slowest;
};

// Seconds for each of count single raises, each written at once.
TSpread SingleEntries(TJclDebugHandler& debugger, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        ThrowAndCatch();
        debugger.Flush();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

// Seconds a raise, over a burst of raises and what finish does after them.
double TimeBurst(int raises, const std::function<void()>& finish)
{
    const auto start = Clock::now();
    for (int i = 0; i < raises; ++i)
        ThrowAndCatch();
    finish();
    return std::chrono::duration<double>(Clock::now() - start).count() / raises;
}

} // namespace

int main(int argc, char** argv)
{
    const int raises = argc > 1 ? std::atoi(argv[1]) : 300;
    try {
        TTempFolder folder("lvlogbench");
        const double bare = TimeBurst(raises, [] {});
        double assembled = 0;
        // [size][read]: 10 KB or 1 MiB; the log read by the run's first burst or by an earlier one.
        double logged[2][2] = {};
        TSpread single[2] = {};
        {
            TJclDebugHandler debugger([] { return std::string("exception_log_bench"); });
            debugger.SetLogToFile(false);
            assembled = TimeBurst(raises, [] {});
            debugger.SetLogToFile(true);
            int logs = 0;
            for (const std::size_t size : {std::size_t(10 * 1024), LogFileCapacity}) {
                for (const bool readBefore : {false, true}) {
                    const auto log = folder.Path() / ("debugger" + std::to_string(++logs) + ".log");
                    WriteLog(log, size);
                    debugger.SetLogFileName(log.string());
                    if (readBefore) {
                        ThrowAndCatch();
                        debugger.Flush();
                    }
                    logged[size == LogFileCapacity][readBefore] = TimeBurst(raises, [&debugger] { debugger.Flush(); });
                }
                WriteLog(folder.Path() / "single.log", size);
                debugger.SetLogFileName((folder.Path() / "single.log").string());
                ThrowAndCatch();
                debugger.Flush(); // the log's one read
                single[size == LogFileCapacity] = SingleEntries(debugger, 20);
            }
        }
        std::printf("bursts of %d raises, each caught four frames up, logged ones timed until on disk\n", raises);
        std::printf("  no log                            %10.2f us a raise\n", bare * 1e6);
        std::printf("  entry made, not written           %10.2f us a raise\n", assembled * 1e6);
        const char* names[2] = {"10 KB log", "1 MiB log"};
        for (int size = 0; size < 2; ++size) {
            std::printf("  %-9s, first burst (reads it) %10.2f us a raise\n", names[size], logged[size][0] * 1e6);
            std::printf("  %-9s, later burst            %10.2f us a raise\n", names[size], logged[size][1] * 1e6);
        }
        for (int size = 0; size < 2; ++size)
            std::printf("  %-9s, one entry at once: median %.1f ms, slowest %.1f ms of 20\n", names[size],
                        single[size].Median * 1e3, single[size].Slowest * 1e3);
        std::printf("  entry made / no log               %10.1f\n", assembled / bare);
        for (int size = 0; size < 2; ++size) {
            std::printf("  %-9s, first burst / no log   %10.1f\n", names[size], logged[size][0] / bare);
            std::printf("  %-9s, later burst / no log   %10.1f\n", names[size], logged[size][1] / bare);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "exception_log_bench: %s\n", e.what());
        return 1;
    }
}
