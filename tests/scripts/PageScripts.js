// What a page's script sees through window.external, run by lvscript in the real script
// engine against the real registry. Everything happens below a key of its own under HKCU,
// removed at the end, but for the menu delay of the System object, put back at the end.
// host.args: a key under HKLM that the caller checks and removes, and a key under HKCU that the
// caller has made read-only.
var registry = external.Registry;
var base = "Software\\LumivantaTest-" + Math.floor(Math.random() * 1e9);

// The checks themselves: a result that differs from the one expected only in its second half fails,
// however the two texts were built (Wine's script engine compares two built with "+" by their first half).
function checksCompareWholeTexts() {
    var told = [], tell = report, kept = 19;
    report = function (text) {
        told.push(text);
    };
    check("a built text", "the journal keeps the newest " + kept, "the journal keeps the newest " + (kept + 1));
    report = tell;
    failed -= told.length;
    check("a built text that differs only in its second half fails its check", told.length, 1);
}

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
    check("a key made anew, and once it is there", registry.RegCreateNewKey("HKCU", base + "\\A\\B\\C") + " " +
          registry.RegCreateNewKey("HKCU", base + "\\A\\B\\C") + " " + registry.RegCreateNewKey("HKCU", base + "\\A"), "true false false");
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
    check("what a code page lacks reads back", registry.RegReadString("HKCU", base, "lacking"), "\u03a9\uff3c");
}

// Texts that no code page holds: Cyrillic, CJK, an emoji (a surrogate pair), an unpaired surrogate.
function unicode() {
    var text = "\u0422\u0435\u0441\u0442 \u4e2d\u6587 \ud83d\ude00 \ud800.", key = base + "\\" + text, names = [];
    check("a key of such a name is made and found", registry.RegCreateKey("HKCU", key) &&
          registry.RegKeyExists("HKCU", key), true);
    registry.RegWriteString("HKCU", key, text, text);
    registry.RegWriteExpandString("HKCU", key, "path", "%TEMP%\\" + text);
    check("such texts under such names read back exactly", registry.RegReadString("HKCU", key, text) + "|" +
          registry.RegReadString("HKCU", key, "path"), text + "|%TEMP%\\" + text);
    check("a failure names the value exactly", failure(function () { registry.RegReadBool("HKCU", key, text); }),
          "Invalid data type for '" + text + "'");
    registry.RegWriteString("HKCU", key, "Sync \u2605", "star");
    registry.RegWriteString("HKCU", key, "Sync ?", "question");
    for (var i = 0; i < registry.ValuesNames("HKCU", key, -1); i++)
        names.push(registry.ValuesNames("", "", i));
    check("names that differ in one such character are listed apart", names.sort().join("|"),
          ["Sync ?", "Sync \u2605", "path", text].sort().join("|"));
    check("deleting one of them", registry.RegDeleteValue("HKCU", key, "Sync \u2605"), true);
    check("leaves the other", registry.RegReadString("HKCU", key, "Sync ?"), "question");
    var nul = function (call) { return failure(call).replace(/ cannot hold a NUL character$/, ""); };
    check("a NUL fails in a name, a text or a key path", [
        nul(function () { registry.RegWriteString("HKCU", key, "a\u0000b", "x"); }),
        nul(function () { registry.RegDeleteValue("HKCU", key, "Sync ?\u0000x"); }),
        nul(function () { registry.RegWriteString("HKCU", key, "a", "x\u0000y"); }),
        nul(function () { registry.RegCreateKey("HKCU", key + "\\a\u0000b"); })].join("|"),
        "Invalid value name: a registry value name|Invalid value name: a registry value name|" +
        "Invalid text for 'a': a registry string|Invalid key path: a registry key path");
    check("and changes nothing", registry.ValuesCount("HKCU", key) + "" + registry.RegKeyExists("HKCU", key + "\\a"),
          "3false");
    check("the key goes by its name", registry.RegDeleteKey("HKCU", key, false), true);
    registry.RegWriteString("HKLM", host.args[0], "\u041a\u043b\u044e\u0447 \u2605",
                            "\u0422\u0435\u0441\u0442 \u4e2d\u6587 \ud83d\ude00");
}

// The writes say whether they wrote.
function writeResults() {
    var writes = function (key) {
        return [registry.RegWriteString("HKCU", key, "s", "x"), registry.RegWriteInt("HKCU", key, "i", 1),
                registry.RegWriteBool("HKCU", key, "b", true), registry.RegWriteExpandString("HKCU", key, "e", "%x%"),
                registry.RegWriteBinary("HKCU", key, "r", "00")].join();
    };
    check("true when written", writes(base), "true,true,true,true,true");
    check("false under a missing key", writes(base + "\\Missing"), "false,false,false,false,false");
    check("false under a read-only key, which keeps nothing",
          writes(host.args[1]) + registry.ValuesCount("HKCU", host.args[1]), "false,false,false,false,false0");
}

function binary() {
    registry.RegWriteBinary("HKCU", base, "bin", "9e1E0780120000fF");
    registry.RegWriteBinary("HKCU", base, "empty", "");
    check("binary data written from hex reads back as upper-case hex", registry.RegReadBinary("HKCU", base, "bin") + "|" +
          registry.RegReadBinary("HKCU", base, "empty") + "|" + registry.RegValueType("HKCU", base, "empty"),
          "9E1E0780120000FF||binary");
    check("a missing value reads as empty text", registry.RegReadBinary("HKCU", base, "none"), "");
    check("a value of another type fails", failure(function () { registry.RegReadBinary("HKCU", base, "text"); }),
          "Invalid data type for 'text'");
    var malformed = ["9E1", "GG", "9E 1E", "0x9E", "\uff10\uff10"];
    for (var i = 0; i < malformed.length; i++)
        check("malformed hex fails: " + malformed[i], failure(function () {
            registry.RegWriteBinary("HKCU", base, "bin", malformed[i]);
        }), "Invalid binary data for 'bin': give the bytes as pairs of hexadecimal digits, such as 0A1B");
    check("and writes nothing", registry.RegReadBinary("HKCU", base, "bin"), "9E1E0780120000FF");
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
    check("RegWriteInt onto a string writes nothing", registry.RegWriteInt("HKCU", base, "twelve", 99), false);
    check("and leaves it unchanged", registry.RegReadString("HKCU", base, "twelve"), "12");
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
    checksCompareWholeTexts();
    rootObject();
    systemParameters();
    strings();
    unicode();
    writeResults();
    binary();
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
