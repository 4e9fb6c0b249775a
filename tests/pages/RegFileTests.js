// Registry files read and written by RegFile, and settings carried through them by
// SettingsTransfer, in the real script engine over the seeded registry of EngineTests.js, which
// calls these after the engine's own checks. Uses check, failure, registry and statesOf.
var header = "Windows Registry Editor Version 5.00";

function regText(lines) {
    return lines.join("\r\n") + "\r\n";
}

function ansiText(pairs) {
    return external.System.AnsiText(pairs);
}

// The entries, and after " | " the lines skipped with their reasons.
function entriesText(text) {
    var read, result = [], skipped = [], i, e;
    try {
        read = RegFile.parse(text, ansiText);
    } catch (error) {
        return error.message;
    }
    for (i = 0; i < read.entries.length; i++) {
        e = read.entries[i];
        result.push(e.root + "\\" + e.key + (e.deletesKey ? " deleted" : "|" + e.name + "|" + e.state.type +
                    (e.state.kind === undefined ? "" : e.state.kind) + ":" + e.state.data));
    }
    for (i = 0; i < read.skipped.length; i++)
        skipped.push(read.skipped[i].line + ": " + read.skipped[i].reason);
    return result.join("; ") + (skipped.length ? " | " + skipped.join("; ") : "");
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
     " | 3: a quoted text without its closing quote"],
    ["a hex line ending in a comma", [header, "[HKEY_CURRENT_USER\\T]", "\"f\"=hex:01,02,", "\"g\"=\"x\""],
     "HKCU\\T|f|binary:0102; HKCU\\T|g|sz:x"],
    ["a continuation at the end of the file", [header, "[HKEY_CURRENT_USER\\T]", "\"f\"=hex:01,02,\\"],
     "HKCU\\T|f|binary:0102"],
    ["no header", ["REGEDIT5", "[HKEY_CURRENT_USER\\T]"], "Line 1: not a registry file: it does not start with \"" +
     header + "\" or \"REGEDIT4\"."],
    ["an unknown root", [header, "[HKEY_SOMEWHERE\\T]"], " | 2: \"HKEY_SOMEWHERE\" is not a root key such as HKEY_CURRENT_USER"]
];

// Windows' rules of reading, a row each (regfile.js cites where each is stated): a row's lines
// follow the version 5 header and [HKEY_CURRENT_USER\T] unless it starts with a header of its own
// (or a blank line); what is read is given without "HKCU\T|", and " | " the lines skipped.
var notRegFile = "Line 1: not a registry file: it does not start with \"" + header + "\" or \"REGEDIT4\".";
var notALine = "neither a [key] line, a value line (\"name\"= or @=) nor a comment";
var readingRules = [
    [["#\"a\"=\"x\"", "  ;\"b\"=\"y\"", "\"c\"=\"z\" ;c", "\"d\"=\"z\" #c"],
     "c|sz:z | 6: something other than a \";\" comment follows the data"],
    [[" \t" + header + " ", "[HKEY_CURRENT_USER\\T]", "\"a\"=dword:1"], "a|dword:1"],
    [["", header, "[HKEY_CURRENT_USER\\T]"], notRegFile],
    [["regedit4"], notRegFile],
    [["\"a\"=hex:01,02 ;c", "\"b\"=hex:01,02 #c", "\"c\"=hex:1,ab,\\ ;c", "", "  ;c", "  02,", "  03"],
     "a|binary:0102; c|binary:01AB02 | 4: \"#\" follows a byte of the hex data; 9: " + notALine],
    [["\"a\"=hex:01,\\", "\"b\"=\"x\"", "\"c\"=hex:01\\", "\"d\"=\"y\"", "\"e\"=hex:01,\\", "  ,02", "\"f\"=hex:\\", "\\",
      "\"g\"=hex:1ab", "\"h\"=hex:01,,02"],
     "d|sz:y | 3: \"\"\" is not a byte in hexadecimal (line 4); 5: a \"\\\" that continues hex data must follow a comma; " +
     "7: a byte is missing before a comma in the hex data (line 8); 9: \"\\\" is not a byte in hexadecimal (line 10); " +
     "11: \"1ab\" is not a byte in hexadecimal; 12: a byte is missing before a comma in the hex data"],
    [["\"a\"=dword:123456789", "\"b\"=dword:  1234;5678", "\"c\"=dword:1234 #c", "\"d\"=dword:0x1", "\"e\"=dword:"],
     "b|dword:4660 | 3: dword data has more than eight hexadecimal digits; 5: something other than a \";\" comment " +
     "follows the data; 6: something other than a \";\" comment follows the data; 7: dword: without its hexadecimal number"],
    [["\"a\"=\"x\"", "\u001A\"b\"=\"y\""], "a|sz:x"],
    [["[-HKEY_CURRENT_USER\\T\\S]", "\"a\"=\"x\"", "[HKEY_NONE\\T]", "\"b\"=\"x\"", "[ HKEY_CURRENT_USER\\T]",
      "[HKEY_CURRENT_USER\\T\\U \\\\]", "\"c\"=-"],
     "HKCU\\T\\S deleted; HKCU\\T\\U |c|none: | 4: a value under a key that the file deletes; 5: \"HKEY_NONE\" is not a " +
     "root key such as HKEY_CURRENT_USER; 6: a value under the key line 5, which is not imported; 7: \" HKEY_CURRENT_USER\"" +
     " is not a root key such as HKEY_CURRENT_USER"],
    [["\t\"a\"  =  \" x \"  ", "@\t=\tdword:1", "\"\"= - ;c", "\"b\"=-\"x\"", "\"c\"=\"x\\0\"", "\"d\"=\"x\\", "y\""],
     "a|sz: x ; |dword:1; |none: | 6: something other than a \";\" comment follows the data; 7: \"\\0\" is not an " +
     "escape that a registry file knows; 8: a quoted text without its closing quote; 9: " + notALine],
    [["\"a\"=hex(ffffffff):01", "\"b\"=hex(100000000):01", "\"c\"=hex(2):", "\"d\"=hex(1):41,00,42", "\"e\"=hex(0x2):01"],
     "a|other4294967295:01; c|expand: | 4: the data is none of \"text\", dword:, hex:, hex(N): or -; 6: text stored as hex " +
     "has an odd number of bytes; 7: the data is none of \"text\", dword:, hex:, hex(N): or -"],
    // REGEDIT4 text is in the system's code page, 1252 here: 0x80 is the euro sign.
    [["REGEDIT4", "[HKEY_CURRENT_USER\\T]", "\"a\"=hex(2):80,41,00", "\"b\"=hex(7):80,00,41,00,00", "\"c\"=hex(1):80"],
     "a|expand:\u20ACA; b|other7:AC200000410000000000; c|sz:\u20AC"]
];

function readingRulesHold() {
    var i, lines;
    for (i = 0; i < readingRules.length; i++) {
        lines = readingRules[i][0];
        if (lines[0] !== "" && lines[0].toUpperCase().indexOf("REGEDIT") < 0 && lines[0].indexOf(header) < 0)
            lines = [header, "[HKEY_CURRENT_USER\\T]"].concat(lines);
        check("reading rule " + (i + 1), entriesText(regText(lines)).split("HKCU\\T|").join(""), readingRules[i][1]);
    }
}

function repeated(text, length) {
    while (text.length < length)
        text += text;
    return text.substring(0, length);
}

// The pages' safeguards in the preview of a REGEDIT4 file: a caution, paths on another computer,
// not found (its text in the code page) and here, each but the last for its own tick; and a key
// deletion names the settings it clears.
function importKeepsSafeguards() {
    var plan = SettingsTransfer.importPlan(external, TweakDefinitions, regText(["REGEDIT4",
        "[-HKEY_CURRENT_USER\\Control Panel\\Cursors]", "[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
        "\"Wallpaper\"=\"\\\\\\\\server\\\\share\\\\w.jpg\"", "\"WaitToKillAppTimeout\"=\"25000\"",
        "[HKEY_CURRENT_USER\\Control Panel\\Cursors]", "\"Arrow\"=hex(2):43,3a,5c,80,5c,61,2e,63,75,72,00",
        "\"Hand\"=\"%SystemRoot%\\\\win.ini\""])), seen = [], i, change;
    for (i = 0; i < plan.changes.length; i++) {
        change = plan.changes[i];
        seen.push(change.def.id + ":" + change.place + ":" + SettingsTransfer.needsOwnTick(change) +
                  (change.def.kind === "file" ? ":" + change.then.data : ""));
    }
    check("an import keeps the pages' safeguards", seen.join(" ") + " / " + plan.others[0].clears.join(", "),
          "cursor-arrow:missing:true:C:\\\u20AC\\a.cur cursor-link:null:false:%SystemRoot%\\win.ini " +
          "wallpaper:elsewhere:true:\\\\server\\share\\w.jpg wait-to-kill:null:true / Normal pointer, Busy pointer, " +
          "Working in the background pointer, Link pointer");
}

function regFilesAreRead() {
    var i, big = header + "\r\n;", plan, hostile;
    for (i = 0; i < regFileCases.length; i++)
        check("a registry file with " + regFileCases[i][0], entriesText(regText(regFileCases[i][1])), regFileCases[i][2]);
    while (big.length <= RegFile.maxLength)
        big += big;
    check("a file of 4 MiB + 1 is refused", entriesText(big.substring(0, RegFile.maxLength + 1)),
          "The file is larger than 4 MiB, which no file of settings is.");
    readingRulesHold();
    plan = SettingsTransfer.importPlan(external, TweakDefinitions, regText([header, "[HKEY_CURRENT_USER\\T]",
        "\"a\"=hex:01" + repeated(" ", RegFile.maxLength - 100) + "x"]));
    hostile = SettingsTransfer.importPlan(external, TweakDefinitions, regText([header,
        "[-HKEY_CURRENT_USER\\" + repeated("\\", RegFile.maxLength - 100) + "x]"]));
    check("a line of 4 MiB of blanks, and a key of as many backslashes, is read", plan.skipped[0].reason + " " +
          hostile.others[0].where.length, "\"x\" follows a byte of the hex data " + (RegFile.maxLength - 100 + 6));
    importKeepsSafeguards();
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
    plan = SettingsTransfer.importPlan(external, TweakDefinitions, text.replace(/\r\n$/,
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
    plan = SettingsTransfer.importPlan(external, TweakDefinitions, text + "\"cut\"=\"short\r\n");
    check("a line that Windows skips is skipped and the rest planned", chosenOf(plan, changed).length + " " +
          plan.skipped[0].line, "5 " + text.split("\r\n").length);
    plan = chosenOf(SettingsTransfer.importPlan(external, TweakDefinitions, text), changed);
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
        var plan = SettingsTransfer.importPlan(external, TweakDefinitions,
                                               regText([header, "[-HKEY_CURRENT_USER\\" + key + "]"]));
        return plan.changes.length + plan.same;
    }
    check("a registry file with \\n and \\r in a text", entriesText(regText([header, "[HKEY_CURRENT_USER\\T]",
        "\"n\"=\"a\\nb\\rc\""])), "HKCU\\T|n|sz:a\nb\rc");
    check("a key's deletion takes the settings below it, none of a sibling", (settingsTaken("Control Panel\\Desktop") > 0) +
          " " + settingsTaken("Control Panel\\Deskto"), "true 0");
}
