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
    // read back; only keys that Windows makes lazily ("makeKey") are created here. The change
    // is recorded in the journal first, and a write that changes nothing records nothing.
    function writeRaw(reg, def, raw) {
        var before = valueState(reg, def.root, def.key, def.value), after = { type: def.type, data: raw }, position;
        if (before !== null && sameState(before, after))
            return;
        position = record(reg, def, def.value, before, after);
        if (def.makeKey)
            reg.RegCreateKey(def.root, def.key);
        putValue(reg, def.root, def.key, def.value, after);
        if (readRaw(reg, def) !== raw) {
            forgetIfUnchanged(reg, position, def.root, def.key, def.value, before);
            throw failure(def, "the setting could not be changed");
        }
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

    // The value a page would set for raw, or null when raw is no state that the definition
    // offers (a toggle's third number, a range's number out of bounds, a number for a text).
    function valueOfRaw(def, raw) {
        var value;
        try {
            value = valueFromRaw(def, raw);
            return rawFromValue(def, value) === raw ? value : null;
        } catch (e) {
            return null;
        }
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

    function definition(defs, id) {
        var i;
        for (i = 0; i < defs.length; i++) {
            if (defs[i].id === id)
                return defs[i];
        }
        return null;
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

    // The entry's command line is recorded first, so that undo can bring the entry back.
    function removeEntry(reg, def, name) {
        var before = valueState(reg, def.root, def.key, name), position;
        if (before !== null && before.type === "none")
            throw failure(def, "\"" + name + "\" could not be removed");
        position = record(reg, def, name, before, notSet);
        if (!reg.RegDeleteValue(def.root, def.key, name)) {
            forgetIfUnchanged(reg, position, def.root, def.key, name, before);
            throw failure(def, "\"" + name + "\" could not be removed");
        }
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

    // The journal: every change, recorded before it is made, so that each one can be put back
    // exactly. It is a list in the program's own format, string values "0", "1", ... under
    // one key, oldest first and at most journalCap long. Each entry is one line of eleven
    // fields joined by "|", with "%", "|" and line breaks in a field written as %25, %7C, %0D
    // and %0A: the format "1"; the time in milliseconds since 1970 (UTC); the definition's id
    // and title; root, key and value name; then the type and the data before and after the
    // change. The type is "sz", "expand" or "dword" (data in decimal), or "none" with empty
    // data for a value that is not set. The tests move journalPlace to keys of their own.
    var journalPlace = { root: "HKCU", key: "SOFTWARE\\Lumivanta Manager\\Journal" };
    var journalCap = 500;
    var notSet = { type: "none", data: "" };

    function escapeField(text) {
        return String(text).replace(/[%|\r\n]/g, function (c) {
            return "%" + hex2(c.charCodeAt(0));
        });
    }

    function unescapeField(text) {
        return text.replace(/%([0-9A-F]{2})/g, function (all, code) {
            return String.fromCharCode(parseInt(code, 16));
        });
    }

    // A value as it is now, with its type; null for a type that could not be written back.
    function valueState(reg, root, key, name) {
        var type = reg.RegValueType(root, key, name);
        if (type === "")
            return notSet;
        if (type === "dword")
            return { type: type, data: reg.RegReadInt(root, key, name) };
        if (type === "sz" || type === "expand")
            return { type: type, data: reg.RegReadString(root, key, name) };
        return null;
    }

    function sameState(a, b) {
        return a.type === b.type && a.data === b.data;
    }

    // Writes the value with exactly the state's type, or deletes it for "none". RegWriteInt
    // leaves a text value as it is, so a value of another type goes first.
    function putValue(reg, root, key, name, state) {
        var type = reg.RegValueType(root, key, name);
        if (type !== "" && (state.type === "none" || (state.type === "dword" && type !== "dword")))
            reg.RegDeleteValue(root, key, name);
        if (state.type === "dword")
            reg.RegWriteInt(root, key, name, state.data);
        else if (state.type === "expand")
            reg.RegWriteExpandString(root, key, name, state.data);
        else if (state.type === "sz")
            reg.RegWriteString(root, key, name, state.data);
    }

    function entryText(entry) {
        var fields = ["1", entry.time, entry.id, entry.title, entry.root, entry.key, entry.name,
                      entry.before.type, entry.before.data, entry.after.type, entry.after.data], i;
        for (i = 0; i < fields.length; i++)
            fields[i] = escapeField(fields[i]);
        return fields.join("|");
    }

    function stateOf(type, data) {
        return { type: type, data: type === "dword" ? parseInt(data, 10) : data };
    }

    // An entry read back, or null when the text is not one.
    function entryFromText(text) {
        var fields = String(text).split("|"), i;
        if (fields.length !== 11 || fields[0] !== "1")
            return null;
        for (i = 0; i < fields.length; i++)
            fields[i] = unescapeField(fields[i]);
        return { time: Number(fields[1]), id: fields[2], title: fields[3], root: fields[4], key: fields[5],
                 name: fields[6], before: stateOf(fields[7], fields[8]), after: stateOf(fields[9], fields[10]) };
    }

    function readEntry(reg, position) {
        try {
            return entryFromText(reg.RegReadString(journalPlace.root, journalPlace.key, String(position)));
        } catch (e) {
            return null;
        }
    }

    // The list's length: its values counted, corrected by the names actually there.
    function journalCount(reg) {
        var count = reg.ValuesCount(journalPlace.root, journalPlace.key);
        while (count > 0 && !reg.RegValueExists(journalPlace.root, journalPlace.key, String(count - 1)))
            count--;
        while (reg.RegValueExists(journalPlace.root, journalPlace.key, String(count)))
            count++;
        return count;
    }

    // Takes howMany entries out at position from; the newer ones move down into their place.
    function dropEntries(reg, from, howMany, count) {
        var i;
        for (i = from + howMany; i < count; i++)
            reg.RegWriteString(journalPlace.root, journalPlace.key, String(i - howMany),
                               reg.RegReadString(journalPlace.root, journalPlace.key, String(i)));
        for (i = Math.max(count - howMany, from); i < count; i++)
            reg.RegDeleteValue(journalPlace.root, journalPlace.key, String(i));
    }

    // Records one change and gives its position; a change that cannot be recorded is refused.
    function record(reg, def, name, before, after) {
        var text, count, recorded = false;
        if (before === null)
            throw failure(def, "its value is of a type that could not be put back, so it is left as it is");
        text = entryText({ time: new Date().getTime(), id: def.id, title: def.title, root: def.root, key: def.key,
                           name: name, before: before, after: after });
        try {
            reg.RegCreateKey(journalPlace.root, journalPlace.key);
            count = journalCount(reg);
            if (count >= journalCap) {
                dropEntries(reg, 0, count - journalCap + 1, count);
                count = journalCap - 1;
            }
            reg.RegWriteString(journalPlace.root, journalPlace.key, String(count), text);
            recorded = reg.RegReadString(journalPlace.root, journalPlace.key, String(count)) === text;
        } catch (e) {
            recorded = false;
        }
        if (!recorded)
            throw failure(def, "not changed, because the change could not be recorded in the history (" +
                          journalPlace.root + "\\" + journalPlace.key + " cannot be written)");
        return count;
    }

    // A change that failed without touching the value leaves nothing to undo.
    function forgetIfUnchanged(reg, position, root, key, name, before) {
        var now = valueState(reg, root, key, name);
        if (now !== null && sameState(now, before))
            reg.RegDeleteValue(journalPlace.root, journalPlace.key, String(position));
    }

    // The recorded changes, newest first; an entry that cannot be read is { damaged: true }.
    function journal(reg) {
        var count = journalCount(reg), entries = [], i, entry;
        for (i = count - 1; i >= 0; i--) {
            entry = readEntry(reg, i);
            entries.push(entry === null ? { damaged: true } : entry);
        }
        return entries;
    }

    function putBack(reg, entry) {
        var now;
        if (entry.before.type !== "none" && !reg.RegKeyExists(entry.root, entry.key))
            reg.RegCreateKey(entry.root, entry.key);
        putValue(reg, entry.root, entry.key, entry.name, entry.before);
        now = valueState(reg, entry.root, entry.key, entry.name);
        if (now === null || !sameState(now, entry.before))
            throw new Error(entry.title + ": the earlier state could not be put back");
    }

    // Puts back the state before the change at index (0 is the newest) and removes its entry.
    function undo(reg, index) {
        var count = journalCount(reg), position = count - 1 - index, entry;
        if (!(index >= 0 && index < count))
            throw new Error("There is no such change in the history.");
        entry = readEntry(reg, position);
        if (entry === null)
            throw new Error("This entry of the history cannot be read, so it cannot be undone.");
        putBack(reg, entry);
        dropEntries(reg, position, 1, count);
    }

    function undoAll(reg) {
        while (journalCount(reg) > 0)
            undo(reg, 0);
    }

    function clearJournal(reg) {
        reg.RegDeleteKey(journalPlace.root, journalPlace.key, true);
        if (journalCount(reg) > 0)
            throw new Error("The history could not be cleared.");
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
        definition: definition,
        canChange: canChange,
        readRaw: readRaw,
        valueOfRaw: valueOfRaw,
        valueState: valueState,
        colorFromText: colorFromText,
        textFromColor: textFromColor,
        choiceOf: choiceOf,
        journal: journal,
        undo: undo,
        undoAll: undoAll,
        clearJournal: clearJournal,
        journalPlace: journalPlace,
        listEntries: listEntries,
        removeEntry: removeEntry,
        listItems: listItems,
        prepareList: prepareList,
        effectText: effectText,
        programVersion: programVersion,
        versionText: versionText
    };
}());
