#pragma once

#include <cstdint>
#include <string_view>

// The platform's predefined hive handles as 32-bit values; HiveNone names no hive, and
// every registry call refuses it.
inline constexpr std::uint32_t HiveNone = 0;
inline constexpr std::uint32_t HiveClassesRoot = 0x80000000;
inline constexpr std::uint32_t HiveCurrentUser = 0x80000001;
inline constexpr std::uint32_t HiveLocalMachine = 0x80000002;
inline constexpr std::uint32_t HiveUsers = 0x80000003;
inline constexpr std::uint32_t HivePerformanceData = 0x80000004;
inline constexpr std::uint32_t HiveCurrentConfig = 0x80000005;
inline constexpr std::uint32_t HiveDynData = 0x80000006;

// The hive a script names: HKCR, HKCU, HKLM, HKU, HKCC, HKPD or HKDD in any letter case.
// Only the third character, and after a C the fourth, are looked at, so ZZLM gives
// HKEY_LOCAL_MACHINE and HKCUX HKEY_CURRENT_USER; every other name, the long forms such as
// HKEY_CURRENT_USER among them, gives HiveNone.
std::uint32_t RootKeyFromName(std::string_view name);
