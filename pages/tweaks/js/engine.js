// The tweak engine: reads, applies and restores one tweak definition through the program's
// Registry object. It never touches a page, so lvscript runs it exactly as the pages do; it
// keeps to ES3 because that is the level of the platform's script engine.
//
// A definition's "raw" value is what the registry holds (a number for "dword", a text for "sz"
// and "expand"); its "value" is what a page shows and sets: true/false for a toggle, a number
// for a range, one of the choices, six hex digits RRGGBB for a colour, a path for a file or
// folder.
var TweakEngine = (function () {
    function failure(def, text) {
        return new Error(def.title + ": " + text);
    }

    function isText(def) {
        return def.type === "sz" || def.type === "expand";
    }

    // The registry's value, or null when it is not set. A value of another type than the
    // definition names is a failure, not a silent 0: RegReadBool refuses anything but a DWORD.
    function readRaw(reg, def) {
        if (!reg.RegValueExists(def.root, def.key, def.value))
            return null;
        if (isText(def))
            return reg.RegReadString(def.root, def.key, def.value);
        reg.RegReadBool(def.root, def.key, def.value);
        return reg.RegReadInt(def.root, def.key, def.value);
    }

    // What Windows goes by: the value when set, else its default.
    function effectiveRaw(reg, def) {
        var raw = readRaw(reg, def);
        return raw === null ? def.dflt : raw;
    }

    // Registry writes under a missing key do nothing and report nothing, so every write is
    // read back; only keys that Windows makes lazily ("makeKey") are created here.
    function writeRaw(reg, def, raw) {
        if (def.makeKey)
            reg.RegCreateKey(def.root, def.key);
        if (def.type === "dword")
            reg.RegWriteInt(def.root, def.key, def.value, raw);
        else if (def.type === "expand")
            reg.RegWriteExpandString(def.root, def.key, def.value, raw);
        else
            reg.RegWriteString(def.root, def.key, def.value, raw);
        if (readRaw(reg, def) !== raw)
            throw failure(def, "the setting could not be changed");
    }

    function hex2(n) {
        var digits = "0123456789ABCDEF";
        return digits.charAt((n >> 4) & 15) + digits.charAt(n & 15);
    }

    // "R G B" as the Colors key keeps it, to RRGGBB as the colour dialog takes it.
    function colorFromText(text) {
        var parts = String(text).split(" "), result = "", i, n, found = 0;
        for (i = 0; i < parts.length && found < 3; i++) {
            if (parts[i] === "")
                continue;
            n = parseInt(parts[i], 10);
            if (isNaN(n) || n < 0 || n > 255)
                return null;
            result += hex2(n);
            found++;
        }
        return found === 3 ? result : null;
    }

    function textFromColor(hex) {
        if (!/^[0-9A-Fa-f]{6}$/.test(hex))
            return null;
        return parseInt(hex.substr(0, 2), 16) + " " + parseInt(hex.substr(2, 2), 16) + " " +
               parseInt(hex.substr(4, 2), 16);
    }

    function choiceOf(def, raw) {
        var i;
        for (i = 0; i < def.choices.length; i++) {
            if (def.choices[i].value === raw)
                return def.choices[i];
        }
        return null;
    }

    function valueFromRaw(def, raw) {
        switch (def.kind) {
        case "toggle":
            return raw === def.on;
        case "range":
            return isText(def) ? parseInt(raw, 10) : raw;
        case "color":
            return colorFromText(raw);
        default:
            return raw;
        }
    }

    function rawFromValue(def, value) {
        var raw = value;
        switch (def.kind) {
        case "toggle":
            return value ? def.on : def.off;
        case "range":
            if (typeof value !== "number" || isNaN(value) || Math.floor(value) !== value ||
                value < def.min || value > def.max)
                throw failure(def, "choose a whole number from " + def.min + " to " + def.max);
            return isText(def) ? String(value) : value;
        case "choice":
            if (choiceOf(def, value) === null)
                throw failure(def, "that choice is not offered");
            return value;
        case "color":
            raw = textFromColor(value);
            if (raw === null)
                throw failure(def, "a colour is six hexadecimal digits");
            return raw;
        default:
            if (typeof value !== "string" || value === "")
                throw failure(def, "a path is needed");
            return value;
        }
    }

    function read(reg, def) {
        return valueFromRaw(def, effectiveRaw(reg, def));
    }

    function apply(reg, def, value) {
        writeRaw(reg, def, rawFromValue(def, value));
    }

    function toggle(reg, def) {
        var on = !read(reg, def);
        apply(reg, def, on);
        return on;
    }

    function restore(reg, def) {
        writeRaw(reg, def, def.dflt);
    }

    function isDefault(reg, def) {
        return effectiveRaw(reg, def) === def.dflt;
    }

    // HKCU is the user's own; elsewhere a setting is changed only where the user may write.
    function canChange(reg, def) {
        return def.root.toUpperCase() === "HKCU" || reg.HasFullAccess(def.root, def.key);
    }

    // The entries of a Run-style key: every named value with its command line.
    function listEntries(reg, def) {
        var count = reg.ValuesNames(def.root, def.key, -1), names = [], entries = [], i, command;
        for (i = 0; i < count; i++)
            names.push(reg.ValuesNames("", "", i));
        for (i = 0; i < names.length; i++) {
            if (names[i] === "")
                continue;
            try {
                command = reg.RegReadString(def.root, def.key, names[i]);
            } catch (e) {
                command = null;
            }
            entries.push({ name: names[i], command: command });
        }
        return entries;
    }

    function removeEntry(reg, def, name) {
        if (!reg.RegDeleteValue(def.root, def.key, name))
            throw failure(def, "\"" + name + "\" could not be removed");
    }

    // A list kept by the list editor: string values "0", "1", ... under the definition's key.
    function listItems(reg, def) {
        var items = [], i;
        for (i = 0; reg.RegValueExists(def.root, def.key, String(i)); i++)
            items.push(reg.RegReadString(def.root, def.key, String(i)));
        return items;
    }

    // The list editor can only add to a key that exists.
    function prepareList(reg, def) {
        if (!reg.RegCreateKey(def.root, def.key))
            throw failure(def, "the list cannot be kept");
    }

    // CheckVer only answers "at least this version?": the version is the largest number it
    // accepts, found by bisection.
    function programVersion(external) {
        var low = 0, high = 99999, middle;
        if (!external.CheckVer(0))
            return null;
        while (low < high) {
            middle = Math.ceil((low + high) / 2);
            if (external.CheckVer(middle))
                low = middle;
            else
                high = middle - 1;
        }
        return low;
    }

    // When Windows acts on a change: a definition's "takesEffect". Windows reads a setting of
    // the whole computer at start, and most of the user's at sign-in; Explorer reads its own
    // when it starts. null for a definition that does not say.
    var effects = {
        now: "Takes effect at once.",
        explorer: "Takes effect when File Explorer restarts.",
        signout: "Takes effect after you sign out and sign in again.",
        restart: "Takes effect when Windows restarts."
    };

    function effectText(def) {
        return Object.prototype.hasOwnProperty.call(effects, def.takesEffect) ? effects[def.takesEffect] : null;
    }

    function versionText(version) {
        return Math.floor(version / 100) + "." + version % 100;
    }

    return {
        read: read,
        apply: apply,
        toggle: toggle,
        restore: restore,
        isDefault: isDefault,
        canChange: canChange,
        readRaw: readRaw,
        colorFromText: colorFromText,
        textFromColor: textFromColor,
        choiceOf: choiceOf,
        listEntries: listEntries,
        removeEntry: removeEntry,
        listItems: listItems,
        prepareList: prepareList,
        effectText: effectText,
        programVersion: programVersion,
        versionText: versionText
    };
}());
