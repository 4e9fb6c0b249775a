#pragma once

// The fixed table of system parameters that the System object of page scripts reads and
// changes (SystemParameterList.h), and the checks of a script's argument against an entry's
// type and bounds. Portable: the calls themselves are in SystemParameters_win.cpp.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

enum class TSystemParameterType { Bool, Int };

struct TSystemParameter {
    std::string_view Name;
    TSystemParameterType Type;
    long Min;
    long Max;
};

// The bounds the reference gives by a constant's name (FE_FONTSMOOTHING*, USER_TIMER_*).
inline constexpr long NoLimit = 0x7FFFFFFF;
inline constexpr long FontSmoothingStandard = 1;
inline constexpr long FontSmoothingClearType = 2;
inline constexpr long UserTimerMinimum = 0x0000000A;
inline constexpr long UserTimerMaximum = 0x7FFFFFFF;

// Every entry, in the list's order; an entry's position is its index into the calls.
std::span<const TSystemParameter> SystemParameters();

// The entry named exactly so; raises Exception "There is no system parameter named 'NAME'".
const TSystemParameter& SystemParameterNamed(std::string_view name);

// A script's value as far as the checks need it: a number, or true (1) and false (0).
struct TScriptValue {
    enum class TKind { Bool, Number, Other };
    TKind Kind = TKind::Other;
    double Number = 0;
};

// The value to pass for the entry: 0 or 1 for a Bool entry, the whole number for an Int entry.
// Raises Exception with a message naming the entry when the value has the wrong type or lies
// outside the bounds.
long SystemParameterArgument(const TSystemParameter& entry, const TScriptValue& value);

// An area that NotifySettingChange may name, as the receivers of WM_SETTINGCHANGE know it;
// raises Exception "There is no setting area named 'AREA'" for any other.
std::string_view SettingAreaNamed(std::string_view area);
