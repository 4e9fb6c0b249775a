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

TWindowBounds DefaultPlacement(int screenWidth, int screenHeight, int dpi)
{
    const int width = std::min(ScaledForDpi(DefaultWindowWidth, dpi), std::max(DefaultWindowWidth, screenWidth));
    const int height = std::min(ScaledForDpi(DefaultWindowHeight, dpi), std::max(DefaultWindowHeight, screenHeight));
    // Integer division truncates toward zero, as the stored formula asks.
    return {width, height, screenWidth / 2 - width / 2, screenHeight / 2 - height / 2};
}

namespace {

// The area the window and the monitor share; 0 when they do not overlap. 64-bit: a decoded bound
// plus a size cannot overflow, but callers may pass any int.
long long SharedArea(const TWindowBounds& bounds, const TScreenRect& monitor)
{
    const long long width = std::min<long long>(static_cast<long long>(bounds.Left) + bounds.Width, monitor.Right) -
                            std::max<long long>(bounds.Left, monitor.Left);
    const long long height = std::min<long long>(static_cast<long long>(bounds.Top) + bounds.Height, monitor.Bottom) -
                             std::max<long long>(bounds.Top, monitor.Top);
    return width > 0 && height > 0 ? width * height : 0;
}

bool IsWhollyOn(const TWindowBounds& bounds, const TScreenRect& monitor)
{
    return bounds.Left >= monitor.Left && bounds.Top >= monitor.Top &&
           static_cast<long long>(bounds.Left) + bounds.Width <= monitor.Right &&
           static_cast<long long>(bounds.Top) + bounds.Height <= monitor.Bottom;
}

// bounds, stored at storedDpi, on a monitor of another DPI: the size scaled; a window that lay
// wholly on the monitor stays so, no larger than it and moved in only as far as needed.
TWindowBounds ScaledOnto(TWindowBounds bounds, const TScreenRect& monitor, int storedDpi)
{
    const bool wholly = IsWhollyOn(bounds, monitor);
    bounds.Width = MulDivRounded(bounds.Width, monitor.Dpi, storedDpi);
    bounds.Height = MulDivRounded(bounds.Height, monitor.Dpi, storedDpi);
    if (wholly) {
        bounds.Width = std::min(bounds.Width, monitor.Right - monitor.Left);
        bounds.Height = std::min(bounds.Height, monitor.Bottom - monitor.Top);
        bounds.Left = std::min(bounds.Left, monitor.Right - bounds.Width);
        bounds.Top = std::min(bounds.Top, monitor.Bottom - bounds.Height);
    }
    return bounds;
}

}

bool IsOnSomeMonitor(const TWindowBounds& bounds, std::span<const TScreenRect> monitors)
{
    return std::any_of(monitors.begin(), monitors.end(),
                       [&](const TScreenRect& monitor) { return SharedArea(bounds, monitor) > 0; });
}

TWindowBounds RestoredPlacement(std::optional<std::span<const std::uint8_t>> stored, int storedDpi,
                                std::span<const TScreenRect> monitors, int screenWidth, int screenHeight,
                                int primaryDpi)
{
    if (stored && stored->size() == PlacementSize) {
        std::array<std::uint8_t, PlacementSize> bytes{};
        std::copy(stored->begin(), stored->end(), bytes.begin());
        TWindowBounds bounds = DecodePlacement(bytes);
        // The window takes the DPI of the monitor that holds most of it.
        const auto home = std::max_element(monitors.begin(), monitors.end(), [&](const auto& one, const auto& other) {
            return SharedArea(bounds, one) < SharedArea(bounds, other);
        });
        if (home != monitors.end() && SharedArea(bounds, *home) > 0)
            return storedDpi > 0 && home->Dpi != storedDpi ? ScaledOnto(bounds, *home, storedDpi) : bounds;
    }
    return DefaultPlacement(screenWidth, screenHeight, primaryDpi);
}
