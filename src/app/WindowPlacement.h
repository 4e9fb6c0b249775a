#pragma once

// The main window's stored placement: four bounds in eight bytes, the default bounds, and the
// rule that decides whether a stored placement is used.

#include "dialogs/DpiScale.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct TWindowBounds {
    int Width = 0;
    int Height = 0;
    int Left = 0;
    int Top = 0;
    bool operator==(const TWindowBounds&) const = default;
};

// A monitor's area in screen pixels, Right and Bottom just outside it, and its DPI.
struct TScreenRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Dpi = DesignDpi;
};

inline constexpr int DefaultWindowWidth = 700;
inline constexpr int DefaultWindowHeight = 500;
inline constexpr std::size_t PlacementSize = 8;

// Width, height, left, top: each cut to its low 16 bits, little-endian.
std::array<std::uint8_t, PlacementSize> EncodePlacement(const TWindowBounds& bounds);
// Each field sign-extended from 16 bits.
TWindowBounds DecodePlacement(const std::array<std::uint8_t, PlacementSize>& bytes);

// 700 x 500 at 96 DPI, centred on a primary screen of the given size. At a higher DPI the size
// is scaled, but grows no larger than the screen.
TWindowBounds DefaultPlacement(int screenWidth, int screenHeight, int dpi = DesignDpi);

// Whether some part of the window lies on some monitor; an empty rectangle lies on none.
bool IsOnSomeMonitor(const TWindowBounds& bounds, std::span<const TScreenRect> monitors);

// The bounds the window opens at. stored holds the bytes of the stored binary value, or nothing
// when there is no value or it is not binary; storedDpi is the DPI the window had when they were
// stored. Anything but exactly eight bytes, or bounds off every monitor, gives the default on
// the primary screen, at its DPI: the window must never open where the user cannot see it.
// Bounds that come back onto a monitor of another DPI keep their top left corner and scale
// their size, so that the window shows as much as it did; a window that lay wholly on that
// monitor stays wholly on it.
TWindowBounds RestoredPlacement(std::optional<std::span<const std::uint8_t>> stored, int storedDpi,
                                std::span<const TScreenRect> monitors, int screenWidth, int screenHeight,
                                int primaryDpi = DesignDpi);
