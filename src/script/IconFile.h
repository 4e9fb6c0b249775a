#pragma once

// An icon as a page can show it: the bytes of an .ico file holding one 32-bit image, and those
// bytes as a "data:" URL.

#include <cstdint>
#include <string>
#include <vector>

// bgra: width × height pixels, bottom row first, four bytes each (blue, green, red, alpha);
// mask: the AND mask, bottom row first, each row padded to 32 bits.
std::string IconFileBytes(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& bgra,
                          const std::vector<std::uint8_t>& mask);

std::string IconDataUrl(const std::string& iconFile);
