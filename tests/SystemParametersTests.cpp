// The table of system parameters behind external.System (its messages are tried through lvscript).
#include "script/SystemParameters.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <set>

TEST(SystemParameterTable, NamesAreUniqueAndExactAndBoundsHoldAValueOfTheType)
{
    std::set<std::string_view> names;
    for (const TSystemParameter& entry : SystemParameters()) {
        EXPECT_TRUE(names.insert(entry.Name).second && &SystemParameterNamed(entry.Name) == &entry) << entry.Name;
        EXPECT_TRUE(0 <= entry.Min && entry.Min < entry.Max &&
                    (entry.Type != TSystemParameterType::Bool || entry.Max == 1)) << entry.Name;
        const TScriptValue otherType{entry.Type == TSystemParameterType::Bool ? TScriptValue::TKind::Number
                                                                           : TScriptValue::TKind::Bool, 1};
        EXPECT_THROW(SystemParameterArgument(entry, otherType), Exception) << entry.Name;
    }
    EXPECT_THROW(SystemParameterNamed("dockmoving"), Exception);
    EXPECT_THROW(SystemParameterArgument(SystemParameterNamed("KEYBOARDDELAY"), {TScriptValue::TKind::Number, 1.5}),
                 Exception);
    EXPECT_THROW(SystemParameterArgument(SystemParameterNamed("MOUSE.ACCELERATION"), {TScriptValue::TKind::Number, 3}),
                 Exception);
}
