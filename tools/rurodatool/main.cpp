// rurodatool: packs a folder of pages into the program's archive and looks inside archives.
#include "ArchiveReport.h"
#include "ArchiveWriter.h"

#include "store/FileArch.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr int ExitUsage = 2;

int Usage()
{
    std::cerr << "usage:\n"
                 "  rurodatool pack [--store | --level N] SOURCE_FOLDER ARCHIVE\n"
                 "  rurodatool list ARCHIVE\n"
                 "  rurodatool cat ARCHIVE PATH\n"
                 "  rurodatool extract ARCHIVE DEST\n"
                 "  rurodatool verify ARCHIVE\n";
    return ExitUsage;
}

const char* MethodName(int method)
{
    switch (method) {
    case 0: return "stored";
    case 1: return "deflate";
    default: return "none";
    }
}

int Pack(std::vector<std::string> args)
{
    TPackOptions options;
    while (!args.empty() && args.front().starts_with("--")) {
        if (args.front() == "--store") {
            options.Store = true;
            args.erase(args.begin());
        } else if (args.front() == "--level" && args.size() > 1) {
            const std::string& level = args[1];
            if (level.size() != 1 || level[0] < '0' || level[0] > '9')
                return Usage();
            options.Level = level[0] - '0';
            args.erase(args.begin(), args.begin() + 2);
        } else {
            return Usage();
        }
    }
    if (args.size() != 2)
        return Usage();
    WriteArchive(ScanFolder(args[0]), args[1], options);
    return EXIT_SUCCESS;
}

int List(TFileArch& archive)
{
    for (const TEntryInfo& entry : ListEntries(archive)) {
        TMemoryStream content;
        ReadEntry(archive, entry, content);
        std::cout << entry.Path << '\t' << entry.StoredSize << '\t' << MethodName(entry.Method) << '\t'
                  << content.Size() << '\n';
    }
    return EXIT_SUCCESS;
}

int Cat(TFileArch& archive, const std::string& path)
{
    TMemoryStream content;
    archive.ExtractFile(path, content);
    if (content.Size() == 0) {
        std::cerr << "rurodatool: no content for " << path << '\n';
        return EXIT_FAILURE;
    }
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fwrite(content.Data(), 1, static_cast<std::size_t>(content.Size()), stdout);
    return std::fflush(stdout) == 0 ? EXIT_SUCCESS : ExitUsage;
}

int Verify(TFileArch& archive)
{
    const std::vector<std::string> problems = VerifyArchive(archive);
    for (const std::string& problem : problems)
        std::cout << archive.ArchiveName() << ": " << problem << '\n';
    if (!problems.empty())
        return EXIT_FAILURE;
    std::cout << archive.ArchiveName() << ": sound, " << archive.Folders().Count() << " folders, "
              << archive.Keys().Count() << " entries\n";
    return EXIT_SUCCESS;
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage();
    const std::string& command = args[0];
    if (command == "pack")
        return Pack({args.begin() + 1, args.end()});
    const std::size_t wanted = command == "cat" || command == "extract" ? 3 : 2;
    if (args.size() != wanted || (command != "list" && command != "cat" && command != "extract" && command != "verify"))
        return Usage();
    if (command == "verify") {
        // A directory that cannot be read is a finding of verify, not a failure of the tool.
        try {
            TFileArch archive(args[1]);
            return Verify(archive);
        } catch (const std::exception& e) {
            std::cout << args[1] << ": " << e.what() << '\n';
            return EXIT_FAILURE;
        }
    }
    TFileArch archive(args[1]);
    if (command == "list")
        return List(archive);
    if (command == "cat")
        return Cat(archive, args[2]);
    ExtractAll(archive, args[2]);
    return EXIT_SUCCESS;
}

}

int main(int argc, char** argv)
{
    try {
        return Run({argv + 1, argv + argc});
    } catch (const std::exception& e) {
        std::cerr << "rurodatool: " << e.what() << '\n';
        return ExitUsage;
    }
}
