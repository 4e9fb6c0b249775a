#pragma once

// Archive bytes written by hand, so that tests state exactly what lies in the file.

#include "ArchiveWriter.h"
#include "store/FileArch.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

std::string Le16(std::int32_t value);
std::string Le32(std::int32_t value);

// A block: size, flags, payload.
std::string Block(std::string_view payload, std::uint16_t flags = 0);
std::string DeflatedBlock(std::string_view content);

// The archive of the file-format description: index.htm in the root folder (14 bytes,
// "Hello, index!\n") and tweaks\start.html (StartHtml), everything stored. 89 + 6 + StartHtml bytes.
inline constexpr std::string_view IndexHtm = "Hello, index!\n";
inline constexpr std::string_view StartHtml = "<html><body>start</body></html>";
std::string ExampleArchive();

// An archive from its parts: the folder text and numbers, the key text and offsets, then the tail.
std::string ArchiveOf(std::string_view folderBlock, std::string_view folderNumbers, std::string_view keyBlock,
                      std::string_view offsets);

std::unique_ptr<TFileArch> OpenBytes(std::string bytes);

// A folder of its own below the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& Path() const { return FPath; }
    // Writes content to the file at relative (slashes between folders), creating its folders.
    std::filesystem::path Write(const std::string& relative, std::string_view content) const;

private:
    std::filesystem::path FPath;
};

// 1 MiB of numbered lines of script: deflated in an archive and read out in many pieces.
inline std::string MegabyteScript()
{
    std::string text;
    for (int line = 0; text.size() < 1024 * 1024; ++line)
        text += "var line" + std::to_string(line) + " = " + std::to_string(line * 7919 % 100003) + ";\n";
    text.resize(1024 * 1024);
    return text;
}

std::string ReadFileBytes(const std::filesystem::path& path);
std::string Extract(TFileArch& archive, std::string_view path);
