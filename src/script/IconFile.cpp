#include "script/IconFile.h"

namespace {

void Put16(std::string& bytes, std::uint32_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& bytes, std::uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

constexpr std::uint32_t DirectoryBytes = 6 + 16;
constexpr std::uint32_t BitmapHeaderBytes = 40;

}

std::string IconFileBytes(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& bgra,
                          const std::vector<std::uint8_t>& mask)
{
    const auto imageBytes = static_cast<std::uint32_t>(BitmapHeaderBytes + bgra.size() + mask.size());
    std::string bytes;
    Put16(bytes, 0);
    Put16(bytes, 1); // an icon
    Put16(bytes, 1); // one image
    // A size of 256 is written as 0.
    bytes += static_cast<char>(width & 0xFF);
    bytes += static_cast<char>(height & 0xFF);
    Put16(bytes, 0); // no palette
    Put16(bytes, 1);
    Put16(bytes, 32);
    Put32(bytes, imageBytes);
    Put32(bytes, DirectoryBytes);
    // The image's height counts the colour rows and the mask's rows.
    Put32(bytes, BitmapHeaderBytes);
    Put32(bytes, width);
    Put32(bytes, height * 2);
    Put16(bytes, 1);
    Put16(bytes, 32);
    Put32(bytes, 0); // uncompressed
    Put32(bytes, static_cast<std::uint32_t>(bgra.size() + mask.size()));
    for (int i = 0; i < 4; ++i)
        Put32(bytes, 0);
    bytes.append(bgra.begin(), bgra.end());
    bytes.append(mask.begin(), mask.end());
    return bytes;
}

std::string IconDataUrl(const std::string& iconFile)
{
    constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string url = "data:image/x-icon;base64,";
    for (std::size_t i = 0; i < iconFile.size(); i += 3) {
        const std::size_t left = iconFile.size() - i;
        std::uint32_t group = static_cast<std::uint8_t>(iconFile[i]) << 16;
        if (left > 1)
            group |= static_cast<std::uint8_t>(iconFile[i + 1]) << 8;
        if (left > 2)
            group |= static_cast<std::uint8_t>(iconFile[i + 2]);
        url += Digits[(group >> 18) & 63];
        url += Digits[(group >> 12) & 63];
        url += left > 1 ? Digits[(group >> 6) & 63] : '=';
        url += left > 2 ? Digits[group & 63] : '=';
    }
    return url;
}
