// The tweak engine and every tweak definition, run by lvscript in the real script engine against
// the registry of a throw-away Wine prefix (engine.sh refuses any other). The prefix is first
// given the values that a fresh Windows holds, as Microsoft documents them, independently of
// the definitions: a definition naming the wrong key, value or type then fails here; Windows
// takes up those of its System settings. At the end every value is put back as it was and
// every key made here is removed.
// host.args: the program's version as major.minor; a key under HKCU that allows only reads.
var registry = external.Registry;

var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
// A value that a fresh Windows does not have is not listed; a key that holds none of them is, with no values.
var WindowsValues = [
    { root: "HKCU", key: advanced, type: "dword", values: {
        HideFileExt: 1, Hidden: 2, ShowSuperHidden: 0, SeparateProcess: 0, ShowInfoTip: 1, FolderContentsInfoTip: 1,
        IconsOnly: 0, ShowTypeOverlay: 1, ShowPreviewHandlers: 1, ShowCompColor: 1, SharingWizardOn: 1 } },
    { root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState", type: "dword",
      values: { FullPath: 0 } },
    { root: "HKCU", key: "Control Panel\\Desktop", type: "sz", values: {
        MenuShowDelay: "400", DragFullWindows: "1", FontSmoothing: "2", WheelScrollLines: "3", WheelScrollChars: "3",
        HungAppTimeout: "5000", WaitToKillAppTimeout: "20000", Wallpaper: "C:\\Windows\\web\\wallpaper\\Windows\\img0.jpg",
        WallpaperStyle: "10", TileWallpaper: "0", WindowArrangementActive: "1", SnapSizing: "1", DockMoving: "1",
        DragFromMaximize: "1", ScreenSaveActive: "1", ScreenSaveTimeOut: "900", ScreenSaverIsSecure: "0" } },
    { root: "HKCU", key: "Control Panel\\Desktop", type: "dword", values: {
        FontSmoothingType: 2, FontSmoothingGamma: 1400, ForegroundFlashCount: 7, CaretWidth: 1,
        FocusBorderWidth: 1, FocusBorderHeight: 1, ForegroundLockTimeout: 200000 } },
    // Its first four bytes are the documented default 0x80003E9E.
    { root: "HKCU", key: "Control Panel\\Desktop", type: "binary", values: { UserPreferencesMask: "9E3E008012000000" } },
    // The key is there; its values only once the user has picked pointers.
    { root: "HKCU", key: "Control Panel\\Cursors", type: "expand", values: {} },
    { root: "HKCU", key: "Control Panel\\Desktop\\WindowMetrics", type: "sz", values: { MinAnimate: "1", IconTitleWrap: "1" } },
    { root: "HKCU", key: "Control Panel\\Mouse", type: "sz", values: {
        DoubleClickSpeed: "500", MouseHoverTime: "400", MouseHoverWidth: "4", MouseHoverHeight: "4", SnapToDefaultButton: "0",
        MouseSensitivity: "10", MouseTrails: "0", MouseSpeed: "1", MouseThreshold1: "6", MouseThreshold2: "10" } },
    { root: "HKCU", key: "Keyboard Layout\\Toggle", type: "sz", values: { Hotkey: "1" } },
    { root: "HKCU", key: "Control Panel\\Accessibility", type: "dword", values: { MessageDuration: 5 } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\StickyKeys", type: "sz", values: { Flags: "510" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\Keyboard Response", type: "sz", values: { Flags: "126" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\ToggleKeys", type: "sz", values: { Flags: "62" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\MouseKeys", type: "sz", values: { Flags: "62" } },
    { root: "HKCU", key: "Control Panel\\Accessibility\\HighContrast", type: "sz", values: { Flags: "126" } },
    { root: "HKCU", key: "Control Panel\\Keyboard", type: "sz", values: { KeyboardDelay: "1", KeyboardSpeed: "31" } },
    { root: "HKCU", key: "Control Panel\\Colors", type: "sz", values: {
        Hilight: "0 120 215", Background: "0 0 0", HilightText: "255 255 255", Window: "255 255 255", WindowText: "0 0 0",
        InfoWindow: "255 255 225", InfoText: "0 0 0", GrayText: "109 109 109", ButtonFace: "240 240 240" } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\CrashControl", type: "dword", values: {
        AutoReboot: 1, CrashDumpEnabled: 7, LogEvent: 1, Overwrite: 1 } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control", type: "sz", values: { WaitToKillServiceTimeout: "5000" } },
    { root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\FileSystem", type: "dword", values: { LongPathsEnabled: 0 } },
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
    if (type === "binary")
        return registry.RegReadBinary(root, key, name);
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
    else if (type === "binary")
        registry.RegWriteBinary(root, key, name, data);
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
    // A fresh Windows lacks a "dfltAbsent" value; a bit setting's default is its state.
    var stateDefault = def.bit || typeof def.dflt === "boolean";
    expect("the value is where Windows keeps it", registry.RegValueExists(def.root, def.key, def.value) !== !!def.dfltAbsent);
    attempt("reading", function () {
        expect("the default is what Windows holds", stateDefault || def.dfltAbsent ||
               same(TweakEngine.readRaw(registry, def), def.dflt));
        expect("it reads as the default", TweakEngine.isDefault(registry, def));
    });
    // Windows stores a System setting in the registry itself (binary data with no bit says nothing).
    var stored = def.spi && !(def.type === "binary" && !def.bit) && !wineFor(WineKeepsElsewhere, def);
    for (i = 0; i < states.length; i++) {
        value = states[i];
        attempt("applying " + value, function () {
            TweakEngine.apply(registry, def, value);
            expect(value + " reads back", same(TweakEngine.read(registry, def), value));
            expect(value + " is stored where Windows keeps it", !stored ||
                   same(TweakEngine.read(registry, copyOf(def, { spi: undefined })), value));
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
        expect("the Windows default reads back", def.dfltAbsent ? !registry.RegValueExists(def.root, def.key, def.value)
            : same(stateDefault ? TweakEngine.read(registry, def) : TweakEngine.readRaw(registry, def), def.dflt));
        expect("it counts as the default again", TweakEngine.isDefault(registry, def));
    });
    return problems;
}

// The engine sees a Windows 10 or 11 of that build ("22631.4169": and update) in a key of the
// test's own; with no build, Windows 10 22H2. (Wine 8's prefix says it is Windows 7, build 7601,
// on which no setting acts.)
function seeWindows(build, version) {
    var place = TweakEngine.windowsPlace, parts = String(build || "19045.5131").split(".");
    place.root = "HKCU";
    place.key = testKey + "\\Windows " + parts.join(".");
    if (registry.RegCreateKey("HKCU", place.key)) {
        registry.RegWriteString("HKCU", place.key, "CurrentBuildNumber", parts[0]);
        registry.RegWriteInt("HKCU", place.key, "UBR", Number(parts[1] || 0));
        registry.RegWriteString("HKCU", place.key, "DisplayVersion", version || (build ? "" : "22H2"));
        registry.RegWriteString("HKCU", place.key, "ProductName", "Windows 10 Pro");
    }
}

function hasWindowsDefault(def) {
    return def.kind !== "entries" && def.kind !== "list";
}

// What Wine does otherwise than Windows with a definition's System entry (WineDiffers.js), or null.
function wineFor(table, def) {
    return def.spi && Object.prototype.hasOwnProperty.call(table, def.spi) ? table[def.spi] : null;
}

// Windows takes up the seeded data of its System settings, as it would at sign-in.
function systemTakesUpSeed() {
    var i;
    for (i = 0; i < TweakDefinitions.length; i++) {
        if (TweakDefinitions[i].spi && !wineFor(WineRefuses, TweakDefinitions[i]))
            TweakEngine.takeUp(registry, TweakDefinitions[i]);
    }
}

// A change through a System entry that Wine refuses fails, twice (the second from what Wine holds
// after the first), with the registry and history unchanged.
function wineRefusesChange(def) {
    var states = statesOf(def), value = states[0], before = stateText(def), entries = TweakEngine.journal(registry).length,
        expected = WineRefuses[def.spi] === "has no GET" ? "Windows did not give" : "the setting could not be changed",
        problems = [], i, why;
    try {
        if (same(TweakEngine.read(registry, def), value))
            value = states[1];
    } catch (e) {
        // Without a GET action the change fails all the same.
    }
    for (i = 0; i < 2; i++) {
        why = failure(function () { TweakEngine.apply(registry, def, value); });
        if (why.indexOf(expected) < 0)
            problems.push("the change through the System object gave " + why + ", not " + expected);
        if (!same(stateText(def), before) || TweakEngine.journal(registry).length !== entries)
            problems.push("a failed change through the System object left " + stateText(def));
    }
    return problems;
}

function everyDefinitionWorks() {
    var i, def, problems, wine, tried = 0;
    for (i = 0; i < TweakDefinitions.length; i++) {
        def = TweakDefinitions[i];
        wine = wineFor(WineRefuses, def);
        if (!hasWindowsDefault(def))
            continue;
        if (wine)
            host.echo("note: " + def.id + ": Wine " + wine + " for " + def.spi + "; tried through the registry alone");
        if (wineFor(WineKeepsElsewhere, def))
            host.echo("note: " + def.id + ": Wine keeps " + def.spi + " in " + wineFor(WineKeepsElsewhere, def) +
                      ", so where it is stored is not checked");
        seeWindows(def.windows && def.windows.from);
        problems = wine ? wineRefusesChange(def).concat(problemsOf(copyOf(def, { spi: undefined }))) : problemsOf(def);
        seeWindows();
        check(def.id + " applies, reads back, toggles and restores", problems.join("; "), "");
        tried++;
    }
    check("at least 25 settings are tried", tried >= 25, true);
}

// A setting kept whole in the registry alone, acting on the Windows of the test prefix.
function isPlain(def) {
    return !def.spi && !def.bit && !def.dfltAbsent && TweakEngine.isAvailable(registry, def);
}

function firstOfKind(kind, type) {
    var i;
    for (i = 0; i < TweakDefinitions.length; i++) {
        if (TweakDefinitions[i].kind === kind && TweakDefinitions[i].type === type && isPlain(TweakDefinitions[i]))
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
        check(def.id + " cites a page of Microsoft's that names its value", sourceNamesTheValue(def), true);
        if (!categories[def.category]) {
            categories[def.category] = true;
            count++;
        }
        check(def.id + " names its https source and its builds", /^https:\/\/\S+$/.test(def.source) + " " +
              !!(def.windows && def.windows.from && (def.windows.why || (!def.windows.before && def.windows.from <= 10240))),
              "true true");
        // A value a fresh Windows lacks may leave undocumented what Windows then does.
        if (def.dfltAbsent && def.dflt === undefined)
            continue;
        // A bit, or a System switch whose binary data has no on and off, defaults to a state.
        if (def.kind === "toggle")
            check(def.id + " has distinct on and off values, one of them the default", def.bit ||
                  (def.spi && def.type === "binary") ? typeof def.dflt === "boolean"
                  : !same(def.on, def.off) && (same(def.dflt, def.on) || same(def.dflt, def.off)), true);
        if (def.kind === "range")
            check(def.id + " has its default in its range", Number(def.dflt) >= def.min && Number(def.dflt) <= def.max,
                  true);
        if (def.kind === "choice")
            check(def.id + " offers its default", TweakEngine.choiceOf(def, def.dflt) !== null, true);
    }
    check("a page cited for another value fails", sourceNamesTheValue(copyOf(TweakEngine.definition(TweakDefinitions,
        "hover-activates-delay"), { value: "SwapMouseButtons" })), false);
    check("at least eight categories", count >= 8, true);
    check("at least 80 definitions", TweakDefinitions.length >= 80, true);
}

// What each cited page of Microsoft's names, by the end of its address: registry values, the key of
// a value it leaves unnamed, or SPI for SystemParametersInfo actions (a list or a Run key names none).
var DocumentedBy = { "nf-winuser-systemparametersinfow": "SPI|Keyboard Layout\\Toggle", "predefined-keys": "",
    "ns-winuser-animationinfo": "SPI", "ns-winuser-stickykeys": "SPI", "ns-winuser-filterkeys": "SPI",
    "ns-winuser-togglekeys": "SPI", "ns-winuser-mousekeys": "SPI", "ns-winuser-highcontrastw": "SPI",
    "cc957204(v=technet.10)": "UserPreferencesMask", "cc957203(v=technet.10)": "ActiveWndTrkTimeout",
    "cc978664(v=technet.10)": "MouseSpeed",
    "themesfileformat-overview": "Arrow|Wait|AppStarting|Hand|Hilight|HilightText|Background|Window|WindowText|" +
        "InfoWindow|InfoText|GrayText|ButtonFace|Wallpaper|WallpaperStyle|TileWallpaper",
    "a6ca3a17-1971-4b22-bf3b-e1a5d5c50fca": "HideFileExt|Hidden|ShowSuperHidden|SeparateProcess|FolderContentsInfoTip|" +
        "IconsOnly|ShowTypeOverlay|ShowPreviewHandlers|SharingWizardOn", "cc422937.aspx": "FullPath|ShowInfoTip|ShowCompColor",
    "manage-connections-from-windows-operating-system-components-to-microsoft-services": "Start_TrackProgs|" +
        "DisableWindowsConsumerFeatures|DisableSoftLanding|DisableWindowsSpotlightFeatures|DisabledByGroupPolicy|" +
        "HttpAcceptLanguageOptOut|NoLockScreen|DisableFileSyncNGSC|EnableCdp|LetAppsAccessCamera|LetAppsAccessMicrophone|" +
        "LetAppsAccessLocation|LetAppsAccessNotifications|LetAppsAccessCallHistory|LetAppsAccessEmail|" +
        "LetAppsAccessMessaging|LetAppsAccessPhone|LetAppsAccessRadios|LetAppsSyncWithDevices|LetAppsAccessTrustedDevices",
    "maximum-file-path-limitation": "LongPathsEnabled", "service-control-handler-function": "WaitToKillServiceTimeout",
    "system-failure-recovery-options": "AutoReboot|LogEvent|Overwrite|CrashDumpEnabled", "run-and-runonce-registry-keys": "",
    "cc939703(v=technet.10)": "AutoRestartShell", "policy-csp-admx-taskbar": "TaskbarNoThumbnail|TaskbarNoNotification|" +
        "NoSystraySystemPromotion|DisableNotificationCenter|NoPinningToTaskbar|NoRemoteDestinations",
    "policy-csp-admx-startmenu": "HideClock|NoTaskGrouping|LockTaskbar|ClearRecentDocsOnExit|NoInstrumentation",
    "policy-csp-windowsai": "TurnOffWindowsCopilot|DisableAIDataAnalysis", "policy-csp-newsandinterests": "AllowNewsAndInterests" };

// A setting cites a page of Microsoft's that names its value, its key, or its System action.
function sourceNamesTheValue(def) {
    var page = /^https:\/\/(learn|support|msdn)\.microsoft\.com\/[^#]*?([^\/#]+)(#|$)/.exec(def.source),
        names = page && Object.prototype.hasOwnProperty.call(DocumentedBy, page[2]) ? "|" + DocumentedBy[page[2]] + "|" : "";
    return def.value === undefined ? names !== "" : names.indexOf("|" + def.value + "|") >= 0 ||
        names.indexOf("|" + def.key + "|") >= 0 || (!!def.spi && names.indexOf("|SPI|") >= 0);
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
        if (!hasWindowsDefault(def) || !isPlain(def) || tried[def.kind + def.type])
            continue;
        tried[def.kind + def.type] = true;
        for (j = 0; j < 2; j++) {
            registry.RegDeleteValue(def.root, def.key, def.value);
            if (j === 1)
                writeTyped(def.root, def.key, def.value, { dword: "dword", sz: "expand", expand: "sz" }[def.type],
                           def.type === "dword" ? 12345 : "the user's own");
            before = stateText(def);
            TweakEngine.apply(registry, def, statesOf(def)[0]);
            changed = !same(stateText(def), before);
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
        if (hasWindowsDefault(def) && (isPlain(def) || def.dfltAbsent && !def.spi && TweakEngine.isAvailable(registry, def)) &&
            !seen[def.category] && TweakEngine.canChange(registry, def)) {
            seen[def.category] = changed.push(def);
            TweakEngine.apply(registry, def, statesOf(def)[same(TweakEngine.read(registry, def), statesOf(def)[0]) ? 1 : 0]);
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
                 "RegValueType", "RegDeleteValue", "RegCreateKey", "RegDeleteKey", "RegKeyExists", "ValuesNames", "HasFullAccess",
                 "RegCreateNewKey"];
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
        claimed = same(key, place.key) ? name : claimed;
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

// A journal written by hand: an entry numbered past the cap is found in its slot (503 in "3") and
// undone; undo all does not pass over an entry it cannot read.
function journalByHand() {
    var place = TweakEngine.journalPlace, def = testDef({ value: "Past", type: "dword", on: 1, off: 0, dflt: 0 });
    function entry(slot, number) {
        registry.RegWriteString(place.root, place.key, slot, ["2", number, "hand", 0, def.id, def.title, "HKCU", testKey,
                                                            def.value, "dword", 0, "dword", 1].join("|"));
        registry.RegWriteInt("HKCU", testKey, def.value, 1);
    }
    TweakEngine.clearJournal(registry);
    registry.RegCreateKey(place.root, place.key);
    entry("3", 503);
    check("an entry numbered past the cap is undone", failure(function () {
        TweakEngine.undo(registry, "503:hand");
    }) + " " + TweakEngine.readRaw(registry, def) + " " + TweakEngine.journal(registry).length, "no failure 0 0");
    entry("4", 504);
    registry.RegWriteString(place.root, place.key, "5", "damaged");
    check("undo all stops at an entry it cannot read", failure(function () {
        TweakEngine.undoAll(registry);
    }) + " " + TweakEngine.readRaw(registry, def), "Undo all stopped after 1 of 2 changes. An entry of the history " +
          "cannot be read, so it cannot be undone. 0");
    TweakEngine.clearJournal(registry);
}

// Last: the journal moves to a key that engine.sh made read-only, holding one change of a value of its own
// (1 to 2). No change may go unrecorded, nor one in a journal that keeps nothing; undo all ends. A change
// through the System object, made before its data can be known, is taken back.
function unrecordedChangeIsRefused() {
    var def = firstOfKind("toggle", "dword"), own = host.args[1].replace(/\\Journal$/, "");
    var spi = testDef({ value: "DragFullWindows", key: "Control Panel\\Desktop", type: "sz", on: "1", off: "0", dflt: "1",
                        spi: "DRAGFULLWINDOWS" });
    var refusal = def.title + ": not changed, because the change could not be recorded in the history (HKCU\\";
    check("a journal that keeps nothing refuses the change", failure(function () {
        TweakEngine.toggle(registryWith({ RegWriteString: function (root, key, name, text) {
            return same(key, TweakEngine.journalPlace.key) || registry.RegWriteString(root, key, name, text);
        } }), def);
    }) + " " + TweakEngine.isDefault(registry, def), refusal + TweakEngine.journalPlace.key + " cannot be written) true");
    TweakEngine.journalPlace.key = host.args[1];
    check("a change that cannot be recorded is refused", failure(function () {
        TweakEngine.toggle(registry, def);
    }) + " " + TweakEngine.isDefault(registry, def), refusal + host.args[1] + " cannot be written) true");
    check("and one made through the System object before its data is known is taken back", failure(function () {
        TweakEngine.toggle(registry, spi);
    }) + " " + external.System.GetSystemParameter("DRAGFULLWINDOWS") + " " + TweakEngine.readRaw(registry, spi),
          refusal.replace(def.title, spi.title) + host.args[1] + " cannot be written) true 1");
    check("undo all ends at an entry it cannot take out", failure(function () {
        TweakEngine.undoAll(registry);
    }) + " " + registry.RegReadInt("HKCU", own, "Value"), "Undo all stopped after 0 of 1 changes. Locked value: not " +
          "undone, because its entry could not be taken out of the history (HKCU\\" + host.args[1] + " cannot be written). 2");
}

// The engine's own features on definitions made here, in a key of the test's own under HKCU.
var testKey = "Software\\LumivantaTest-" + Math.floor(Math.random() * 1e9);

function testDef(changes) {
    return copyOf({ id: "test-" + changes.value, category: "test", kind: "toggle", title: "Test " + changes.value,
                    description: "Made by the test.", root: "HKCU", key: testKey, takesEffect: "signout" }, changes);
}

// A toggle changes only the bits of its mask, and undo gives back the exact data.
function bitsChangeAlone() {
    var cases = [[{ value: "Mask", type: "dword", bit: { mask: 0x80000040 }, dflt: false }, 0x9E1E0780 | 0, 0x9E1E07C0 | 0],
                 [{ value: "Flags", type: "sz", bit: { mask: 4 }, dflt: true }, "510", "506"],
                 [{ value: "Binary", type: "binary", bit: { "byte": 1, mask: 0x10 }, dflt: true }, "9E1E078012000000",
                  "9E0E078012000000"]], i, def;
    for (i = 0; i < cases.length; i++) {
        def = testDef(cases[i][0]);
        writeTyped("HKCU", testKey, def.value, def.type, cases[i][1]);
        TweakEngine.toggle(registry, def);
        check(def.value + ": a toggle changes only its bits", readTyped("HKCU", testKey, def.value, def.type), cases[i][2]);
        TweakEngine.toggle(registry, def);
        TweakEngine.undoAll(registry);
        check(def.value + ": undo gives back the exact data", registry.RegValueType("HKCU", testKey, def.value) + " " +
              readTyped("HKCU", testKey, def.value, def.type), def.type + " " + cases[i][1]);
    }
    TweakEngine.apply(registry, testDef({ value: "Unset", type: "dword", bit: { mask: 8 }, base: 3, dflt: false }), true);
    check("an unset value gets its base with the bit", readTyped("HKCU", testKey, "Unset", "dword"), 11);
}

function absentDefaultIsDeleted() {
    var def = testDef({ value: "Hover", kind: "range", type: "dword", min: 0, max: 5000, dfltAbsent: true, dflt: 400 });
    writeTyped("HKCU", testKey, def.value, def.type, 1000);
    check("a value a fresh Windows lacks is no default while set", TweakEngine.isDefault(registry, def), false);
    TweakEngine.restore(registry, def);
    check("restoring deletes it, journaled; Windows acts as its default", registry.RegValueExists("HKCU", testKey, "Hover") +
          " " + TweakEngine.journal(registry)[0].after.type + " " + TweakEngine.isDefault(registry, def) + " " +
          TweakEngine.read(registry, def), "false none true 400");
    TweakEngine.undo(registry, TweakEngine.journal(registry)[0].ref);
    check("and undone", readTyped("HKCU", testKey, def.value, def.type), 1000);
}

// On each Windows: which definitions act, and its name; one that does not act is not changed.
function buildsDecideAvailability() {
    var small = testDef({ value: "Small", type: "dword", on: 1, off: 0, dflt: 0,
                          windows: { from: 10240, before: 22000, why: "Windows 11 has no small taskbar buttons." } }),
        newer = testDef({ value: "Newer", type: "dword", on: 1, off: 0, dflt: 0, windows: { from: "22631.4170", why: "-" } }),
        builds = [["19045.5131", "22H2", "true false Windows 10 Pro, 22H2"],
                  ["22631.4169", "23H2", "false false Windows 11 Pro, 23H2"],
                  ["26100.2314", "24H2", "false true Windows 11 Pro, 24H2"]], i;
    for (i = 0; i < builds.length; i++) {
        seeWindows(builds[i][0], builds[i][1]);
        check("on " + builds[i][0] + ": which act, and the name", TweakEngine.isAvailable(registry, small) + " " +
              TweakEngine.isAvailable(registry, newer) + " " + TweakEngine.windowsName(registry), builds[i][2]);
    }
    check("a setting that does not act here is not changed", failure(function () {
        TweakEngine.apply(registry, small, true);
    }) + " " + registry.RegValueExists("HKCU", testKey, "Small"), "Test Small: Windows 11 has no small taskbar buttons. false");
    seeWindows();
}

// The user's own keys are changed freely; its policy keys, like HKLM, need full access to the key
// or, for one made lazily, to the nearest key that exists.
function accessDecidesChanges() {
    var asked = [], denied = registryWith({ HasFullAccess: function (root, key) {
        asked.push(key);
        return false;
    } });
    var own = testDef({ value: "Own", type: "dword", on: 1, off: 0, dflt: 0 }),
        policy = copyOf(own, { key: "Software\\Policies\\" + testKey + "\\Later", makeKey: true });
    check("a setting in the user's own key needs no access check", TweakEngine.canChange(denied, own) + " " + asked.length,
          "true 0");
    check("a policy of the user's needs full access to the nearest key that exists", TweakEngine.canChange(denied, policy) +
          " " + registry.RegKeyExists("HKCU", asked[0]) + " " + (policy.key.indexOf(asked[0] + "\\") === 0), "false true true");
}

// On the prefix's own settings: taken up and stored by Windows, the registry's data journaled,
// and put back by undo, which Windows takes up at once.
function systemParametersApply() {
    var def = testDef({ value: "MenuShowDelay", kind: "range", key: "Control Panel\\Desktop", type: "sz", min: 0,
                        max: 4000, dflt: "400", spi: "MENUSHOWDELAY" }), entry;
    TweakEngine.apply(registry, def, 250);
    entry = TweakEngine.journal(registry)[0];
    check("applied now and stored where Windows keeps it", external.System.GetSystemParameter("MENUSHOWDELAY") + " " +
          TweakEngine.readRaw(registry, def) + " " + entry.before.data + " " + entry.after.data + " " +
          TweakEngine.effectText(def), "250 250 400 250 Takes effect now.");
    TweakEngine.undo(registry, entry.ref, [def]);
    check("undo puts it back, and Windows holds it", external.System.GetSystemParameter("MENUSHOWDELAY") + " " +
          TweakEngine.readRaw(registry, def), "400 400");
    def = TweakEngine.definition(TweakDefinitions, "pointer-precision");
    TweakEngine.apply(registry, def, false);
    check("of Windows' three mouse numbers only the acceleration changes", external.System.GetSystemParameter(def.spi) +
          " " + TweakEngine.readRaw(registry, def) + " " + registry.RegReadString(def.root, def.key, "MouseThreshold1") +
          " " + registry.RegReadString(def.root, def.key, "MouseThreshold2"), "0 0 6 10");
    TweakEngine.restore(registry, def);
}

// A change whose key cannot be made (a name of 300 characters) records nothing. A writer that counts
// while another has taken the number but not yet written its entry takes the next: both are kept.
function journalKeepsOnlyChangesMade() {
    var def = firstOfKind("toggle", "dword"), rival = testDef({ value: "Rival", type: "dword", on: 1, off: 0, dflt: 0 }),
        unmade = testDef({ value: "Later", type: "dword", on: 1, off: 0, dflt: 0, makeKey: true,
                           key: testKey + "\\" + new Array(301).join("k") }), nested = false;
    TweakEngine.clearJournal(registry);
    check("a key that cannot be made records nothing", failure(function () {
        TweakEngine.apply(registry, unmade, true);
    }).indexOf("Failed to create key") + " " + TweakEngine.journal(registry).length, "0 0");
    TweakEngine.apply(registryWith({ RegWriteString: function (root, key, name, text) {
        if (key === TweakEngine.journalPlace.key && !nested) {
            nested = true;
            TweakEngine.apply(registry, rival, true);
        }
        return registry.RegWriteString(root, key, name, text);
    } }), def, !TweakEngine.read(registry, def));
    check("a writer between another's number and its entry: both kept and undone", TweakEngine.journal(registry).length +
          " " + TweakEngine.journal(registry)[0].title + " " + TweakEngine.undoAll(registry) + " " +
          TweakEngine.isDefault(registry, def), "2 " + rival.title + " 2 true");
}

// Undo gives Windows its earlier value back through the System entry, also where the registry's earlier data
// is out of the entry's bounds ("-1", a page at a time) or absent, and for the bits of UserPreferencesMask.
// Where Windows cannot take it back (a ForegroundLockTimeout of -1, read here first), an import's take-back
// says what holds until sign-in.
function undoGivesWindowsItsValue() {
    var cases = [["wheel-lines", "-1", 20], ["menu-delay", "", 250], ["click-lock"], ["mouse-sonar"], ["mouse-vanish"]],
        lock = testDef({ value: "ForegroundLockTimeout", kind: "range", key: "Control Panel\\Desktop", type: "dword",
                         min: 0, max: 200000, dflt: 200000, spi: "FOREGROUNDLOCKTIMEOUT" }), i, def, old;
    for (i = 0; i < cases.length; i++) {
        def = TweakEngine.definition(TweakDefinitions, cases[i][0]);
        if (cases[i].length > 1 && registry.RegDeleteValue(def.root, def.key, def.value) && cases[i][1])
            registry.RegWriteString(def.root, def.key, def.value, cases[i][1]);
        old = external.System.GetSystemParameter(def.spi) + " " + stateText(def);
        TweakEngine.apply(registry, def, cases[i].length > 1 ? cases[i][2] : !TweakEngine.read(registry, def));
        check(def.id + ": undo gives Windows its value back", TweakEngine.undo(registry, TweakEngine.journal(registry)[0].ref,
              TweakDefinitions) + external.System.GetSystemParameter(def.spi) + " " + stateText(def), old);
    }
    writeTyped(lock.root, lock.key, lock.value, "dword", -1);
    check("an import's take-back says what Windows keeps", failure(function () {
        SettingsTransfer.applyImport(registry, [{ def: lock, then: {}, value: 5 }, { def: lock, then: {}, value: -5 }]);
    }) + " " + stateText(lock), "Test ForegroundLockTimeout: choose a whole number from 0 to 200000. The settings " +
          "imported before it were undone; Test ForegroundLockTimeout: undone in the registry, but Windows keeps 5 until " +
          "you sign out and sign in again, since it did not take back -1 (The system parameter 'FOREGROUNDLOCKTIMEOUT' " +
          "takes a whole number of at least 0). dword:-1");
}

function keptIds(defs) {
    var settings = TweakEngine.kept(registry, defs).settings, ids = [], i;
    for (i = 0; i < settings.length; i++)
        ids.push(settings[i].def.id + "=" + settings[i].value);
    return ids.join(" ");
}

// A setting changed through the engine is kept, and forgotten on restore, undo and Stop keeping;
// a damaged entry of the store is skipped and named.
function settingsAreKept() {
    var def = testDef({ value: "Kept", type: "dword", on: 1, off: 0, dflt: 0 }), at = TweakEngine.keepPlace, found, ids = [],
        other = testDef({ value: "Other", type: "dword", on: 1, off: 0, dflt: 0 }), whys = [], i;
    registry.RegDeleteKey(at.root, at.key, true);
    TweakEngine.apply(registry, def, true);
    ids.push(keptIds([def]));
    TweakEngine.undo(registry, TweakEngine.journal(registry)[0].ref);
    ids.push(keptIds([def]));
    TweakEngine.toggle(registry, def);
    TweakEngine.restore(registry, def);
    ids.push(keptIds([def]));
    SettingsTransfer.applyImport(registry, [{ def: def, then: { type: "dword", data: 1 }, value: true }]);
    ids.push(keptIds([def]));
    KeptSettings.stopKeeping(registry, def.id);
    check("kept on apply and import; forgotten on undo, restore and Stop keeping", ids.join("|") + "|" + keptIds([def]),
          def.id + "=true|||" + def.id + "=true|");
    registry.RegWriteInt(at.root, at.key, "dword-entry", 1);
    registry.RegWriteString(at.root, at.key, "no-such-setting", "1|boolean|true|1|Gone");
    registry.RegWriteString(at.root, at.key, def.id, "1|boolean|tr");
    registry.RegWriteString(at.root, at.key, other.id, "1|number|5|1|Other");
    found = TweakEngine.kept(registry, [def, other]);
    for (i = 0; i < found.damaged.length; i++)
        whys.push(found.damaged[i].name + ": " + found.damaged[i].why);
    check("damaged entries skipped, named at start", found.settings.length + " " + whys.sort().join(", ") + " " +
          KeptSettings.check(registry, [def, other], "start"), "0 dword-entry: it is not text, no-such-setting: this " +
          "version of the program has no such setting, test-Kept: its text is damaged, test-Other: its value is not one " +
          "the setting offers 4 kept settings cannot be read; the Changes page lists them.");
    registry.RegDeleteKey(at.root, at.key, true);
}

// Changes behind the engine's back: recorded once as from outside, the build named when it changed, put
// back only when the user chose that, and enforced on the fifth time within a minute, then left alone.
function checksFindChangesBack() {
    var one = testDef({ value: "Watched", type: "dword", on: 1, off: 0, dflt: 0 }), policy = testKey.replace(/^Software/, "Software\\Policies"),
        two = testDef({ value: "Also", kind: "range", type: "dword", min: 0, max: 9, dflt: 0 }), defs = [one, two],
        policyKeyMade = firstMissingKey("HKCU", policy), texts = [], i;
    seeWindows("22631.4169");
    KeptSettings.check(registry, defs, "start");
    TweakEngine.apply(registry, one, true);
    registry.RegWriteInt("HKCU", testKey, "Watched", 0);
    check("a change behind its back is told once and recorded", KeptSettings.check(registry, defs, "registry") + "|" +
          KeptSettings.check(registry, defs, "registry") + "|" + TweakEngine.journal(registry)[0].outside + " " +
          readTyped("HKCU", testKey, "Watched", "dword"), "Something changed 'Test Watched' back||true 0");
    TweakEngine.undo(registry, TweakEngine.journal(registry)[0].ref);
    TweakEngine.apply(registry, two, 7);
    registry.RegWriteInt("HKCU", testKey, "Watched", 0);
    registry.RegWriteInt("HKCU", testKey, "Also", 3);
    seeWindows("26100.2605");
    check("after an update both builds are named", KeptSettings.check(registry, defs, "start"), "Windows changed 2 of " +
          "your settings back after updating from build 22631.4169 to 26100.2605");
    KeptSettings.setPutBackWithoutAsking(registry, true);
    registry.RegCreateKey("HKCU", policy);
    registry.RegWriteInt("HKCU", policy, "Watched", 0);
    KeptSettings.putBack(registry, defs, one.id);
    // The update's change counts too: the fourth here is the fifth within a minute.
    for (i = 0; i < 5; i++) {
        registry.RegWriteInt("HKCU", testKey, "Watched", 0);
        texts.push(KeptSettings.check(registry, [one], "registry"));
    }
    check("put back until enforced, then left alone", texts.join("|") + " " + readTyped("HKCU", testKey, "Watched", "dword"),
          new Array(4).join("Something changed 'Test Watched' back. It was put back.|") + "Something changed 'Test Watched' " +
          "back. 'Test Watched' was changed back 5 times within a minute: it is enforced by a policy (HKCU\\" + policy +
          "\\Watched), and is not put back without asking.| 0");
    check("the keys to watch, each once", KeptSettings.watchedKeys(registry, defs), "HKCU\t" + TweakEngine.keepPlace.key +
          "\nHKCU\t" + testKey);
    KeptSettings.setPutBackWithoutAsking(registry, false);
    registry.RegDeleteKey("HKCU", policyKeyMade, true);
    seeWindows();
}

// The command line's forms: a file applied (refused when malformed, writing nothing; in part when a line
// holds no value of its setting), the kept settings checked, every setting off its default exported.
function commandsGiveExitCodes() {
    var def = firstOfKind("toggle", "dword"), lines = [], written = [], raw = TweakEngine.read(registry, def) ? def.off : def.on,
        file = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + def.key + "]\r\n\"" + def.value +
               "\"=dword:" + ("0000000" + raw.toString(16)).slice(-8) + "\r\n", entries = TweakEngine.journal(registry).length,
        codes;
    ProgramHost.out = { echo: function (line) { lines.push(line); }, write: function (text) { written.push(text); } };
    codes = ProgramHost.command("apply", "not a registry file") + " " + TweakEngine.journal(registry).length + " " +
            ProgramHost.command("apply", file.replace(/dword:[0-9a-f]{8}/, "dword:00000007")) + " " +
            ProgramHost.command("apply", file) + " " + ProgramHost.command("check", "");
    registry.RegWriteInt(def.root, def.key, def.value, 7);
    codes += " " + ProgramHost.command("check", "") + " " + ProgramHost.command("export", "");
    check("exit codes: refused, partly applied, applied, compliant, not compliant, exported", codes + " " + written.length +
          " " + (lines.join("\n").indexOf("Changed back: " + def.title + ": yours") >= 0), "3 " + entries + " 2 0 0 1 0 1 true");
    TweakEngine.restore(registry, def);
}

// Everything else, on the values of a fresh Windows.
function engineWorks() {
    var undo = seedWindowsValues(), journalKeyMade = firstMissingKey("HKCU", TweakEngine.journalPlace.key);
    try {
        systemTakesUpSeed();
        definitionsAreComplete();
        accessDecidesChanges();
        everyDefinitionWorks();
        brokenDefinitionsFail();
        rangesAndColoursAreGuarded();
        ownListIsKept();
        versionIsFound();
        undoGivesBackTheEarlierState();
        undoAllRestoresEveryCategory();
        regFilesAreRead();
        settingsTravel();
        regFileEdgesHold();
        journalIsCapped();
        undoGoesByTheValueAsItIs();
        journalByHand();
        bitsChangeAlone();
        absentDefaultIsDeleted();
        buildsDecideAvailability();
        systemParametersApply();
        undoGivesWindowsItsValue();
        journalKeepsOnlyChangesMade();
        settingsAreKept();
        checksFindChangesBack();
        commandsGiveExitCodes();
        unrecordedChangeIsRefused();
    } finally {
        undoSeeding(undo);
        if (journalKeyMade !== null)
            registry.RegDeleteKey("HKCU", journalKeyMade, true);
    }
}

registry.RegCreateKey("HKCU", testKey);
TweakEngine.keepPlace.key = testKey + "\\Kept";
TweakEngine.keepPlace.checkKey = testKey + "\\Kept checks";
try {
    seeWindows();
    engineWorks();
} finally {
    registry.RegDeleteKey("HKCU", testKey, true);
}
host.echo(passed + " passed, " + failed + " failed");
if (failed > 0)
    throw new Error(failed + " checks failed");
