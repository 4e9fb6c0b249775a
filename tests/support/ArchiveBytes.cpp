#include "ArchiveBytes.h"


#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

std::string Le16(std::int32_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}

std::string Le32(std::int32_t value)
{
    return Le16(value & 0xFFFF) + Le16(static_cast<std::int32_t>(static_cast<std::uint32_t>(value) >> 16));
}

std::string Block(std::string_view payload, std::uint16_t flags)
{
    return Le32(static_cast<std::int32_t>(payload.size())) + Le16(flags) + std::string(payload);
}

std::string DeflatedBlock(std::string_view content)
{
    return Block(RawDeflate(content), 1);
}

std::string ArchiveOf(std::string_view folderBlock, std::string_view folderNumbers, std::string_view keyBlock,
                      std::string_view offsets)
{
    return "LVWK" + Le32(1) + std::string(folderBlock) + std::string(folderNumbers) + std::string(keyBlock) +
           std::string(offsets);
}

std::string ExampleArchive()
{
    const std::string folders = Block("\r\ntweaks\r\n");
    const std::string keys = Block(std::string("  index.htm\r\n !start.html\r\n"));
    return ArchiveOf(folders, Le16(0) + Le16(1), keys, Le32(69) + Le32(89)) + Block(IndexHtm) + Block(StartHtml);
}

std::unique_ptr<TFileArch> OpenBytes(std::string bytes)
{
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(bytes.data(), bytes.size());
    stream->Seek(0);
    return std::make_unique<TFileArch>("memory", std::move(stream));
}

TTempDir::TTempDir()
{
    // Random names keep test processes that run side by side apart.
    std::random_device random;
    const unsigned long long tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
    FPath = std::filesystem::temp_directory_path() / ("lvtest-" + std::to_string(tag));
    std::filesystem::create_directories(FPath);
}

TTempDir::~TTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

std::filesystem::path TTempDir::Write(const std::string& relative, std::string_view content) const
{
    const std::filesystem::path path = FPath / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

std::string Extract(TFileArch& archive, std::string_view path)
{
    TMemoryStream content;
    archive.ExtractFile(path, content);
    EXPECT_EQ(content.Position(), 0);
    return content.AsString();
}
