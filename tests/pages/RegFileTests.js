// Registry files read and written by RegFile, and settings carried through them by
// SettingsTransfer, in the real script engine over the seeded registry of EngineTests.js, which
// calls these after the engine's own checks. Uses check, failure, registry and statesOf.
var header = "Windows Registry Editor Version 5.00";

function regText(lines) {
    return lines.join("\r\n") + "\r\n";
}

function entriesText(text) {
    var entries, result = [], i, e;
    try {
        entries = RegFile.parse(text).entries;
    } catch (error) {
        return error.message;
    }
    for (i = 0; i < entries.length; i++) {
        e = entries[i];
        result.push(e.root + "\\" + e.key + (e.deletesKey ? " deleted" : "|" + e.name + "|" + e.state.type +
                    (e.state.kind === undefined ? "" : e.state.kind) + ":" + e.state.data));
    }
    return result.join("; ");
}

var regFileCases = [
    ["escapes and the default value", [header, "", "[HKEY_CURRENT_USER\\T]", "\"a\\\"b\\\\c\"=\"x\\\"y\\\\z\"", "@=\"d\""],
     "HKCU\\T|a\"b\\c|sz:x\"y\\z; HKCU\\T||sz:d"],
    ["every type, a deletion and a continued line", [header, "; a comment", "[HKEY_CURRENT_USER\\T]", "\"d\"=dword:0000002a",
        "\"e\"=dword:FFFFFFFF", "\"f\"=hex:01,ab,\\", "  02", "\"g\"=hex(2):41,00,25,00,00,00", "\"h\"=hex(7):41,00,00,00,00,00",
        "\"i\"=hex(b):01,00,00,00,00,00,00,00", "\"j\"=hex(0):", "\"k\"=hex(1):6b,00,00,00", "\"l\"=-"],
     "HKCU\\T|d|dword:42; HKCU\\T|e|dword:-1; HKCU\\T|f|binary:01AB02; HKCU\\T|g|expand:A%; HKCU\\T|h|other7:410000000000; " +
     "HKCU\\T|i|other11:0100000000000000; HKCU\\T|j|other0:; HKCU\\T|k|sz:k; HKCU\\T|l|none:"],
    ["REGEDIT4 with narrow text and a key deletion", ["REGEDIT4", "[-HKEY_LOCAL_MACHINE\\Software\\T]",
        "[HKEY_CURRENT_USER\\T]", "\"e\"=hex(2):41,42,00"], "HKLM\\Software\\T deleted; HKCU\\T|e|expand:AB"],
    ["an unterminated string", [header, "[HKEY_CURRENT_USER\\T]", "\"a\"=\"b"],
     "Line 3: a quoted text without its closing quote."],
    ["a truncated hex line", [header, "[HKEY_CURRENT_USER\\T]", "\"f\"=hex:01,02,", "\"g\"=\"x\""],
     "Line 3: the hex data ends with a comma, so it is cut short."],
    ["a continuation that breaks off", [header, "[HKEY_CURRENT_USER\\T]", "\"f\"=hex:01,02,\\"],
     "Line 3: the hex data breaks off after the \"\\\" that continues it."],
    ["no header", ["REGEDIT5", "[HKEY_CURRENT_USER\\T]"], "Line 1: not a registry file: it does not start with \"" +
     header + "\" or \"REGEDIT4\"."],
    ["an unknown root", [header, "[HKEY_SOMEWHERE\\T]"], "Line 2: \"HKEY_SOMEWHERE\" is not a root key such as HKEY_CURRENT_USER."]
];

function regFilesAreRead() {
    var i, big = header + "\r\n;";
    for (i = 0; i < regFileCases.length; i++)
        check("a registry file with " + regFileCases[i][0], entriesText(regText(regFileCases[i][1])), regFileCases[i][2]);
    while (big.length <= RegFile.maxLength)
        big += big;
    check("a file of 4 MiB + 1 is refused", entriesText(big.substring(0, RegFile.maxLength + 1)),
          "The file is larger than 4 MiB, which no file of settings is.");
    check("what is written reads back", entriesText(RegFile.format([
        { root: "HKCU", key: "B", name: "x", state: { type: "expand", data: "%USERPROFILE%\\a long path to wrap it" } },
        { root: "HKCU", key: "A", name: "", state: { type: "sz", data: "two\r\nlines \"q\"" } },
        { root: "HKLM", key: "A", name: "n", state: { type: "dword", data: -2 } },
        { root: "HKCU", key: "A", name: "b", state: { type: "binary", data: "00FF" } },
        { root: "HKCU", key: "A", name: "c", state: { type: "none", data: "" } }], ["note"])),
        "HKCU\\A||sz:two\r\nlines \"q\"; HKCU\\A|b|binary:00FF; HKCU\\A|c|none:; " +
        "HKCU\\B|x|expand:%USERPROFILE%\\a long path to wrap it; HKLM\\A|n|dword:-2");
}

function firstDefinition(test) {
    var i;
    for (i = 0; i < TweakDefinitions.length; i++) {
        if (hasWindowsDefault(TweakDefinitions[i]) && test(TweakDefinitions[i]))
            return TweakDefinitions[i];
    }
    return null;
}

// Three settings changed, of three types in three categories, and two bits of a binary value that several settings share, exported,
// restored and imported again: every value comes back with its type, the bits alone changed,
// each import journaled; a file refused for its last line writes nothing.
// The changes of the plan to the settings given. (Wine gives some System settings otherwise than
// the registry holds them, so its plan holds those too.)
function chosenOf(plan, defs) {
    var chosen = [], i, j;
    for (i = 0; i < plan.changes.length; i++) {
        for (j = 0; j < defs.length; j++) {
            if (plan.changes[i].def === defs[j])
                chosen.push(plan.changes[i]);
        }
    }
    return chosen;
}

function settingsTravel() {
    var changed = [], seen = {}, before = [], i, def, text, plan, entries, broken;
    for (i = 0; i < 5; i++) {
        def = firstDefinition(function (d) {
            return !WineRefuses[d.spi] && !WineKeepsElsewhere[d.spi] && TweakEngine.isAvailable(registry, d) &&
                (i < 3 ? d.root === "HKCU" && !seen[d.category] && d.type === ["expand", "dword", "sz"][i] && d.kind !== "toggle" :
                    d.bit && d.type === "binary" && !seen[d.id]);
        });
        seen[def.category] = seen[def.type] = seen[def.id] = changed.push(def);
        TweakEngine.apply(registry, def, statesOf(def)[same(TweakEngine.read(registry, def), statesOf(def)[0]) ? 1 : 0]);
    }
    for (i = 0; i < changed.length; i++)
        before.push(stateText(changed[i]));
    text = SettingsTransfer.exportText(registry, TweakDefinitions, "1.0", new Date()).text;
    check("the export starts as regedit's files do, with CRLF lines", text.split("\r\n")[0] + " " +
          /[^\r]\n/.test(text), header + " false");
    for (i = 0; i < changed.length; i++)
        TweakEngine.restore(registry, changed[i]);
    check("a value shared by bits is written once", text.split("\"" + def.value + "\"=").length, 2);
    entries = TweakEngine.journal(registry).length;
    plan = SettingsTransfer.importPlan(registry, TweakDefinitions, text.replace(/\r\n$/,
        "[HKEY_CURRENT_USER\\Software\\Lumivanta test]\r\n\"not ours\"=dword:00000001\r\n"));
    check("the preview lists the five settings and the value of no setting", chosenOf(plan, changed).length + " " +
          plan.others[plan.others.length - 1].what, "5 \"not ours\"");
    check("a value of no setting is never written", registry.RegKeyExists("HKCU", "Software\\Lumivanta test"), false);
    SettingsTransfer.applyImport(registry, chosenOf(plan, changed));
    for (i = 0; i < changed.length; i++)
        check(changed[i].id + " comes back with its type", stateText(changed[i]), before[i]);
    check("each import is journaled", TweakEngine.journal(registry).length, entries + 5);
    for (i = 0; i < changed.length; i++)
        TweakEngine.restore(registry, changed[i]);
    def = changed[0];
    check("a malformed file is refused with its line and writes nothing", failure(function () {
        SettingsTransfer.importPlan(registry, TweakDefinitions, text + "\"cut\"=\"short\r\n");
    }) + " " + TweakEngine.isDefault(registry, def), "Line " + text.split("\r\n").length +
          ": a quoted text without its closing quote. true");
    plan = chosenOf(SettingsTransfer.importPlan(registry, TweakDefinitions, text), changed);
    entries = TweakEngine.journal(registry).length;
    for (broken = plan.length - 1; plan[broken].def.spi; broken--)
        continue;
    plan[broken] = copyOf(plan[broken], { def: copyOf(plan[broken].def, { key: plan[broken].def.key + " missing" }) });
    check("an import that fails half way is taken back whole", broken > 0 && failure(function () {
        SettingsTransfer.applyImport(registry, plan);
    }) + " " + TweakEngine.isDefault(registry, def) + " " + TweakEngine.journal(registry).length, plan[broken].def.title +
          ": the setting could not be changed. Nothing was imported. true " + entries);
}

// A quoted text's line breaks, as escapes; a key's deletion in an imported file takes the settings
// below that key, none of a sibling key whose name starts the same.
function regFileEdgesHold() {
    function settingsTaken(key) {
        var plan = SettingsTransfer.importPlan(registry, TweakDefinitions,
                                               regText([header, "[-HKEY_CURRENT_USER\\" + key + "]"]));
        return plan.changes.length + plan.same;
    }
    check("a registry file with \\n and \\r in a text", entriesText(regText([header, "[HKEY_CURRENT_USER\\T]",
        "\"n\"=\"a\\nb\\rc\""])), "HKCU\\T|n|sz:a\nb\rc");
    check("a key's deletion takes the settings below it, none of a sibling", (settingsTaken("Control Panel\\Desktop") > 0) +
          " " + settingsTaken("Control Panel\\Deskto"), "true 0");
}
