#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The two-character key prefix of a folder number: codes 32 + (n shr 7) and 32 + (n and 127),
// each cut to 8 bits. For 0 to 16383 both lie in 32..159 and sort in number order.
std::string NumToStr2(std::int32_t number);

// The folder number that a key's first two characters stand for, when they are a prefix
// that NumToStr2 makes for 0 to 16383.
std::optional<std::int32_t> Str2ToNum(std::string_view key);

inline constexpr std::int32_t MaxFolderNumber = 16383;
