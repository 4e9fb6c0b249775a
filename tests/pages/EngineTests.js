// The tweak engine and every tweak definition, run by lvscript in the real script engine against
// the registry of a throw-away Wine prefix (engine.sh refuses any other). The prefix is first
// given the values that a fresh Windows holds, as Microsoft documents them, independently of
// the definitions: a definition naming the wrong key, value or type then fails here. At the end
// every value is put back as it was and every key made here is removed.
// host.args: the program's version as major.minor; a key under HKCU that allows only reads.
var registry = external.Registry;

var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
var WindowsValues = [
    { root: "HKCU", key: advanced, type: "dword", values: {
        HideFileExt: 1, Hidden: 2, ShowSuperHidden: 0, SeparateProcess: 0, ShowInfoTip: 1, AutoCheckSelect: 0,
        IconsOnly: 0, HideDrivesWithNoMedia: 1, LaunchTo: 2, TaskbarSmallIcons: 0, TaskbarGlomLevel: 0,
        ShowTaskViewButton: 1, Start_TrackDocs: 1, TaskbarAnimations: 1, ShowSecondsInSystemClock: 0,
        ExtendedUIHoverTime: 400, ListviewAlphaSelect: 1, ListviewShadow: 1, ShowStatusBar: 1, ShowCompColor: 1,
        ShowTypeOverlay: 1, HideIcons: 0 } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState", type: "dword",
      values: { FullPath: 0 } },
    { root: "HKCU", key: "Control Panel\\Desktop", type: "sz", values: {
        MenuShowDelay: "400", DragFullWindows: "1", FontSmoothing: "2", CursorBlinkRate: "530", WheelScrollLines: "3",
        AutoEndTasks: "0", HungAppTimeout: "5000", WaitToKillAppTimeout: "20000",
        Wallpaper: "C:\\Windows\\web\\wallpaper\\Windows\\img0.jpg", WindowArrangementActive: "1", SnapSizing: "1",
        DockMoving: "1", WheelScrollChars: "3", WallpaperStyle: "10" } },
    { root: "HKCU", key: "Control Panel\\Desktop", type: "dword", values: {
        PaintDesktopVersion: 0, FontSmoothingType: 2, ForegroundFlashCount: 7, MouseWheelRouting: 2, ClickLockTime: 1200,
        CaretWidth: 1 } },
    { root: "HKCU", key: "Control Panel\\Desktop\\WindowMetrics", type: "sz", values: { MinAnimate: "1", IconTitleWrap: "1" } },
    { root: "HKCU", key: "Control Panel\\Mouse", type: "sz", values: {
        DoubleClickSpeed: "500", MouseHoverTime: "400", SnapToDefaultButton: "0", MouseSensitivity: "10", MouseSpeed: "1",
        SwapMouseButtons: "0", MouseTrails: "0" } },
    { root: "HKCU", key: "Control Panel\\Mouse", type: "dword", values: { ActiveWindowTracking: 0 } },
    { root: "HKCU", key: "Keyboard Layout\\Toggle", type: "sz", values: { "Language Hotkey": "1" } },
    { root: "HKCU", key: "Control Panel\\Accessibility", type: "dword", values: { MessageDuration: 5 } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\StickyKeys", type: "sz", values: { Flags: "510" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\Keyboard Response", type: "sz", values: { Flags: "126" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\ToggleKeys", type: "sz", values: { Flags: "62" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\MouseKeys", type: "sz", values: { Flags: "62" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\HighContrast", type: "sz", values: { Flags: "126" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\Keyboard Preference", type: "sz", values: { On: "0" } },
    { root: "HKCU", key: "Control Panel\\Cursors", type: "expand", values: {
        Arrow: "%SystemRoot%\\cursors\\aero_arrow.cur", Wait: "%SystemRoot%\\cursors\\aero_busy.ani",
        AppStarting: "%SystemRoot%\\cursors\\aero_working.ani", Hand: "%SystemRoot%\\cursors\\aero_link.cur" } },
    { root: "HKCU", key: "Control Panel\\Keyboard", type: "sz", values: { KeyboardDelay: "1", KeyboardSpeed: "31" } },
    { root: "HKCU", key: "Control Panel\\Colors", type: "sz", values: {
        Hilight: "0 120 215", HotTrackingColor: "0 102 204", Background: "0 0 0", HilightText: "255 255 255",
        Window: "255 255 255", WindowText: "0 0 0", InfoWindow: "255 255 225", InfoText: "0 0 0", GrayText: "109 109 109",
        MenuHilight: "0 120 215", ButtonFace: "240 240 240" } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", type: "expand",
      values: { "{374DE290-123F-4565-9164-39C4925E467B}": "%USERPROFILE%\\Downloads", Personal: "%USERPROFILE%\\Documents",
        "My Pictures": "%USERPROFILE%\\Pictures", "My Music": "%USERPROFILE%\\Music", "My Video": "%USERPROFILE%\\Videos",
        Desktop: "%USERPROFILE%\\Desktop" } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers", type: "dword",
      values: { DisableAutoplay: 0 } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", type: "dword",
      values: { AppsUseLightTheme: 1, EnableTransparency: 1, ColorPrevalence: 0 } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\DWM", type: "dword", values: { ColorPrevalence: 0 } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\ContentDeliveryManager", type: "dword", values: {
        SystemPaneSuggestionsEnabled: 1, SoftLandingEnabled: 1, SilentInstalledAppsEnabled: 1, RotatingLockScreenEnabled: 1,
        RotatingLockScreenOverlayEnabled: 1 } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo", type: "dword",
      values: { Enabled: 1 } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\CrashControl", type: "dword", values: {
        AutoReboot: 1, CrashDumpEnabled: 7, LogEvent: 1 } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control", type: "sz", values: { WaitToKillServiceTimeout: "5000" } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\FileSystem", type: "dword", values: { LongPathsEnabled: 0 } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power", type: "dword",
      values: { HiberbootEnabled: 1 } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management", type: "dword",
      values: { ClearPageFileAtShutdown: 0 } },
    { root: "HKLM", key: "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", type: "dword",
      values: { AutoRestartShell: 1 } }
];

function copyOf(object, changes) {
    var result = {}, name;
    for (name in object)
        result[name] = object[name];
    for (name in changes)
        result[name] = changes[name];
    return result;
}

// The shallowest key on the path that is missing now, so that removing it removes all we made.
function firstMissingKey(root, key) {
    var parts = key.split("\\"), path = "", i;
    for (i = 0; i < parts.length; i++) {
        path += (i ? "\\" : "") + parts[i];
        if (!registry.RegKeyExists(root, path))
            return path;
    }
    return null;
}

function readTyped(root, key, name, type) {
    if (type === "dword") {
        registry.RegReadBool(root, key, name);
        return registry.RegReadInt(root, key, name);
    }
    return registry.RegReadString(root, key, name);
}

function writeTyped(root, key, name, type, data) {
    registry.RegDeleteValue(root, key, name);
    if (type === "dword")
        registry.RegWriteInt(root, key, name, data);
    else if (type === "expand")
        registry.RegWriteExpandString(root, key, name, data);
    else
        registry.RegWriteString(root, key, name, data);
}

// Gives the prefix the Windows values and returns what is needed to undo that.
function seedWindowsValues() {
    var undo = { keys: [], values: [] }, i, group, name, missing, prior;
    for (i = 0; i < WindowsValues.length; i++) {
        group = WindowsValues[i];
        missing = firstMissingKey(group.root, group.key);
        if (missing !== null) {
            undo.keys.push({ root: group.root, key: missing });
            registry.RegCreateKey(group.root, group.key);
        }
        for (name in group.values) {
            prior = { group: group, name: name, existed: registry.RegValueExists(group.root, group.key, name) };
            try {
                prior.data = readTyped(group.root, group.key, name, group.type);
            } catch (e) {
                prior.otherType = true;
            }
            undo.values.push(prior);
            writeTyped(group.root, group.key, name, group.type, group.values[name]);
        }
    }
    return undo;
}

function undoSeeding(undo) {
    var i, prior;
    for (i = 0; i < undo.values.length; i++) {
        prior = undo.values[i];
        if (!prior.existed)
            registry.RegDeleteValue(prior.group.root, prior.group.key, prior.name);
        else if (prior.otherType)
            host.echo("note: " + prior.name + " had another type before; left at the Windows default");
        else
            writeTyped(prior.group.root, prior.group.key, prior.name, prior.group.type, prior.data);
    }
    for (i = 0; i < undo.keys.length; i++)
        registry.RegDeleteKey(undo.keys[i].root, undo.keys[i].key, true);
}

// The values a definition is tried with: every state it offers, or a few typical ones.
function statesOf(def) {
    var states = [], i;
    switch (def.kind) {
    case "toggle":
        return [true, false];
    case "range":
        return [def.min, def.max, Math.floor((def.min + def.max) / 2)];
    case "choice":
        for (i = 0; i < def.choices.length; i++)
            states.push(def.choices[i].value);
        return states;
    case "color":
        return ["FF8000", "00000A", "ABCDEF"];
    case "file":
        return ["C:\\Lumivanta test\\picture.png"];
    default:
        return ["C:\\Lumivanta test\\folder"];
    }
}

// Every problem that a definition shows against the registry, as texts; none for a sound one.
function problemsOf(def) {
    var problems = [], states = statesOf(def), i, value;
    function expect(what, ok) {
        if (!ok)
            problems.push(what);
    }
    function attempt(what, call) {
        try {
            call();
        } catch (e) {
            problems.push(what + ": " + e.message);
        }
    }
    expect("the value is where Windows keeps it", registry.RegValueExists(def.root, def.key, def.value));
    attempt("reading", function () {
        expect("the default is what Windows holds", TweakEngine.readRaw(registry, def) === def.dflt);
        expect("it reads as the default", TweakEngine.isDefault(registry, def));
    });
    for (i = 0; i < states.length; i++) {
        value = states[i];
        attempt("applying " + value, function () {
            TweakEngine.apply(registry, def, value);
            expect(value + " reads back", TweakEngine.read(registry, def) === value);
        });
    }
    if (def.kind === "toggle") {
        attempt("toggling", function () {
            var before = TweakEngine.read(registry, def);
            expect("toggle gives the other state", TweakEngine.toggle(registry, def) === !before);
            expect("the other state reads back", TweakEngine.read(registry, def) === !before);
        });
    }
    attempt("restoring", function () {
        TweakEngine.restore(registry, def);
        expect("the Windows default reads back", TweakEngine.readRaw(registry, def) === def.dflt);
        expect("it counts as the default again", TweakEngine.isDefault(registry, def));
    });
    return problems;
}

function hasWindowsDefault(def) {
    return def.kind !== "entries" && def.kind !== "list";
}

function everyDefinitionWorks() {
    var i, problems, tried = 0;
    for (i = 0; i < TweakDefinitions.length; i++) {
        if (!hasWindowsDefault(TweakDefinitions[i]))
            continue;
        problems = problemsOf(TweakDefinitions[i]);
        check(TweakDefinitions[i].id + " applies, reads back, toggles and restores", problems.join("; "), "");
        tried++;
    }
    check("at least 25 settings are tried", tried >= 25, true);
}

function firstOfKind(kind, type) {
    var i;
    for (i = 0; i < TweakDefinitions.length; i++) {
        if (TweakDefinitions[i].kind === kind && TweakDefinitions[i].type === type)
            return TweakDefinitions[i];
    }
    return null;
}

function brokenDefinitionsFail() {
    var dword = firstOfKind("toggle", "dword"), text = firstOfKind("toggle", "sz");
    check("a wrong key fails", problemsOf(copyOf(dword, { key: dword.key + "x" })).length > 0, true);
    check("a wrong value name fails", problemsOf(copyOf(dword, { value: dword.value + "x" })).length > 0, true);
    check("a number taken for text fails",
          problemsOf(copyOf(dword, { type: "sz", on: String(dword.on), off: String(dword.off),
                                     dflt: String(dword.dflt) })).length > 0, true);
    check("text taken for a number fails",
          problemsOf(copyOf(text, { type: "dword", on: Number(text.on), off: Number(text.off),
                                    dflt: Number(text.dflt) })).length > 0, true);
    check("a wrong key is not made", registry.RegKeyExists(dword.root, dword.key + "x"), false);
}

function definitionsAreComplete() {
    var ids = {}, categories = {}, count = 0, i, def;
    for (i = 0; i < TweakDefinitions.length; i++) {
        def = TweakDefinitions[i];
        check(def.id + " has a unique id", ids[def.id], undefined);
        ids[def.id] = true;
        check(def.id + " has a title and a description", !!(def.title && def.description), true);
        check(def.id + " works in HKCU or HKLM", def.root === "HKCU" || def.root === "HKLM", true);
        check(def.id + " says when it takes effect", TweakEngine.effectText(def) !== null, true);
        if (!categories[def.category]) {
            categories[def.category] = true;
            count++;
        }
        if (def.kind === "toggle")
            check(def.id + " has distinct on and off values, one of them the default",
                  def.on !== def.off && (def.dflt === def.on || def.dflt === def.off), true);
        if (def.kind === "range")
            check(def.id + " has its default in its range", Number(def.dflt) >= def.min && Number(def.dflt) <= def.max,
                  true);
        if (def.kind === "choice")
            check(def.id + " offers its default", TweakEngine.choiceOf(def, def.dflt) !== null, true);
    }
    check("at least eight categories", count >= 8, true);
    check("at least 80 definitions", TweakDefinitions.length >= 80, true);
}

function rangesAndColoursAreGuarded() {
    var range = firstOfKind("range", "sz"), color = firstOfKind("color", "sz");
    check("a number above the range is refused", failure(function () {
        TweakEngine.apply(registry, range, range.max + 1);
    }), range.title + ": choose a whole number from " + range.min + " to " + range.max);
    check("so the value stays", TweakEngine.isDefault(registry, range), true);
    check("a colour is kept as R G B text", (function () {
        TweakEngine.apply(registry, color, "FF8000");
        var text = registry.RegReadString(color.root, color.key, color.value);
        TweakEngine.restore(registry, color);
        return text;
    }()), "255 128 0");
    check("R G B text reads as RRGGBB", TweakEngine.colorFromText("0 120  215"), "0078D7");
    check("a text that is no colour reads as none", TweakEngine.colorFromText("0 300 1"), null);
}

// On a key of the test's own beside the real list, which may hold the user's notes.
function ownListIsKept() {
    var list = firstOfKind("list", undefined);
    var def = copyOf(list, { key: list.key + " test " + Math.floor(Math.random() * 1e9) });
    var missing = firstMissingKey(def.root, def.key);
    TweakEngine.prepareList(registry, def);
    check("the list's key exists for the editor", registry.RegKeyExists(def.root, def.key), true);
    registry.RegWriteString(def.root, def.key, "0", "first note");
    registry.RegWriteString(def.root, def.key, "1", "second note");
    check("the list reads in order", TweakEngine.listItems(registry, def).join("|"), "first note|second note");
    registry.RegDeleteKey(def.root, missing, true);
    check("and is gone again", registry.RegKeyExists(def.root, def.key), false);
}

function versionIsFound() {
    var version = TweakEngine.programVersion(external);
    check("the version found through CheckVer", TweakEngine.versionText(version), host.args[0]);
    check("CheckVer accepts it", external.CheckVer(version), true);
    check("and nothing later", external.CheckVer(version + 1), false);
}

function stateText(def) {
    var type = registry.RegValueType(def.root, def.key, def.value);
    return type + ":" + (type && readTyped(def.root, def.key, def.value, type));
}

// For one definition of every kind and type, a change and its undo give back exactly what was
// there: no value at all, or the user's own value (of the other text type for a text).
function undoGivesBackTheEarlierState() {
    var tried = {}, entries = TweakEngine.journal(registry).length, i, j, def, before, changed;
    for (i = 0; i < TweakDefinitions.length; i++) {
        def = TweakDefinitions[i];
        if (!hasWindowsDefault(def) || tried[def.kind + def.type])
            continue;
        tried[def.kind + def.type] = true;
        for (j = 0; j < 2; j++) {
            registry.RegDeleteValue(def.root, def.key, def.value);
            if (j === 1)
                writeTyped(def.root, def.key, def.value, { dword: "dword", sz: "expand", expand: "sz" }[def.type],
                           def.type === "dword" ? 12345 : "the user's own");
            before = stateText(def);
            TweakEngine.apply(registry, def, statesOf(def)[0]);
            changed = stateText(def) !== before;
            TweakEngine.undo(registry, TweakEngine.journal(registry)[0].ref);
            check(def.id + ": a change and its undo give back " + before, changed && stateText(def), before);
        }
        writeTyped(def.root, def.key, def.value, def.type, def.dflt);
    }
    check("each undo takes its entry out", TweakEngine.journal(registry).length, entries);
}

function undoAllRestoresEveryCategory() {
    var changed = [], seen = {}, i, def;
    TweakEngine.clearJournal(registry);
    for (i = 0; i < TweakDefinitions.length; i++) {
        def = TweakDefinitions[i];
        if (hasWindowsDefault(def) && !seen[def.category] && TweakEngine.canChange(registry, def)) {
            seen[def.category] = changed.push(def);
            TweakEngine.apply(registry, def, statesOf(def)[TweakEngine.read(registry, def) === statesOf(def)[0] ? 1 : 0]);
        }
    }
    check("one entry a change, the newest first", TweakEngine.journal(registry).length + " " +
          TweakEngine.journal(registry)[0].id, changed.length + " " + changed[changed.length - 1].id);
    TweakEngine.undoAll(registry);
    for (i = 0; i < changed.length; i++)
        check(changed[i].id + " is back after undo all", TweakEngine.isDefault(registry, changed[i]), true);
    check("an empty journal after undoing five categories", changed.length >= 5 && TweakEngine.journal(registry).length, 0);
}

function journalIsCapped() {
    var def = firstOfKind("range", "sz"), i, entries;
    for (i = 0; i < 505; i++)
        TweakEngine.apply(registry, def, def.min + i);
    entries = TweakEngine.journal(registry);
    check("the journal keeps the newest 500", entries.length + ": " + entries[499].after.data + " to " +
          entries[0].after.data, "500: " + (def.min + 5) + " to " + (def.min + 504));
    TweakEngine.clearJournal(registry);
    TweakEngine.restore(registry, def);
}

// The registry as the engine sees it, some methods replaced: a second writer, or a journal that keeps nothing.
function registryWith(replaced) {
    var names = ["RegReadString", "RegWriteString", "RegReadInt", "RegWriteInt", "RegReadBool", "RegValueExists",
                 "RegValueType", "RegDeleteValue", "RegCreateKey", "RegDeleteKey", "RegKeyExists", "ValuesNames"];
    var wrapped = {}, i;
    function passOn(method) {
        return function (a, b, c, d) {
            return arguments.length === 3 ? registry[method](a, b, c) : arguments.length === 2 ? registry[method](a, b)
                                                                       : registry[method](a, b, c, d);
        };
    }
    for (i = 0; i < names.length; i++)
        wrapped[names[i]] = replaced[names[i]] || passOn(names[i]);
    return wrapped;
}

// Changes def while a rival writer writes its own entry under the name this change took, just after it
// was written ("claim") or after it was read back, while the value is written ("value"). The titles listed.
function changeBesideRival(def, moment) {
    var place = TweakEngine.journalPlace, claimed = null, rivalled = false, entries, titles = [], i;
    function rival() {
        if (claimed !== null && !rivalled)
            registry.RegWriteString(place.root, place.key, claimed, "2|" + claimed + "|rival|0|rival|The rival's " +
                                    "change|HKCU|Software\\Rival|Value|none||dword|1");
        rivalled = claimed !== null;
    }
    TweakEngine.clearJournal(registry);
    TweakEngine.apply(registryWith({ RegWriteString: function (root, key, name, text) {
        var result = registry.RegWriteString(root, key, name, text);
        claimed = key === place.key ? name : claimed;
        if (moment === "claim")
            rival();
        return result;
    }, RegWriteInt: function (root, key, name, data) {
        rival();
        return registry.RegWriteInt(root, key, name, data);
    } }), def, !TweakEngine.read(registry, def));
    entries = TweakEngine.journal(registry);
    for (i = 0; i < entries.length; i++)
        titles.push(entries[i].title);
    TweakEngine.undo(registry, entries[0].ref);
    return titles.join(", ") + "; undone: " + TweakEngine.isDefault(registry, def);
}

// A setting changed away and back (Hidden 2 to 1 to 2): the older change waits for the newer, and undo all
// keeps the user's value. A value changed since by anything else is left alone; two writers keep both
// entries; a journal of the old format is read and undone.
function undoGoesByTheValueAsItIs() {
    var def = firstOfKind("toggle", "dword"), place = TweakEngine.journalPlace, away = !TweakEngine.read(registry, def);
    var awayRaw = away ? def.on : def.off, entries;
    TweakEngine.clearJournal(registry);
    TweakEngine.apply(registry, def, away);
    TweakEngine.apply(registry, def, !away);
    check("the older change waits for the newer", failure(function () {
        TweakEngine.undo(registry, TweakEngine.journal(registry)[1].ref);
    }), def.title + " was changed again afterwards: undo the newer change first.");
    check("undo all keeps what the user had", TweakEngine.undoAll(registry) + " " + TweakEngine.isDefault(registry, def),
          "2 true");
    TweakEngine.apply(registry, def, away);
    registry.RegWriteInt(def.root, def.key, def.value, 7);
    check("undo all stops at a value changed since and leaves it", failure(function () {
        TweakEngine.undoAll(registry, TweakDefinitions);
    }) + " " + TweakEngine.readRaw(registry, def), "Undo all stopped after 0 of 1 changes. " + def.title +
          " was changed since: it is now 7 7");
    TweakEngine.restore(registry, def);
    check("two writers keep both entries: the name taken at once", changeBesideRival(def, "claim"),
          def.title + ", The rival's change; undone: true");
    check("two writers keep both entries: the name taken after the read-back", changeBesideRival(def, "value"),
          def.title + ", The rival's change; undone: true");
    TweakEngine.clearJournal(registry);
    registry.RegCreateKey(place.root, place.key);
    registry.RegWriteString(place.root, place.key, "0", ["1", 0, def.id, def.title, def.root, def.key, def.value, "dword",
                                                         def.dflt, "dword", awayRaw].join("|"));
    registry.RegWriteString(place.root, place.key, "1", "1|0|old|Old%7Cother|HKCU|Software\\Old|Gone|none||sz|x");
    registry.RegWriteInt(def.root, def.key, def.value, awayRaw);
    entries = TweakEngine.journal(registry);
    TweakEngine.undo(registry, entries[1].ref);
    TweakEngine.apply(registry, def, away);
    check("an old journal is read in its order, undone, and numbered after", entries[0].title + " " +
          entries[1].after.data + " " + TweakEngine.journal(registry)[0].ref.split(":")[0] + " " +
          TweakEngine.journal(registry).length, "Old|other " + awayRaw + " 2 2");
    TweakEngine.undo(registry, TweakEngine.journal(registry)[0].ref);
    TweakEngine.clearJournal(registry);
}

// Last: the journal moves to a key that engine.sh made read-only, holding one change of a value of its own
// (1 to 2). No change may go unrecorded, nor one in a journal that keeps nothing; undo all ends.
function unrecordedChangeIsRefused() {
    var def = firstOfKind("toggle", "dword"), own = host.args[1].replace(/\\Journal$/, "");
    var refusal = def.title + ": not changed, because the change could not be recorded in the history (HKCU\\";
    check("a journal that keeps nothing refuses the change", failure(function () {
        TweakEngine.toggle(registryWith({ RegWriteString: function (root, key, name, text) {
            return key === TweakEngine.journalPlace.key || registry.RegWriteString(root, key, name, text);
        } }), def);
    }) + " " + TweakEngine.isDefault(registry, def), refusal + TweakEngine.journalPlace.key + " cannot be written) true");
    TweakEngine.journalPlace.key = host.args[1];
    check("a change that cannot be recorded is refused", failure(function () {
        TweakEngine.toggle(registry, def);
    }) + " " + TweakEngine.isDefault(registry, def), refusal + host.args[1] + " cannot be written) true");
    check("undo all ends at an entry it cannot take out", failure(function () {
        TweakEngine.undoAll(registry);
    }) + " " + registry.RegReadInt("HKCU", own, "Value"), "Undo all stopped after 0 of 1 changes. Locked value: not " +
          "undone, because its entry could not be taken out of the history (HKCU\\" + host.args[1] + " cannot be written). 2");
}

var undo = seedWindowsValues();
var journalKeyMade = firstMissingKey("HKCU", TweakEngine.journalPlace.key);
try {
    definitionsAreComplete();
    everyDefinitionWorks();
    brokenDefinitionsFail();
    rangesAndColoursAreGuarded();
    ownListIsKept();
    versionIsFound();
    undoGivesBackTheEarlierState();
    undoAllRestoresEveryCategory();
    regFilesAreRead();
    settingsTravel();
    journalIsCapped();
    undoGoesByTheValueAsItIs();
    unrecordedChangeIsRefused();
} finally {
    undoSeeding(undo);
    if (journalKeyMade !== null)
        registry.RegDeleteKey("HKCU", journalKeyMade, true);
}
host.echo(passed + " passed, " + failed + " failed");
if (failed > 0)
    throw new Error(failed + " checks failed");
