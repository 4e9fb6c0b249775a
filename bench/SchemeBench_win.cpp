// Measures what the "tweaks:" scheme costs a page: pages per second fetched through the real
// urlmon and our handler, against the same entries read with ExtractFile directly, in the same
// run. It reports and sets no goal; it fails (exit 1) only on a real error, such as a fetch that
// fails or bytes that differ from the packed ones.
#include "ArchiveWriter.h"

#include "protocol/MyLVHandler.h"
#include "store/FileManager.h"
#include "support/ArchiveBytes.h"
#include "support/TempFolder.h"
#include "support/UrlFetch.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Each round times the scheme and then the direct read, so a busy moment on the machine hurts
// both alike; the best round of each counts.
constexpr int Rounds = 5;

struct TBenchEntry {
    std::string Title;
    std::string Name;
    std::string Content;
    int ReadsPerRound;
};

std::string SmallPage()
{
    std::string page = "<html><head><title>Explorer</title><script src=\"tweaks.js\"></script></head><body>\n";
    for (int i = 0; page.size() < 4000; ++i)
        page += "<p><input type=\"checkbox\" id=\"tweak" + std::to_string(i) + "\"> Setting number " +
                std::to_string(i) + "</p>\n";
    return page + "</body></html>\n";
}


fs::path PackArchive(const std::vector<TBenchEntry>& entries, const fs::path& folder)
{
    for (const TBenchEntry& entry : entries) {
        fs::create_directories(folder / "pages" / "tweaks");
        std::ofstream out(folder / "pages" / "tweaks" / entry.Name, std::ios::binary);
        out.write(entry.Content.data(), static_cast<std::streamsize>(entry.Content.size()));
        if (!out)
            throw std::runtime_error("cannot write " + entry.Name);
    }
    const fs::path archive = folder / "Ruroda.db";
    WriteArchive(ScanFolder(folder / "pages"), archive, TPackOptions{});
    return archive;
}

// The scheme registered with the process's internet session, as the main window does.
class TSchemeRegistration {
public:
    TSchemeRegistration() : FFactory(new TMyLVHandlerFactory)
    {
        if (FAILED(::CoInternetGetSession(0, FSession.GetAddressOf(), 0)) ||
            FAILED(FSession->RegisterNameSpace(FFactory.Get(), CLSID_MyLVHandler, SchemeName.c_str(), 0, nullptr, 0)))
            throw std::runtime_error("cannot register the scheme");
    }
    ~TSchemeRegistration() { FSession->UnregisterNameSpace(FFactory.Get(), SchemeName.c_str()); }
    TSchemeRegistration(const TSchemeRegistration&) = delete;
    TSchemeRegistration& operator=(const TSchemeRegistration&) = delete;

private:
    ComPtr<IClassFactory> FFactory;
    ComPtr<IInternetSession> FSession;
};

std::wstring UrlOf(const TBenchEntry& entry)
{
    return L"tweaks://tweaks/" + std::wstring(entry.Name.begin(), entry.Name.end());
}

std::string EntryPathOf(const TBenchEntry& entry)
{
    return "tweaks\\" + entry.Name;
}

std::string Fetched(const TBenchEntry& entry)
{
    const TFetchResult fetched = FetchUrl(UrlOf(entry));
    if (fetched.Result != S_OK)
        throw std::runtime_error("fetching " + entry.Name + " failed with " + std::to_string(fetched.Result));
    return fetched.Content;
}

// As the handler does it: a new buffer for every request.
std::string Extracted(const TBenchEntry& entry)
{
    TMemoryStream buffer;
    FileManager->Archive()->ExtractFile(EntryPathOf(entry), buffer);
    return buffer.AsString();
}

template <typename Read>
double PagesPerSecond(const TBenchEntry& entry, const Read& read)
{
    const auto start = Clock::now();
    for (int i = 0; i < entry.ReadsPerRound; ++i)
        if (read(entry).size() != entry.Content.size())
            throw std::runtime_error("bytes mismatch while timing " + entry.Name);
    return entry.ReadsPerRound / std::chrono::duration<double>(Clock::now() - start).count();
}

void Measure(const TBenchEntry& entry)
{
    if (Fetched(entry) != entry.Content || Extracted(entry) != entry.Content)
        throw std::runtime_error("bytes mismatch: " + entry.Name);
    double scheme = 0;
    double direct = 0;
    for (int round = 0; round < Rounds; ++round) {
        scheme = std::max(scheme, PagesPerSecond(entry, Fetched));
        direct = std::max(direct, PagesPerSecond(entry, Extracted));
    }
    std::printf("  %-14s %10zu %18.1f %14.1f %8.2f\n", entry.Title.c_str(), entry.Content.size(), scheme, direct,
                direct / scheme);
}

void Run()
{
    const std::vector<TBenchEntry> entries = {
        {"small page", "start.html", SmallPage(), 300},
        {"1 MiB script", "bundle.js", MegabyteScript(), 30},
    };
    const TTempFolder temp("scheme_bench_");
    FileManager = std::make_unique<TFileManager>(PackArchive(entries, temp.Path()).string(), temp.Path().string() + "\\",
                                                 std::vector<std::string>{});
    {
        const TSchemeRegistration registration;
        std::printf("pages per second, best of %d rounds; ratio = ExtractFile rate / scheme rate\n", Rounds);
        std::printf("  %-14s %10s %18s %14s %8s\n", "entry", "bytes", "tweaks: (urlmon)", "ExtractFile", "ratio");
        for (const TBenchEntry& entry : entries)
            Measure(entry);
    }
    FileManager.reset();
}

}

int main()
{
    if (FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "scheme_bench: OLE cannot start\n");
        return EXIT_FAILURE;
    }
    int status = EXIT_SUCCESS;
    try {
        Run();
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "scheme_bench: %s\n", error.what());
        FileManager.reset();
        status = EXIT_FAILURE;
    }
    ::OleUninitialize();
    return status;
}
