// The table of system parameters that page scripts reach through external.System, and the
// checks of a script's value against an entry.
#include "script/SystemParameters.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using TKind = TScriptValue::TKind;

std::string Refusal(const char* name, TScriptValue value)
{
    try {
        SystemParameterArgument(SystemParameterNamed(name), value);
    } catch (const Exception& failure) {
        return failure.Message();
    }
    return "accepted";
}

}

TEST(SystemParameterTable, NamesAreUniqueAndBoundsHoldAValue)
{
    std::set<std::string_view> names;
    for (const TSystemParameter& entry : SystemParameters()) {
        EXPECT_TRUE(names.insert(entry.Name).second) << entry.Name;
        EXPECT_EQ(entry.Name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_.abcdefghijklmnopqrstuvwxyz"),
                  std::string_view::npos) << entry.Name;
        EXPECT_LE(0, entry.Min) << entry.Name;
        EXPECT_LT(entry.Min, entry.Max) << entry.Name;
        EXPECT_TRUE(entry.Type != TSystemParameterType::Bool || (entry.Min == 0 && entry.Max == 1)) << entry.Name;
    }
    // The names the definitions are written against, from the SET actions and structures.
    for (const char* name : {"DOCKMOVING", "DRAGFROMMAXIMIZE", "ACTIVEWINDOWTRACKING", "ACTIVEWNDTRKTIMEOUT",
                             "KEYBOARDCUES", "MOUSESONAR", "FONTSMOOTHINGCONTRAST", "SCREENSAVESECURE", "SNAPTODEFBUTTON",
                             "DOUBLECLICKTIME", "ANIMATION.iMinAnimate", "STICKYKEYS.SKF_HOTKEYACTIVE",
                             "HIGHCONTRAST.HCF_HOTKEYACTIVE"})
        EXPECT_EQ(SystemParameterNamed(name).Name, name);
}

TEST(SystemParameterTable, OnlyExactNamesAreFound)
{
    EXPECT_THROW(SystemParameterNamed("dockmoving"), Exception);
    EXPECT_THROW(SystemParameterNamed("MOUSECLICKLOCKTIME"), Exception);
    EXPECT_THROW(SystemParameterNamed("STICKYKEYS"), Exception);
    try {
        SystemParameterNamed("SETDESKWALLPAPER");
        FAIL();
    } catch (const Exception& failure) {
        EXPECT_EQ(failure.Message(), "There is no system parameter named 'SETDESKWALLPAPER'");
    }
}

TEST(SystemParameterArgument, TakesOnlyTheEntrysTypeWithinItsBounds)
{
    EXPECT_EQ(SystemParameterArgument(SystemParameterNamed("DOCKMOVING"), {TKind::Bool, 1}), 1);
    EXPECT_EQ(SystemParameterArgument(SystemParameterNamed("DOCKMOVING"), {TKind::Bool, 0}), 0);
    EXPECT_EQ(Refusal("DOCKMOVING", {TKind::Number, 1}), "The system parameter 'DOCKMOVING' takes true or false");
    EXPECT_EQ(SystemParameterArgument(SystemParameterNamed("KEYBOARDDELAY"), {TKind::Number, 3}), 3);
    EXPECT_EQ(Refusal("KEYBOARDDELAY", {TKind::Number, 4}),
              "The system parameter 'KEYBOARDDELAY' takes a whole number from 0 to 3");
    EXPECT_EQ(Refusal("KEYBOARDDELAY", {TKind::Number, -1}), Refusal("KEYBOARDDELAY", {TKind::Number, 4}));
    EXPECT_EQ(Refusal("KEYBOARDDELAY", {TKind::Number, 1.5}), Refusal("KEYBOARDDELAY", {TKind::Number, 4}));
    EXPECT_EQ(Refusal("KEYBOARDDELAY", {TKind::Bool, 1}), Refusal("KEYBOARDDELAY", {TKind::Number, 4}));
    EXPECT_EQ(Refusal("KEYBOARDDELAY", {}), Refusal("KEYBOARDDELAY", {TKind::Number, 4}));
    EXPECT_EQ(Refusal("FONTSMOOTHINGCONTRAST", {TKind::Number, 999}),
              "The system parameter 'FONTSMOOTHINGCONTRAST' takes a whole number from 1000 to 2200");
    EXPECT_EQ(Refusal("CARETWIDTH", {TKind::Number, 0}),
              "The system parameter 'CARETWIDTH' takes a whole number of at least 1");
    EXPECT_EQ(Refusal("CARETWIDTH", {TKind::Number, 2147483648.0}), Refusal("CARETWIDTH", {TKind::Number, 0}));
    EXPECT_EQ(SystemParameterArgument(SystemParameterNamed("CARETWIDTH"), {TKind::Number, 2147483647.0}), 2147483647);
}

TEST(SettingAreas, OnlyTheListedAreasAreAnnounced)
{
    EXPECT_EQ(SettingAreas().size(), 6u);
    EXPECT_EQ(SettingAreaNamed("Environment"), "Environment");
    EXPECT_EQ(SettingAreaNamed("ImmersiveColorSet"), "ImmersiveColorSet");
    try {
        SettingAreaNamed("environment");
        FAIL();
    } catch (const Exception& failure) {
        EXPECT_EQ(failure.Message(), "There is no setting area named 'environment'");
    }
}
