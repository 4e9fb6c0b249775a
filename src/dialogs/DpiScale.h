#pragma once

// Every size the program lays out is given in pixels at 96 DPI (100 %); at another display scale
// it is multiplied by dpi / 96. Portable, so that the rules built on it are tested everywhere.

inline constexpr int DesignDpi = 96;

// value * numerator / denominator, rounded to the nearest integer, halves away from zero.
constexpr int MulDivRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / denominator);
}

// A size given at 96 DPI, at dpi.
constexpr int ScaledForDpi(int value, int dpi)
{
    return MulDivRounded(value, dpi, DesignDpi);
}
