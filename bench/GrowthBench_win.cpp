// Whether a long session makes the program grow: N "tweaks:" fetches through the real urlmon and
// N page-script calls through the real JScript engine (N = 100,000 unless given), in one process. It prints the process's
// private bytes and handle count after the first 1,000 of each and after all N, and whether the
// growth stays within 1 MiB and 16 handles. It fails (exit 1) only on a real error, such as a
// fetch that fails or a script error; growth is reported, not judged by the exit code.
#include "ArchiveWriter.h"
#include "ScriptHost.h"

#include "SchemeRegistration.h"
#include "protocol/MyLVHandler.h"
#include "script/Registry.h"
#include "store/FileManager.h"
#include "support/TempFolder.h"
#include "support/UrlFetch.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

constexpr int WarmUp = 1000;
constexpr int DefaultCount = 100'000;
constexpr double GrowthBytesLimit = 1024.0 * 1024.0;
constexpr long GrowthHandlesLimit = 16;

struct TUsage {
    double PrivateBytes;
    long Handles;
};

// Committed private memory, summed over the address space: Wine reports no private usage
// through GetProcessMemoryInfo.
double PrivateBytes()
{
    double total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<const char*>(nullptr); ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<double>(region.RegionSize);
        if (region.RegionSize == 0)
            break;
    }
    return total;
}

// Every handle value the process has open, found by asking each possible value for its flags:
// Wine reports no handle count through GetProcessHandleCount. Handle values are multiples of 4.
long HandleCount()
{
    constexpr std::uintptr_t HighestValue = 1u << 20;
    long count = 0;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < HighestValue; value += 4)
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    return count;
}

TUsage Usage()
{
    return {PrivateBytes(), HandleCount()};
}

void Report(const char* what, int count, const TUsage& warm, const TUsage& end)
{
    const double grownBytes = end.PrivateBytes - warm.PrivateBytes;
    const long grownHandles = end.Handles - warm.Handles;
    const bool met = grownBytes <= GrowthBytesLimit && grownHandles <= GrowthHandlesLimit;
    std::printf("  %-18s after %d: %8.0f KiB %5ld handles; after %d: %8.0f KiB %5ld handles; grown %+.0f KiB "
                "%+ld handles (limit 1024 KiB, 16)   %s\n",
                what, WarmUp, warm.PrivateBytes / 1024, warm.Handles, count, end.PrivateBytes / 1024, end.Handles,
                grownBytes / 1024, grownHandles, met ? "met" : "not met");
}

void Fetch(int count)
{
    for (int i = 0; i < count; ++i) {
        const TFetchResult fetched = FetchUrl(L"tweaks://tweaks/start.html");
        if (fetched.Result != S_OK || fetched.Content.empty())
            throw std::runtime_error("a fetch failed with " + std::to_string(fetched.Result));
    }
}

void Fetches(const fs::path& folder, int count)
{
    fs::create_directories(folder / "pages" / "tweaks");
    std::ofstream(folder / "pages" / "tweaks" / "start.html") << "<html><body>" << std::string(4000, 'x')
                                                             << "</body></html>\n";
    const fs::path archive = folder / "Ruroda.db";
    WriteArchive(ScanFolder(folder / "pages"), archive, TPackOptions{});
    FileManager = std::make_unique<TFileManager>(archive.string(), folder.string() + "\\", std::vector<std::string>{});
    {
        const TSchemeRegistration registration;
        Fetch(WarmUp);
        const TUsage warm = Usage();
        Fetch(count - WarmUp);
        Report("tweaks: fetches", count, warm, Usage());
    }
    FileManager.reset();
}

// The key as a script's string literal.
std::string ScriptLiteral(const std::string& key)
{
    std::string literal = "\"";
    for (char c : key)
        literal += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return literal + "\"";
}

void RunCalls(const fs::path& folder, const std::string& key, int count)
{
    const fs::path file = folder / "calls.js";
    std::ofstream(file) << "var r = external.Registry;\n"
                        << "for (var i = 0; i < " << count << "; i++) {\n"
                        << "    r.RegReadString(\"HKCU\", " << ScriptLiteral(key) << ", \"v\");\n"
                        << "    r.RegWriteInt(\"HKCU\", " << ScriptLiteral(key) << ", \"n\", i);\n"
                        << "}\n";
    const TScriptOutcome outcome = RunScriptFiles({file.string()}, {});
    if (!outcome.Succeeded)
        throw std::runtime_error(outcome.Error);
}

void ScriptCalls(const fs::path& folder, int count)
{
    const std::string key = "Software\\LumivantaGrowthBench-" + std::to_string(::GetCurrentProcessId());
    TRegistry setup;
    setup.MakeKey(key);
    try {
        if (setup.Open(key, false))
            setup.PutText("v", "hello");
        setup.Close();
        // Two calls a loop turn, a read and a write; every 1,000 calls in an engine of their own,
        // as a page's scripts run, so that each engine's garbage is alike and only what stays
        // behind it adds up.
        RunCalls(folder, key, WarmUp / 2);
        const TUsage warm = Usage();
        for (int done = WarmUp; done < count; done += WarmUp)
            RunCalls(folder, key, WarmUp / 2);
        Report("script calls", count, warm, Usage());
    } catch (...) {
        setup.RemoveKeyTree(key);
        throw;
    }
    setup.RemoveKeyTree(key);
}

}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : DefaultCount;
    if (count <= WarmUp) {
        std::fprintf(stderr, "usage: growth_bench [COUNT above %d]\n", WarmUp);
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "growth_bench: OLE cannot start\n");
        return EXIT_FAILURE;
    }
    CreateSharedRegistry();
    int status = EXIT_SUCCESS;
    try {
        const TTempFolder temp("growth_bench_");
        std::printf("private bytes and handles of one process over a long session\n");
        Fetches(temp.Path(), count);
        ScriptCalls(temp.Path(), count);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "growth_bench: %s\n", error.what());
        FileManager.reset();
        status = EXIT_FAILURE;
    }
    FreeSharedRegistry();
    ::OleUninitialize();
    return status;
}
