// Measures how fast the page archive opens and serves entries asked for in random order,
// against libzip over the same files (where libzip is built, not on Windows) and against bare
// zlib inflate of the same payloads held in memory. It reports times and goals; it fails
// (exit 1) only on a real error, such as extracted bytes that differ from the packed ones.
#include "ArchiveWriter.h"

#include "store/FileArch.h"
#include "store/Streams.h"
#include "support/TempFolder.h"

#if LV_BENCH_WITH_LIBZIP
#include <zip.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Fixed, so every run builds the same data and visits it in the same order.
constexpr std::uint32_t ContentSeed = 0x5EED;
constexpr std::uint32_t OrderSeed = 0x0DE5;

constexpr int DeflateLevel = 9;
constexpr int OpenRounds = 7;
constexpr int ExitUsage = 2;
constexpr std::size_t EntriesPerFolder = 40;
constexpr std::size_t MaxFolderDepth = 4;
constexpr std::size_t MiB = 1024 * 1024;

// Archive open + extraction at most this many times libzip's. The goal of extraction against
// bare inflate is each plan's own.
constexpr double ZipRatioGoal = 0.6;

constexpr auto Words = std::to_array<std::string_view>({
    "tweak", "setting", "registry", "explorer", "taskbar", "startup", "service", "network",
    "privacy", "telemetry", "cache", "display", "power", "update", "search", "theme", "mouse",
    "keyboard", "sound", "folder", "desktop", "shortcut", "context", "menu", "window", "animation",
    "shadow", "font", "thumbnail", "preview", "hibernate", "sleep", "timeout", "policy", "firewall",
    "account", "password", "login", "screen", "wallpaper", "color", "accent", "notification",
    "action", "center", "clipboard", "history", "backup", "restore", "driver", "device", "printer",
    "bluetooth", "wireless", "adapter", "proxy", "browser", "cookie", "script", "option", "value",
    "enable", "disable", "default", "custom", "advanced", "system", "memory", "storage", "index",
});

// Markers: @w a word, @W a capitalised word, @n a number, @x six hex digits.
constexpr auto HtmlSnippets = std::to_array<std::string_view>({
    "<div class=\"@w-@w\" id=\"@w@n\">\n",
    "  <h2>@W @w @w</h2>\n",
    "  <p>@W the @w @w for @w @w and @w. @W @w @n.</p>\n",
    "  <input type=\"checkbox\" id=\"@w_@n\" onclick=\"toggle@W(this, @n)\">"
    "<label for=\"@w_@n\">@W @w</label>\n",
    "  <a href=\"@w/@w_@n.html\" title=\"@W @w\">@W @w</a>\n",
    "</div>\n",
    "<script>apply@W(\"@w\", @n);</script>\n",
    "<table class=\"@w\"><tr><td>@W</td><td>@n</td><td>@w @w</td></tr></table>\n",
});

constexpr auto ScriptSnippets = std::to_array<std::string_view>({
    "function @w@W(value) {\n  var @w = document.getElementById(\"@w_@n\");\n"
    "  if (@w.checked) {\n    return value + @n;\n  }\n  return set@W(\"@W\", \"@w\", @n);\n}\n",
    "var @w@W = [\"@w\", \"@w\", @n, @n];\n",
    "// @W @w @w before the @w @w.\n",
    "window.@w@W = function (event) { event.preventDefault(); @w(\"@w_@n\"); };\n",
    "for (var i = 0; i < @w.length; i++) {\n  @w[i].@w = \"@w\" + i;\n}\n",
});

constexpr auto StyleSnippets = std::to_array<std::string_view>({
    ".@w-@w { margin: @npx; color: #@x; }\n",
    "#@w_@n:hover { background: #@x; border: 1px solid #@x; }\n",
    "@media (max-width: @npx) {\n  .@w { display: none; }\n}\n",
    "body.@w .@w > li { padding: @npx @npx; font-size: @npx; }\n",
});

struct TContentKind {
    std::string_view Extension;
    std::span<const std::string_view> Snippets;
};

constexpr std::array<TContentKind, 3> ContentKinds = {{
    {".html", HtmlSnippets},
    {".js", ScriptSnippets},
    {".css", StyleSnippets},
}};

class TTextGenerator {
public:
    explicit TTextGenerator(std::uint32_t seed) : FRandom(seed) {}

    std::size_t Below(std::size_t bound) { return FRandom() % bound; }
    std::string_view Word() { return Words[Below(Words.size())]; }

    // Six pages in ten, three scripts, one style sheet.
    const TContentKind& Kind()
    {
        const std::size_t pick = Below(10);
        return ContentKinds[pick < 6 ? 0 : pick < 9 ? 1 : 2];
    }

    std::string Text(const TContentKind& kind, std::size_t minimumSize)
    {
        std::string text;
        text.reserve(minimumSize + 512);
        while (text.size() < minimumSize)
            AppendSnippet(kind.Snippets[Below(kind.Snippets.size())], text);
        return text;
    }

private:
    void AppendSnippet(std::string_view snippet, std::string& out)
    {
        for (std::size_t i = 0; i < snippet.size(); ++i) {
            const char marker = snippet[i] == '@' && i + 1 < snippet.size() ? snippet[i + 1] : '\0';
            if (marker == 'w') {
                out += Word();
            } else if (marker == 'W') {
                const std::size_t first = out.size();
                out += Word();
                out[first] = static_cast<char>(out[first] - 'a' + 'A');
            } else if (marker == 'n') {
                out += std::to_string(Below(10000));
            } else if (marker == 'x') {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%06zx", Below(0x1000000));
                out += hex;
            } else {
                out += snippet[i];
                continue;
            }
            ++i;
        }
    }

    std::mt19937 FRandom;
};

struct TBenchEntry {
    std::string Folder; // folder names joined by backslashes, "" for the root
    std::string Name;
    std::string Content;
};

std::size_t FolderDepth(const std::string& folder)
{
    return folder.empty() ? 0 : 1 + static_cast<std::size_t>(std::ranges::count(folder, '\\'));
}

// Nested folders named with letters, digits and underscores; the number keeps names unique.
std::vector<std::string> MakeFolders(TTextGenerator& text, std::size_t count)
{
    std::vector<std::string> folders{""};
    while (folders.size() < count) {
        std::string parent = folders[text.Below(folders.size())];
        if (FolderDepth(parent) >= MaxFolderDepth)
            parent.clear();
        const std::string name = std::string(text.Word()) + "_" + std::to_string(folders.size());
        folders.push_back(parent.empty() ? name : parent + "\\" + name);
    }
    return folders;
}

// A few hundred bytes to a few KB, mostly towards the small end.
std::size_t SmallContentSize(TTextGenerator& text)
{
    const double r = static_cast<double>(text.Below(1000)) / 1000.0;
    return 200 + static_cast<std::size_t>(r * r * 3800.0);
}

std::vector<TBenchEntry> MakeSmallEntries(std::size_t count)
{
    TTextGenerator text(ContentSeed);
    const std::vector<std::string> folders = MakeFolders(text, count / EntriesPerFolder + 1);
    std::vector<TBenchEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const TContentKind& kind = text.Kind();
        const std::string& folder = folders[text.Below(folders.size())];
        std::string name = std::string(text.Word()) + "_" + std::to_string(i) + std::string(kind.Extension);
        entries.push_back({folder, std::move(name), text.Text(kind, SmallContentSize(text))});
    }
    return entries;
}

std::vector<TBenchEntry> MakeLargeEntries(const std::vector<std::size_t>& sizes)
{
    TTextGenerator text(ContentSeed);
    std::vector<TBenchEntry> entries;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const TContentKind& kind = ContentKinds[i % 2];
        std::string name = "bundle_" + std::to_string(i) + std::string(kind.Extension);
        entries.push_back({"large", std::move(name), text.Text(kind, sizes[i])});
    }
    return entries;
}

std::string JoinPath(const std::string& folder, const std::string& name, char separator)
{
    if (folder.empty())
        return name;
    std::string path = folder;
    std::ranges::replace(path, '\\', separator);
    return path + separator + name;
}

std::uint64_t TotalContentSize(const std::vector<TBenchEntry>& entries)
{
    std::uint64_t total = 0;
    for (const TBenchEntry& entry : entries)
        total += entry.Content.size();
    return total;
}


void WriteTree(const std::vector<TBenchEntry>& entries, const fs::path& root)
{
    for (const TBenchEntry& entry : entries) {
        const fs::path file = root / JoinPath(entry.Folder, entry.Name, '/');
        fs::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(entry.Content.data(), static_cast<std::streamsize>(entry.Content.size()));
        if (!out)
            throw std::runtime_error("cannot write " + file.string());
    }
}

#if LV_BENCH_WITH_LIBZIP
std::runtime_error ZipError(zip_t* zip, const std::string& what)
{
    return std::runtime_error(what + ": " + zip_strerror(zip));
}

std::runtime_error ZipOpenError(int code, const fs::path& path)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::runtime_error failure("cannot open " + path.string() + ": " + zip_error_strerror(&error));
    zip_error_fini(&error);
    return failure;
}

void AddToZip(zip_t* zip, const TBenchEntry& entry)
{
    const std::string path = JoinPath(entry.Folder, entry.Name, '/');
    zip_source_t* source = zip_source_buffer(zip, entry.Content.data(), entry.Content.size(), 0);
    if (!source)
        throw ZipError(zip, "cannot add " + path);
    const zip_int64_t index = zip_file_add(zip, path.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw ZipError(zip, "cannot add " + path);
    }
    if (zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, DeflateLevel) != 0)
        throw ZipError(zip, "cannot set compression for " + path);
}

void WriteZip(const std::vector<TBenchEntry>& entries, const fs::path& path)
{
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip)
        throw ZipOpenError(code, path);
    try {
        for (const TBenchEntry& entry : entries)
            AddToZip(zip, entry);
        if (zip_close(zip) != 0)
            throw ZipError(zip, "cannot write " + path.string());
    } catch (...) {
        zip_discard(zip);
        throw;
    }
}
#endif

struct TPackedSet {
    fs::path Archive;
    fs::path Zip;
    std::vector<std::string> Payloads; // raw DEFLATE of each entry, in entry order
};

std::vector<std::string> DeflateEach(const std::vector<TBenchEntry>& entries)
{
    std::vector<std::string> payloads;
    payloads.reserve(entries.size());
    for (const TBenchEntry& entry : entries)
        payloads.push_back(RawDeflate(entry.Content, DeflateLevel));
    return payloads;
}

TPackedSet Pack(const std::vector<TBenchEntry>& entries, const fs::path& folder)
{
    TPackedSet packed{folder / "pages.lvwk", folder / "pages.zip", {}};
    // The zip and the payloads are made from memory, so a second core makes them while the
    // files are written and packed into the archive.
    auto payloads = std::async(std::launch::async, [&] {
#if LV_BENCH_WITH_LIBZIP
        WriteZip(entries, packed.Zip);
#endif
        return DeflateEach(entries);
    });
    const fs::path tree = folder / "tree";
    WriteTree(entries, tree);
    WriteArchive(ScanFolder(tree), packed.Archive, TPackOptions{});
    packed.Payloads = payloads.get();
    return packed;
}

// One entry as each reader asks for it.
struct TLookup {
    std::string ArchivePath;
    std::string ZipPath;
    const std::string* Payload;
    const std::string* Content;
};

std::vector<TLookup> ShuffledLookups(const std::vector<TBenchEntry>& entries, const TPackedSet& packed)
{
    std::vector<TLookup> lookups;
    lookups.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TBenchEntry& entry = entries[i];
        lookups.push_back({JoinPath(entry.Folder, entry.Name, '\\'), JoinPath(entry.Folder, entry.Name, '/'),
                           &packed.Payloads[i], &entry.Content});
    }
    std::shuffle(lookups.begin(), lookups.end(), std::mt19937(OrderSeed));
    return lookups;
}

std::string_view ContentOf(const TMemoryStream& stream)
{
    return {reinterpret_cast<const char*>(stream.Data()), static_cast<std::size_t>(stream.Size())};
}

std::unique_ptr<TFileArch> OpenArchive(const fs::path& path)
{
    auto archive = std::make_unique<TFileArch>(path.string());
    if (archive->Status() != TFileArch::StatusOk)
        throw std::runtime_error("archive status " + std::to_string(archive->Status()) + ": " + path.string());
    return archive;
}

#if LV_BENCH_WITH_LIBZIP
struct TZipDiscard {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
using TZipHandle = std::unique_ptr<zip_t, TZipDiscard>;

TZipHandle OpenZip(const fs::path& path)
{
    int code = 0;
    TZipHandle zip(zip_open(path.c_str(), ZIP_RDONLY, &code));
    if (!zip)
        throw ZipOpenError(code, path);
    return zip;
}

std::string_view ReadZipEntry(zip_t* zip, const std::string& path, TMemoryStream& buffer)
{
    // zip_fopen is zip_name_locate + zip_fopen_index; holding the index also gives the size,
    // so the whole file comes with one zip_fread and one name lookup.
    const zip_int64_t index = zip_name_locate(zip, path.c_str(), 0);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        throw ZipError(zip, "cannot find " + path);
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        throw ZipError(zip, "cannot open " + path);
    buffer.SetSize(stat.size);
    const zip_int64_t read = zip_fread(file, buffer.Data(), stat.size);
    zip_fclose(file);
    if (read != static_cast<zip_int64_t>(stat.size))
        throw std::runtime_error("libzip read " + std::to_string(read) + " of " + std::to_string(stat.size) +
                                 " bytes of " + path);
    return ContentOf(buffer);
}
#endif

// Decodes into a buffer allocated in advance, with room to spare: the floor any reader can reach.
std::string_view InflateRaw(const std::string& payload, std::size_t contentSize, TMemoryStream& buffer)
{
    // zlib decodes with its fast loop only while this much output room is left; without the
    // spare room the last bytes of every entry take the slow loop.
    constexpr std::size_t FastLoopRoom = 258;
    buffer.SetSize(contentSize + FastLoopRoom);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw std::runtime_error("inflateInit2 failed");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.data()));
    z.avail_in = static_cast<uInt>(payload.size());
    z.next_out = buffer.Data();
    z.avail_out = static_cast<uInt>(buffer.Size());
    const int result = inflate(&z, Z_FINISH);
    const std::size_t written = z.total_out;
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("bare inflate did not decode a whole payload");
    return {reinterpret_cast<const char*>(buffer.Data()), written};
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Whatever action returns (an open archive) is released only after the clock stops.
template <typename Action>
double TimedMilliseconds(const Action& action)
{
    const auto start = Clock::now();
    [[maybe_unused]] const auto result = action();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct TReader {
    std::string Name;
    std::function<std::string_view(const TLookup&)> Read;
};

void VerifyEveryEntry(const TReader& reader, const std::vector<TLookup>& lookups)
{
    for (const TLookup& item : lookups)
        if (reader.Read(item) != *item.Content)
            throw std::runtime_error("bytes mismatch: " + reader.Name + " gave wrong bytes for " + item.ZipPath);
}

std::uint64_t ReadEveryEntry(const TReader& reader, const std::vector<TLookup>& lookups, std::uint64_t expectedTotal)
{
    std::uint64_t total = 0;
    for (const TLookup& item : lookups)
        total += reader.Read(item).size();
    if (total != expectedTotal)
        throw std::runtime_error("bytes mismatch: " + reader.Name + " extracted " + std::to_string(total) +
                                 " bytes, expected " + std::to_string(expectedTotal));
    return total;
}

// Each reader's bytes are checked once, which also warms the caches. Then each round times one
// pass of every reader in turn, so a busy moment on the machine hurts them alike, and the best
// round of each reader counts.
std::vector<double> BestPassMilliseconds(const std::vector<TReader>& readers, const std::vector<TLookup>& lookups,
                                         std::uint64_t expectedTotal, int rounds)
{
    for (const TReader& reader : readers)
        VerifyEveryEntry(reader, lookups);
    std::vector<double> best(readers.size(), std::numeric_limits<double>::infinity());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < readers.size(); ++i) {
            const double pass = TimedMilliseconds([&] { return ReadEveryEntry(readers[i], lookups, expectedTotal); });
            best[i] = std::min(best[i], pass);
        }
    }
    return best;
}

struct TTimes {
    double ArchiveOpen = 0;
    double ArchiveExtract = 0;
    double ArchiveExtractNewStream = 0;
    double BareInflate = 0;
    // Only where libzip is built.
    std::optional<double> ZipOpen;
    std::optional<double> ZipExtract;
};

// Alternates the readers, for the same reason as the extraction rounds. Each is timed from
// opening to its first entry read, so that what a reader does once, at opening or at its first
// entry (the Linux reader reads a small archive whole there), is counted once.
void MeasureOpening(const TPackedSet& packed, [[maybe_unused]] const TLookup& first, TTimes& times)
{
    double archiveBest = std::numeric_limits<double>::infinity();
    [[maybe_unused]] double zipBest = std::numeric_limits<double>::infinity();
    TMemoryStream buffer;
    for (int round = 0; round < OpenRounds; ++round) {
        archiveBest = std::min(archiveBest, TimedMilliseconds([&] {
                                   auto archive = OpenArchive(packed.Archive);
                                   archive->ExtractFile(first.ArchivePath, buffer);
                                   return archive;
                               }));
#if LV_BENCH_WITH_LIBZIP
        zipBest = std::min(zipBest, TimedMilliseconds([&] {
                               auto zip = OpenZip(packed.Zip);
                               ReadZipEntry(zip.get(), first.ZipPath, buffer);
                               return zip;
                           }));
#endif
    }
    times.ArchiveOpen = archiveBest;
#if LV_BENCH_WITH_LIBZIP
    times.ZipOpen = zipBest;
#endif
}

void MeasureExtraction(const TPackedSet& packed, const std::vector<TLookup>& lookups, std::uint64_t expectedTotal,
                       int rounds, TTimes& times)
{
    const std::unique_ptr<TFileArch> archive = OpenArchive(packed.Archive);
    TMemoryStream stream;
    std::unique_ptr<TMemoryStream> newStream;
    TMemoryStream buffer;
    std::vector<TReader> readers = {
        {"bare inflate", [&](const TLookup& item) { return InflateRaw(*item.Payload, item.Content->size(), buffer); }},
        {"archive", [&](const TLookup& item) {
             archive->ExtractFile(item.ArchivePath, stream);
             return ContentOf(stream);
         }},
        // A caller that makes a stream per request pays for growing it every time.
        {"archive, new stream", [&](const TLookup& item) {
             newStream = std::make_unique<TMemoryStream>();
             archive->ExtractFile(item.ArchivePath, *newStream);
             return ContentOf(*newStream);
         }},
    };
#if LV_BENCH_WITH_LIBZIP
    const TZipHandle zip = OpenZip(packed.Zip);
    readers.push_back({"libzip", [&](const TLookup& item) { return ReadZipEntry(zip.get(), item.ZipPath, buffer); }});
#endif
    const std::vector<double> best = BestPassMilliseconds(readers, lookups, expectedTotal, rounds);
    times.BareInflate = best[0];
    times.ArchiveExtract = best[1];
    times.ArchiveExtractNewStream = best[2];
    if (best.size() > 3)
        times.ZipExtract = best[3];
}

double Mebibytes(std::uint64_t bytes) { return static_cast<double>(bytes) / MiB; }

void PrintRow(const char* group, const char* reader, double milliseconds, std::size_t entryCount,
              std::uint64_t contentBytes)
{
    const double seconds = milliseconds / 1000.0;
    std::printf("  %-8s %-28s %10.2f %12.2f %10.1f\n", group, reader, milliseconds,
                milliseconds * 1000.0 / static_cast<double>(entryCount), Mebibytes(contentBytes) / seconds);
}

void PrintGoal(const char* what, double ratio, const char* relation, double goal, bool met)
{
    std::printf("  %-46s %6.3f   goal %-2s %.2f   %s\n", what, ratio, relation, goal, met ? "met" : "not met");
}

void PrintReport(const std::string& title, std::size_t entryCount, std::uint64_t contentBytes,
                 const TPackedSet& packed, const TTimes& t, double extractGoal)
{
    std::printf("\n%s: %.1f MiB of content, archive %.1f MiB\n", title.c_str(), Mebibytes(contentBytes),
                Mebibytes(fs::file_size(packed.Archive)));
    std::printf("  %-8s %-28s %10s %12s %10s\n", "", "", "best ms", "us per entry", "MiB/s");
    std::printf("  %-8s %-28s %10.3f\n", "open", "archive + first entry", t.ArchiveOpen);
    if (t.ZipOpen)
        std::printf("  %-8s %-28s %10.3f\n", "", "zip + first entry", *t.ZipOpen);
    PrintRow("extract", "archive ExtractFile", t.ArchiveExtract, entryCount, contentBytes);
    PrintRow("", "archive, new stream each", t.ArchiveExtractNewStream, entryCount, contentBytes);
    if (t.ZipExtract)
        PrintRow("", "zip (locate + fopen + fread)", *t.ZipExtract, entryCount, contentBytes);
    PrintRow("", "bare raw inflate", t.BareInflate, entryCount, contentBytes);

    const double extractRatio = t.ArchiveExtract / t.BareInflate;
    const double newStreamRatio = t.ArchiveExtractNewStream / t.BareInflate;
    PrintGoal("archive extract / bare inflate", extractRatio, "<=", extractGoal, extractRatio <= extractGoal);
    std::printf("  %-46s %6.3f   (no goal)\n", "archive extract, new stream / bare inflate", newStreamRatio);
    if (t.ZipOpen && t.ZipExtract) {
        const double zipRatio = (t.ArchiveOpen + t.ArchiveExtract) / (*t.ZipOpen + *t.ZipExtract);
        PrintGoal("archive open+extract / zip open+extract", zipRatio, "<=", ZipRatioGoal, zipRatio <= ZipRatioGoal);
    }
}

struct TBenchPlan {
    std::string Title;
    std::function<std::vector<TBenchEntry>()> MakeEntries;
    int Rounds;
    // Archive extraction at most this many times bare inflate.
    double ExtractGoal;
};

std::vector<TBenchPlan> FullPlans()
{
    return {
        {"10,000 small entries", [] { return MakeSmallEntries(10'000); }, 5, 1.10},
        {"100,000 small entries", [] { return MakeSmallEntries(100'000); }, 3, 1.10},
        {"4 large entries", [] { return MakeLargeEntries({4 * MiB, 6 * MiB, 8 * MiB, 10 * MiB}); }, 5, 1.05},
    };
}

std::vector<TBenchPlan> QuickPlans()
{
    return {
        {"500 small entries", [] { return MakeSmallEntries(500); }, 3, 1.10},
        {"2 large entries", [] { return MakeLargeEntries({256 * 1024, 256 * 1024}); }, 3, 1.05},
    };
}

void RunPlan(const TBenchPlan& plan, const fs::path& folder)
{
    std::printf("\npreparing %s ...", plan.Title.c_str());
    std::fflush(stdout);
    const auto start = Clock::now();
    fs::create_directory(folder);
    const std::vector<TBenchEntry> entries = plan.MakeEntries();
    const TPackedSet packed = Pack(entries, folder);
    const std::vector<TLookup> lookups = ShuffledLookups(entries, packed);
    std::printf(" %.1f s\n", SecondsSince(start));

    const std::uint64_t contentBytes = TotalContentSize(entries);
    TTimes times;
    MeasureOpening(packed, lookups.front(), times);
    MeasureExtraction(packed, lookups, contentBytes, plan.Rounds, times);
    PrintReport(plan.Title, entries.size(), contentBytes, packed, times, plan.ExtractGoal);
    fs::remove_all(folder);
}

}

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() > 1 || (args.size() == 1 && args[0] != "--quick")) {
        std::fprintf(stderr, "usage: archive_bench [--quick]\n");
        return ExitUsage;
    }
    try {
        const auto start = Clock::now();
        const TTempFolder temp("archive_bench_");
        const std::vector<TBenchPlan> plans = args.empty() ? FullPlans() : QuickPlans();
        for (std::size_t i = 0; i < plans.size(); ++i)
            RunPlan(plans[i], temp.Path() / ("set" + std::to_string(i)));
        std::printf("\ntotal %.1f s\n", SecondsSince(start));
        return EXIT_SUCCESS;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "archive_bench: %s\n", error.what());
        return EXIT_FAILURE;
    }
}
