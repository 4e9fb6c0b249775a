#include "app/WindowPlacement.h"

#include <algorithm>

namespace {

void PutField(std::array<std::uint8_t, PlacementSize>& bytes, std::size_t at, int value)
{
    const auto bits = static_cast<std::uint16_t>(static_cast<unsigned>(value));
    bytes[at] = static_cast<std::uint8_t>(bits);
    bytes[at + 1] = static_cast<std::uint8_t>(bits >> 8);
}

int FieldAt(const std::array<std::uint8_t, PlacementSize>& bytes, std::size_t at)
{
    const auto bits = static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    return static_cast<std::int16_t>(bits);
}

}

std::array<std::uint8_t, PlacementSize> EncodePlacement(const TWindowBounds& bounds)
{
    std::array<std::uint8_t, PlacementSize> bytes{};
    PutField(bytes, 0, bounds.Width);
    PutField(bytes, 2, bounds.Height);
    PutField(bytes, 4, bounds.Left);
    PutField(bytes, 6, bounds.Top);
    return bytes;
}

TWindowBounds DecodePlacement(const std::array<std::uint8_t, PlacementSize>& bytes)
{
    return {FieldAt(bytes, 0), FieldAt(bytes, 2), FieldAt(bytes, 4), FieldAt(bytes, 6)};
}

TWindowBounds DefaultPlacement(int screenWidth, int screenHeight)
{
    // Integer division truncates toward zero, as the stored formula asks.
    return {DefaultWindowWidth, DefaultWindowHeight, screenWidth / 2 - DefaultWindowWidth / 2,
            screenHeight / 2 - DefaultWindowHeight / 2};
}

bool IsOnSomeMonitor(const TWindowBounds& bounds, std::span<const TScreenRect> monitors)
{
    // 64-bit sums: a decoded bound plus a size cannot overflow, but callers may pass any int.
    const long long right = static_cast<long long>(bounds.Left) + bounds.Width;
    const long long bottom = static_cast<long long>(bounds.Top) + bounds.Height;
    return std::any_of(monitors.begin(), monitors.end(), [&](const TScreenRect& monitor) {
        return std::max<long long>(bounds.Left, monitor.Left) < std::min<long long>(right, monitor.Right) &&
               std::max<long long>(bounds.Top, monitor.Top) < std::min<long long>(bottom, monitor.Bottom);
    });
}

TWindowBounds RestoredPlacement(std::optional<std::span<const std::uint8_t>> stored,
                                std::span<const TScreenRect> monitors, int screenWidth, int screenHeight)
{
    if (stored && stored->size() == PlacementSize) {
        std::array<std::uint8_t, PlacementSize> bytes{};
        std::copy(stored->begin(), stored->end(), bytes.begin());
        const TWindowBounds bounds = DecodePlacement(bytes);
        if (IsOnSomeMonitor(bounds, monitors))
            return bounds;
    }
    return DefaultPlacement(screenWidth, screenHeight);
}
