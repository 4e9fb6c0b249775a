// What a page's script sees through window.external, run by lvscript in the real script
// engine against the real registry. Everything happens below a key of its own under HKCU,
// removed at the end, but for the menu delay of the System object, put back at the end.
// host.args: a key under HKLM that the caller checks and removes.
var registry = external.Registry;
var base = "Software\\LumivantaTest-" + Math.floor(Math.random() * 1e9);

function rootObject() {
    check("CheckVer of this version", external.CheckVer(100), true);
    check("CheckVer of a later version", external.CheckVer(101), false);
    check("the same Registry object on every read", external.Registry === registry, true);
    external.ProcessMessages();
    check("ProcessMessages returns", true, true);
}

function strings() {
    check("a key is made with its missing parents", registry.RegCreateKey("HKCU", base + "\\A\\B"), true);
    check("making it again succeeds", registry.RegCreateKey("hkcu", base + "\\A\\B"), true);
    registry.RegWriteString("HKCU", base, "text", "hello");
    check("a string reads back", registry.RegReadString("HKCU", base, "text"), "hello");
    check("a missing value reads as empty text", registry.RegReadString("HKCU", base, "none"), "");
    check("the long hive name names nothing", registry.RegReadString("HKEY_CURRENT_USER", base, "text"), "");
    registry.RegWriteString("HKCU", base + "\\Missing", "text", "x");
    check("a write never makes a key", registry.RegKeyExists("HKCU", base + "\\Missing"), false);
    registry.RegWriteExpandString("HKCU", base, "path", "%SystemRoot%\\x");
    check("an expandable string comes back unexpanded", registry.RegReadString("HKCU", base, "path"), "%SystemRoot%\\x");
    check("the value types by name", registry.RegValueType("HKCU", base, "text") + registry.RegValueType("HKCU", base, "path") +
          registry.RegValueType("HKCU", base, "none") + registry.RegValueType("HKCU", base + "\\Missing", "text"), "szexpand");
    check("RegCreateKey with the long hive name fails with the key named",
          failure(function () { registry.RegCreateKey("HKEY_CURRENT_USER", "Software"); }),
          "Failed to create key Software");
    registry.RegCreateKey("HKLM", host.args[0]);
    registry.RegWriteString("HKLM", host.args[0], "Gr\u00f6\u00dfe", "\u00e9 \u00df \u20ac");
    check("non-ASCII reads back", registry.RegReadString("HKLM", host.args[0], "Gr\u00f6\u00dfe"), "\u00e9 \u00df \u20ac");
    registry.RegWriteString("HKCU", base, "lacking", "\u03a9\uff3c");
    check("what the code page lacks reads as ?", registry.RegReadString("HKCU", base, "lacking"), "??");
}

function numbers() {
    registry.RegWriteBool("HKCU", base, "flag", true);
    check("a flag written true reads as 1", registry.RegReadInt("HKCU", base, "flag"), 1);
    check("a flag reads back", registry.RegReadBool("HKCU", base, "flag"), true);
    registry.RegWriteInt("HKCU", base, "seven", 7);
    check("any non-zero number is true", registry.RegReadBool("HKCU", base, "seven"), true);
    registry.RegWriteString("HKCU", base, "twelve", "12");
    check("a string is no number", registry.RegReadInt("HKCU", base, "twelve"), 0);
    check("reading a string as a flag fails with the value named",
          failure(function () { registry.RegReadBool("HKCU", base, "twelve"); }), "Invalid data type for 'twelve'");
    check("reading a number as text fails with the value named",
          failure(function () { registry.RegReadString("HKCU", base, "seven"); }), "Invalid data type for 'seven'");
    registry.RegWriteInt("HKCU", base, "twelve", 99);
    check("RegWriteInt leaves a string unchanged", registry.RegReadString("HKCU", base, "twelve"), "12");
    check("a missing flag is false", registry.RegReadBool("HKCU", base, "none"), false);
}

function valueLists() {
    var key = base + "\\List";
    registry.RegCreateKey("HKCU", key);
    check("a key without values counts none", registry.ValuesCount("HKCU", key), 0);
    registry.RegWriteString("HKCU", key, "a", "1");
    registry.RegWriteString("HKCU", key, "b", "2");
    registry.RegWriteString("HKCU", key, "", "default");
    check("the default value is counted", registry.ValuesCount("HKCU", key), 3);
    check("ValuesNames with -1 gives the count", registry.ValuesNames("HKCU", key, -1), 3);
    var names = [];
    for (var i = 0; i < 3; i++)
        names.push(registry.ValuesNames("", "", i));
    names.sort();
    check("the names by index", names.join(","), ",a,b");
    check("an index past the list gives empty text", registry.ValuesNames("", "", 3), "");
    check("a missing key has no values", registry.ValuesNames("HKCU", key + "\\Missing", -1), 0);
    registry.RegWriteString("HKCU", key, "Gr\u00f6\u00dfe", "");
    check("a non-ASCII name is listed", registry.ValuesNames("HKCU", key, -1) + registry.ValuesNames("", "", 3),
          "4Gr\u00f6\u00dfe");
    check("a value exists", registry.RegValueExists("HKCU", key, "a"), true);
    check("a deleted value is gone", registry.RegDeleteValue("HKCU", key, "a"), true);
    check("deleting it again gives false", registry.RegDeleteValue("HKCU", key, "a"), false);
}

function keys() {
    check("full access to our own key", registry.HasFullAccess("HKCU", base), true);
    check("no key keeps its subkeys against the wish", registry.RegDeleteKey("HKCU", base + "\\A", false), false);
    check("so both are still there", registry.RegKeyExists("HKCU", base + "\\A\\B"), true);
    check("a whole tree goes", registry.RegDeleteKey("HKCU", base + "\\A", true), true);
    check("with its subkeys", registry.RegKeyExists("HKCU", base + "\\A"), false);
    check("a missing key is not deleted", registry.RegDeleteKey("HKCU", base + "\\A", true), false);
    check("an empty path never deletes the hive", registry.RegDeleteKey("HKCU", "", true), false);
    for (var path = "\\"; path.length <= 3; path += "\\")
        check("a path of backslashes deletes nothing", registry.RegDeleteKey("HKCR", path, true) ||
              registry.RegDeleteKey("HKCU", path, true), false);
}

// A change through SystemParametersInfo is read back by the same call in this process and kept
// in the user's registry; names, values and areas outside the table are refused, changing nothing.
function systemParameters() {
    var system = external.System, delay = system.GetSystemParameter("MENUSHOWDELAY"), set = delay + 17;
    function state() {
        return system.GetSystemParameter("MENUSHOWDELAY") + " " +
               registry.RegReadString("HKCU", "Control Panel\\Desktop", "MenuShowDelay");
    }
    check("the same System object on every read", external.System === system, true);
    try {
        check("a parameter set is read back and stored where Windows keeps it",
              system.SetSystemParameter("MENUSHOWDELAY", set) + " " + state(), "true " + set + " " + set);
        check("a switch is true or false", typeof system.GetSystemParameter("DRAGFULLWINDOWS"), "boolean");
        check("a name outside the table", failure(function () { system.SetSystemParameter("DESKWALLPAPER", 1); }),
              "There is no system parameter named 'DESKWALLPAPER'");
        check("a value outside the bounds", failure(function () { system.SetSystemParameter("MENUSHOWDELAY", -1); }),
              "The system parameter 'MENUSHOWDELAY' takes a whole number of at least 0");
        check("a value of another type", failure(function () { system.SetSystemParameter("DRAGFULLWINDOWS", 1); }),
              "The system parameter 'DRAGFULLWINDOWS' takes true or false");
        check("and they changed nothing", state(), set + " " + set);
        check("an area is announced, one outside the list refused", system.NotifySettingChange("Environment") + " " +
              failure(function () { system.NotifySettingChange("Desktop"); }), "true There is no setting area named 'Desktop'");
    } finally {
        system.SetSystemParameter("MENUSHOWDELAY", delay);
    }
}

try {
    rootObject();
    systemParameters();
    strings();
    numbers();
    valueLists();
    keys();
} finally {
    registry.RegDeleteKey("HKCU", base, true);
}
check("the test key is gone", registry.RegKeyExists("HKCU", base), false);
host.echo(passed + " passed, " + failed + " failed");
if (failed > 0)
    throw new Error(failed + " checks failed");
