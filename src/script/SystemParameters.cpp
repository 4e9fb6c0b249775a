#include "script/SystemParameters.h"

#include "Exception.h"

#include <array>
#include <cmath>

namespace {

using enum TSystemParameterType;

constexpr TSystemParameter Table[] = {
#define LV_SPI_UI(NAME, TYPE, MIN, MAX) {#NAME, TYPE, MIN, MAX},
#define LV_SPI_PV(NAME, TYPE, MIN, MAX) {#NAME, TYPE, MIN, MAX},
#define LV_SPI_UI_READ_BY(NAME, TYPE, MIN, MAX, GETTER) {#NAME, TYPE, MIN, MAX},
#define LV_SPI_FLAG(ACTIONS, STRUCT, FLAG) {#ACTIONS "." #FLAG, Bool, 0, 1},
#define LV_SPI_FIELD(ACTIONS, STRUCT, FIELD) {#ACTIONS "." #FIELD, Bool, 0, 1},
#define LV_SPI_ITEM(ACTIONS, COUNT, INDEX, ITEM, MIN, MAX) {#ACTIONS "." #ITEM, Int, MIN, MAX},
#include "script/SystemParameterList.h"
#undef LV_SPI_UI
#undef LV_SPI_PV
#undef LV_SPI_UI_READ_BY
#undef LV_SPI_FLAG
#undef LV_SPI_FIELD
#undef LV_SPI_ITEM
};

// "Policy", "intl" and "Environment" are the reference's own; the others are the areas that
// Windows itself announces for the colour mode, the taskbar and the window metrics.
constexpr std::array<std::string_view, 6> Areas = {"Policy", "intl", "Environment", "ImmersiveColorSet",
                                                   "TraySettings", "WindowMetrics"};

std::string Quoted(std::string_view name)
{
    return "'" + std::string(name) + "'";
}

std::string BoundsText(const TSystemParameter& entry)
{
    if (entry.Max == NoLimit)
        return "a whole number of at least " + std::to_string(entry.Min);
    return "a whole number from " + std::to_string(entry.Min) + " to " + std::to_string(entry.Max);
}

[[noreturn]] void RefuseValue(const TSystemParameter& entry, const std::string& wanted)
{
    throw Exception("The system parameter " + Quoted(entry.Name) + " takes " + wanted);
}

}

std::span<const TSystemParameter> SystemParameters()
{
    return Table;
}

const TSystemParameter& SystemParameterNamed(std::string_view name)
{
    for (const TSystemParameter& entry : Table) {
        if (entry.Name == name)
            return entry;
    }
    throw Exception("There is no system parameter named " + Quoted(name));
}

long SystemParameterArgument(const TSystemParameter& entry, const TScriptValue& value)
{
    using TKind = TScriptValue::TKind;
    if (entry.Type == Bool) {
        if (value.Kind != TKind::Bool)
            RefuseValue(entry, "true or false");
        return value.Number != 0 ? 1 : 0;
    }
    const bool whole = value.Kind == TKind::Number && std::isfinite(value.Number) &&
                       std::trunc(value.Number) == value.Number;
    if (!whole || value.Number < static_cast<double>(entry.Min) || value.Number > static_cast<double>(entry.Max))
        RefuseValue(entry, BoundsText(entry));
    return static_cast<long>(value.Number);
}

std::string_view SettingAreaNamed(std::string_view area)
{
    for (std::string_view known : Areas) {
        if (known == area)
            return known;
    }
    throw Exception("There is no setting area named " + Quoted(area));
}
