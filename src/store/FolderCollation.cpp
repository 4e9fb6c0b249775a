#include "store/FolderCollation.h"

#include <array>
#include <cstdint>

namespace {
// Symbols in the order Windows collates them (measured with CompareStringA), then digits,
// then letters. The backslash joins nested folders, so it takes part in the order too.
constexpr std::string_view CollationOrder =
    " !#$%&(),.;@[\\]^_`{}~+=0123456789abcdefghijklmnopqrstuvwxyz";

constexpr std::array<std::uint16_t, 256> MakeWeights()
{
    std::array<std::uint16_t, 256> weights{};
    // Characters outside the portable set sort after it, by their lower-cased byte value:
    // still a case-insensitive total order, though not the Windows one.
    for (int c = 0; c < 256; ++c) {
        const int lower = c >= 'A' && c <= 'Z' ? c + 32 : c;
        weights[c] = static_cast<std::uint16_t>(CollationOrder.size() + lower);
    }
    for (std::size_t i = 0; i < CollationOrder.size(); ++i) {
        const auto c = static_cast<unsigned char>(CollationOrder[i]);
        weights[c] = static_cast<std::uint16_t>(i);
        if (c >= 'a' && c <= 'z')
            weights[c - 32] = static_cast<std::uint16_t>(i);
    }
    return weights;
}

constexpr auto Weights = MakeWeights();
}

int ComparePortableFolderNames(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int wa = Weights[static_cast<unsigned char>(a[i])];
        const int wb = Weights[static_cast<unsigned char>(b[i])];
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsPortableFolderChar(char c)
{
    return Weights[static_cast<unsigned char>(c)] < CollationOrder.size();
}
