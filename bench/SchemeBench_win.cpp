// Measures what the "tweaks:" scheme costs a page, layer by layer, in one run: the entries read
// with ExtractFile directly; our handler alone, driven as urlmon drives it with a sink that
// does nothing; the platform's own "file:" protocol through the same urlmon binding, on the
// same bytes extracted to files; and "tweaks:" through urlmon. It prints pages per second and
// the ratios against their goals; it fails (exit 1) only on a real error, such as a fetch that
// fails or bytes that differ from the packed ones.
#include "ArchiveWriter.h"

#include "SchemeRegistration.h"
#include "protocol/MyLVHandler.h"
#include "store/FileManager.h"
#include "support/ArchiveBytes.h"
#include "support/TestObject.h"
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
#include <functional>
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

// The handler alone at most this many times ExtractFile; "tweaks:" through urlmon at most this
// many times "file:" through urlmon.
constexpr double HandlerGoal = 1.2;
constexpr double SchemeGoal = 1.0;

// What Wine's urlmon asks Read for at a time.
constexpr ULONG UrlmonReadSize = 2048;

struct TBenchEntry {
    std::string Title;
    std::string Name;
    std::string Content;
    int ReadsPerRound;
};

fs::path PageFileOf(const fs::path& folder, const TBenchEntry& entry)
{
    return folder / "pages" / "tweaks" / entry.Name;
}

std::string SmallPage()
{
    std::string page = "<html><head><title>Explorer</title><script src=\"tweaks.js\"></script></head><body>\n";
    for (int i = 0; page.size() < 4000; ++i)
        page += "<p><input type=\"checkbox\" id=\"tweak" + std::to_string(i) + "\"> Setting number " +
                std::to_string(i) + "</p>\n";
    return page + "</body></html>\n";
}


// The pages as loose files below folder\pages\tweaks, then packed into folder\Ruroda.db.
fs::path PackArchive(const std::vector<TBenchEntry>& entries, const fs::path& folder)
{
    for (const TBenchEntry& entry : entries) {
        fs::create_directories(folder / "pages" / "tweaks");
        std::ofstream out(PageFileOf(folder, entry), std::ios::binary);
        out.write(entry.Content.data(), static_cast<std::streamsize>(entry.Content.size()));
        if (!out)
            throw std::runtime_error("cannot write " + entry.Name);
    }
    const fs::path archive = folder / "Ruroda.db";
    WriteArchive(ScanFolder(folder / "pages"), archive, TPackOptions{});
    return archive;
}

std::wstring UrlOf(const TBenchEntry& entry)
{
    return L"tweaks://tweaks/" + std::wstring(entry.Name.begin(), entry.Name.end());
}

std::wstring FileUrlOf(const fs::path& file)
{
    std::wstring path = fs::absolute(file).wstring();
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return L"file:///" + path;
}

std::string FetchedFrom(const std::wstring& url)
{
    const TFetchResult fetched = FetchUrl(url);
    if (fetched.Result != S_OK)
        throw std::runtime_error("fetching a page failed with " + std::to_string(fetched.Result));
    return fetched.Content;
}

// Keeps only the size a handler reports, as a client does to size its buffer.
class TQuietSink final : public TTestObject<IInternetProtocolSink> {
public:
    ULONG ReportedSize = 0;

    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD, ULONG, ULONG progressMax) override
    {
        ReportedSize = progressMax;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT, DWORD, LPCWSTR) override { return S_OK; }
};

// Start, Read in urlmon's pieces to the end, Terminate: the handler's whole share of a fetch.
std::string ThroughHandler(IClassFactory& factory, TQuietSink& sink, const TBenchEntry& entry)
{
    ComPtr<IInternetProtocol> handler;
    if (FAILED(factory.CreateInstance(nullptr, IID_IInternetProtocol, reinterpret_cast<void**>(handler.GetAddressOf()))) ||
        FAILED(handler->Start(UrlOf(entry).c_str(), &sink, nullptr, 0, 0)))
        throw std::runtime_error("the handler does not start for " + entry.Name);
    std::string content;
    content.reserve(sink.ReportedSize);
    char piece[UrlmonReadSize];
    for (;;) {
        ULONG count = 0;
        const HRESULT result = handler->Read(piece, sizeof piece, &count);
        content.append(piece, count);
        if (result != S_OK)
            break;
    }
    handler->Terminate(0);
    return content;
}

std::string EntryPathOf(const TBenchEntry& entry)
{
    return "tweaks\\" + entry.Name;
}

// As the handler does it: a new buffer for every request.
std::string Extracted(const TBenchEntry& entry)
{
    TMemoryStream buffer;
    FileManager->Archive()->ExtractFile(EntryPathOf(entry), buffer);
    return buffer.AsString();
}

using TRead = std::function<std::string(const TBenchEntry&)>;

double PagesPerSecond(const TBenchEntry& entry, const TRead& read)
{
    const auto start = Clock::now();
    for (int i = 0; i < entry.ReadsPerRound; ++i)
        if (read(entry).size() != entry.Content.size())
            throw std::runtime_error("bytes mismatch while timing " + entry.Name);
    return entry.ReadsPerRound / std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintGoal(const char* what, double ratio, double goal)
{
    std::printf("    %-38s %6.2f   goal <= %.2f   %s\n", what, ratio, goal, ratio <= goal ? "met" : "not met");
}

// Every layer's bytes are checked first; then each round times every layer in turn, so a busy
// moment on the machine hurts them alike, and the best round of each counts.
void Measure(const TBenchEntry& entry, const std::vector<std::pair<const char*, TRead>>& layers)
{
    for (const auto& [name, read] : layers)
        if (read(entry) != entry.Content)
            throw std::runtime_error(std::string("bytes mismatch: ") + name + " gave wrong bytes for " + entry.Name);
    std::vector<double> best(layers.size(), 0);
    for (int round = 0; round < Rounds; ++round)
        for (std::size_t i = 0; i < layers.size(); ++i)
            best[i] = std::max(best[i], PagesPerSecond(entry, layers[i].second));
    std::printf("  %s, %zu bytes\n", entry.Title.c_str(), entry.Content.size());
    for (std::size_t i = 0; i < layers.size(); ++i)
        std::printf("    %-38s %10.1f pages/s\n", layers[i].first, best[i]);
    PrintGoal("handler alone / ExtractFile", best[0] / best[1], HandlerGoal);
    PrintGoal("tweaks: (urlmon) / file: (urlmon)", best[2] / best[3], SchemeGoal);
    std::printf("    %-38s %6.2f\n", "tweaks: (urlmon) / ExtractFile", best[0] / best[3]);
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
        const ComPtr<IClassFactory> factory(new TMyLVHandlerFactory);
        const ComPtr<TQuietSink> sink(new TQuietSink);
        std::printf("pages per second, best of %d rounds; a ratio is the time of a page over the other's\n", Rounds);
        for (const TBenchEntry& entry : entries) {
            const std::wstring fileUrl = FileUrlOf(PageFileOf(temp.Path(), entry));
            Measure(entry, {
                               {"ExtractFile", Extracted},
                               {"handler alone", [&](const TBenchEntry& e) { return ThroughHandler(*factory.Get(), *sink.Get(), e); }},
                               {"file: (urlmon, same bytes in a file)", [&](const TBenchEntry&) { return FetchedFrom(fileUrl); }},
                               {"tweaks: (urlmon)", [](const TBenchEntry& e) { return FetchedFrom(UrlOf(e)); }},
                           });
        }
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
