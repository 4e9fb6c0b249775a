// The tweak engine: reads, applies and restores one tweak definition through the program's
// Registry object, and its System object for what Windows keeps through SystemParametersInfo.
// It never touches a page, so lvscript runs it exactly as the pages do; it keeps to ES3
// because that is the level of the platform's script engine.
//
// A definition's "raw" value is what the registry holds (a number for "dword", a text for "sz"
// and "expand"); its "value" is what a page shows and sets: true/false for a toggle, a number
// for a range, one of the choices, six hex digits RRGGBB for a colour, a path for a file or
// folder.
// external: the root object, as lvscript and the browser control give it to page scripts.
/* global external */
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

    // Registry writes under a missing key do nothing, so every write is checked afterwards
    // (holds); only keys that Windows makes lazily ("makeKey") are created here, before the
    // change is recorded, so that a key that cannot be made leaves no entry. The change is
    // recorded in the journal before it is made, and a write that changes nothing records
    // nothing. Programs that take such a change from WM_SETTINGCHANGE are told.
    function writeState(reg, def, after, holds) {
        var before = valueState(reg, def.root, def.key, def.value), claimed;
        if (before !== null && sameState(before, after))
            return;
        if (def.makeKey && after.type !== "none")
            reg.RegCreateKey(def.root, def.key);
        claimed = record(reg, def, def.value, before, after);
        if (!changedOrForgotten(reg, claimed, function () {
            return putValue(reg, def.root, def.key, def.value, after) && holds();
        }))
            throw failure(def, "the setting could not be changed");
        confirmRecord(reg, def, claimed);
        announce(def);
    }

    function writeRaw(reg, def, raw) {
        writeState(reg, def, { type: def.type, data: raw }, function () {
            return readRaw(reg, def) === raw;
        });
    }

    // A value that a fresh Windows does not have ("dfltAbsent") is restored by deleting it.
    function removeValue(reg, def) {
        writeState(reg, def, notSet, function () {
            return !reg.RegValueExists(def.root, def.key, def.value);
        });
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

    // A "bit" setting is bits of a whole value: a DWORD, a number kept as decimal text ("sz"),
    // or one byte of REG_BINARY data, which the Registry object gives as hex pairs. Only those
    // bits change; the journal keeps the whole value before and after. ("byte" is reserved in
    // ES3, so it is written as a quoted name.)
    function readWhole(reg, def) {
        var raw;
        if (!reg.RegValueExists(def.root, def.key, def.value))
            return null;
        if (def.type === "binary")
            return reg.RegReadBinary(def.root, def.key, def.value);
        raw = Number(readRaw(reg, def));
        if (isNaN(raw))
            throw failure(def, "its value is not a number");
        return raw >>> 0;
    }

    function byteOf(hex, index) {
        var pair = hex.substr(index * 2, 2);
        return pair.length === 2 ? parseInt(pair, 16) : 0;
    }

    function bitsOf(def, whole) {
        return ((def.type === "binary" ? byteOf(whole, def.bit["byte"]) : whole) & def.bit.mask) >>> 0;
    }

    // The whole value with the bits of the mask set as in bits, every other bit as it was.
    function withBits(def, whole, bits) {
        var mask = def.bit.mask, at = def.bit["byte"] * 2;
        if (def.type !== "binary")
            return ((whole & ~mask) | bits) >>> 0;
        if (whole.length < at + 2)
            throw failure(def, "its data is shorter than the byte that holds this setting");
        return whole.substr(0, at) + hex2((byteOf(whole, def.bit["byte"]) & ~mask) | bits) + whole.substr(at + 2);
    }

    // What the bits are changed in while the value is not set: the definition's "base", or no
    // bit set; binary data has a length of its own, so it needs a base.
    function baseWhole(def) {
        if (def.base !== undefined)
            return def.type === "binary" ? String(def.base).toUpperCase() : Number(def.base) >>> 0;
        if (def.type === "binary")
            throw failure(def, "the value is not set, so its other bits are unknown");
        return 0;
    }

    // A bit toggle is on when every bit of its mask is set.
    function bitsAreOn(def, whole) {
        return bitsOf(def, whole) === def.bit.mask >>> 0;
    }

    function readBits(reg, def) {
        var whole = readWhole(reg, def);
        return whole === null ? def.dflt : bitsAreOn(def, whole);
    }

    function stateOfWhole(def, whole) {
        if (def.type === "dword")
            return { type: "dword", data: whole | 0 };
        return { type: def.type, data: def.type === "sz" ? String(whole) : whole };
    }

    function writeBits(reg, def, on) {
        var whole = readWhole(reg, def), wanted;
        wanted = withBits(def, whole === null ? baseWhole(def) : whole, on ? def.bit.mask >>> 0 : 0);
        writeState(reg, def, stateOfWhole(def, wanted), function () {
            return readWhole(reg, def) === wanted;
        });
    }

    // A "spi" setting is read and changed through the System object's entry of that name, so
    // that Windows takes it up at once and stores it where it keeps it; the registry data and
    // Windows' value before and after the change go into the journal.
    function systemObject() {
        return external.System;
    }

    // The entry's value for a setting's value: true or false for an entry that is a switch,
    // otherwise a number (for a toggle its "on" or "off" data).
    function spiArgument(def, value, isSwitch) {
        if (isSwitch)
            return !!value;
        return Number(def.kind === "toggle" ? (value ? def.on : def.off) : value);
    }

    function spiSetting(def, current) {
        var i;
        if (typeof current === "boolean")
            return current;
        if (def.kind === "toggle")
            return current === Number(def.on);
        for (i = 0; def.kind === "choice" && i < def.choices.length; i++) {
            if (Number(def.choices[i].value) === current)
                return def.choices[i].value;
        }
        return current;
    }

    var notPutBack = "its value is of a type that could not be put back, so it is left as it is";

    // Windows' value and the registry's data as they were before a change that failed. Windows may
    // have held a value that the entry's bounds refuse (another program set it): the registry's data
    // goes back all the same, and the change's own failure is the one reported.
    function takeBack(reg, def, system, old, before) {
        try {
            system.SetSystemParameter(def.spi, old);
        } catch (e) {
            // Windows keeps the value it has; the registry holds the earlier data for the next sign-in.
        }
        putValue(reg, def.root, def.key, def.value, before);
    }

    // The change is made before its data can be known; one that cannot be recorded is taken back.
    // Windows' value changed, so it is recorded even where the registry's data did not change
    // (Windows may keep the setting elsewhere too).
    function recordOrTakeBack(reg, def, system, windows, before) {
        var after = valueState(reg, def.root, def.key, def.value);
        try {
            if (after === null)
                throw failure(def, notPutBack);
            confirmRecord(reg, def, record(reg, def, def.value, before, after, windows));
        } catch (e) {
            takeBack(reg, def, system, windows.before, before);
            throw e;
        }
    }

    // Windows may accept a value and then hold another: the change failed, and the value and the
    // registry's data go back to what they were.
    function writeSpi(reg, def, value) {
        var system = systemObject(), old = system.GetSystemParameter(def.spi), set,
            wanted = spiArgument(def, value, typeof old === "boolean"),
            before = valueState(reg, def.root, def.key, def.value);
        if (old === wanted)
            return;
        if (before === null)
            throw failure(def, notPutBack);
        set = system.SetSystemParameter(def.spi, wanted);
        if (set === false || system.GetSystemParameter(def.spi) !== wanted) {
            takeBack(reg, def, system, old, before);
            throw failure(def, "the setting could not be changed");
        }
        recordOrTakeBack(reg, def, system, { name: def.spi, before: old, after: wanted }, before);
    }

    // After a registry write: the programs that take it from WM_SETTINGCHANGE ("notify").
    function announce(def) {
        if (def.notify)
            systemObject().NotifySettingChange(def.notify);
    }

    // For undo, once it has put a definition's earlier data back into the registry: Windows
    // takes the data up at once, through the System entry for a "spi" setting (the value as the
    // registry now holds it), by the announcement of "notify" otherwise.
    function takeUp(reg, def) {
        var system, value;
        if (!def.spi) {
            announce(def);
            return;
        }
        system = systemObject();
        value = registryValue(reg, def);
        if (value !== null)
            system.SetSystemParameter(def.spi, spiArgument(def, value, typeof system.GetSystemParameter(def.spi) === "boolean"));
    }

    // The setting as the registry holds it; null for a value that is not set and whose
    // meaning then is not documented, and for binary data of which no bit is known.
    function registryValue(reg, def) {
        var raw;
        if (def.bit)
            return readBits(reg, def);
        if (def.type === "binary")
            return null;
        raw = readRaw(reg, def);
        if (raw === null && def.dflt === undefined)
            return null;
        return valueFromRaw(def, raw === null ? def.dflt : raw);
    }

    function read(reg, def) {
        return def.spi ? spiSetting(def, systemObject().GetSystemParameter(def.spi)) : registryValue(reg, def);
    }

    // The value itself, once the definition's bounds and choices allow it.
    function allowedValue(def, value) {
        rawFromValue(def, value);
        return value;
    }

    // A setting that does nothing on the running Windows is left alone.
    function refuseUnavailable(reg, def) {
        if (!isAvailable(reg, def))
            throw failure(def, unavailableReason(reg, def));
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

    // The value a page would set for a registry state (a registry file's line): a bit setting's
    // state in the whole value, or the data's value; null when the state is of another type or
    // no state that the definition offers.
    function valueOfState(def, state) {
        var whole;
        if (state.type !== def.type && !(isText(def) && (state.type === "sz" || state.type === "expand")))
            return null;
        if (!def.bit)
            return def.type === "binary" ? null : valueOfRaw(def, state.data);
        whole = def.type === "binary" ? String(state.data).toUpperCase() : Number(state.data) >>> 0;
        if (def.type === "binary" ? whole.length < def.bit["byte"] * 2 + 2 : isNaN(Number(state.data)))
            return null;
        return bitsAreOn(def, whole);
    }

    function apply(reg, def, value) {
        refuseUnavailable(reg, def);
        if (def.spi)
            writeSpi(reg, def, allowedValue(def, value));
        else if (def.bit)
            writeBits(reg, def, !!value);
        else
            writeRaw(reg, def, rawFromValue(def, value));
    }

    function toggle(reg, def) {
        var on = !read(reg, def);
        apply(reg, def, on);
        return on;
    }

    // The value Windows acts as by default: a toggle's state where "dflt" gives that (a bit, or a
    // System switch whose data has no "on" and "off"), otherwise the registry's data.
    function defaultValue(def) {
        return def.bit || typeof def.dflt === "boolean" ? def.dflt : valueFromRaw(def, def.dflt);
    }

    function restore(reg, def) {
        refuseUnavailable(reg, def);
        if (def.dfltAbsent)
            removeValue(reg, def);
        else if (def.bit || def.spi)
            apply(reg, def, defaultValue(def));
        else
            writeRaw(reg, def, def.dflt);
    }

    function isDefault(reg, def) {
        if (def.dfltAbsent)
            return !reg.RegValueExists(def.root, def.key, def.value);
        if (def.bit || def.spi)
            return read(reg, def) === defaultValue(def);
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

    // HKCU is the user's own except its policy keys, which Windows lets only administrators write.
    function isPolicyKey(key) {
        return /^software\\(microsoft\\windows\\currentversion\\)?policies(\\|$)/i.test(key);
    }

    // A key that Windows makes lazily ("makeKey") is made under the nearest key that exists.
    function keyToWrite(reg, def) {
        var key = def.key;
        while (def.makeKey && key !== "" && !reg.RegKeyExists(def.root, key))
            key = key.replace(/\\?[^\\]*$/, "");
        return key;
    }

    // Elsewhere than the user's own keys a setting is changed only where the user may write.
    function canChange(reg, def) {
        if (def.root.toUpperCase() === "HKCU" && !isPolicyKey(def.key))
            return true;
        return reg.HasFullAccess(def.root, keyToWrite(reg, def));
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
        var before = valueState(reg, def.root, def.key, name), claimed;
        if (before !== null && before.type === "none")
            throw failure(def, "\"" + name + "\" could not be removed");
        claimed = record(reg, def, name, before, notSet);
        if (!changedOrForgotten(reg, claimed, function () {
            return reg.RegDeleteValue(def.root, def.key, name);
        }))
            throw failure(def, "\"" + name + "\" could not be removed");
        confirmRecord(reg, def, claimed);
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
    // exactly. Its entries are string values under one key, kept in a ring of journalCap names:
    // the entry numbered N (numbers only grow) is the value named N modulo journalCap, so an
    // entry never moves, the newest takes the oldest's name once there are journalCap of them,
    // and a change writes one value (and takes its number, see takeNumber) however long the
    // journal is. Listing a key's value names costs a trip to the registry for each name, too
    // much for every change: the newest entry is found by bisection instead (see newestNumber).
    // Each entry is one line of fields joined by "|", with "%", "|" and line breaks in a field
    // written as %25, %7C, %0D and %0A: the format "2"; the entry's number; its writer's token,
    // which no other entry has; the time in milliseconds since 1970 (UTC); the definition's id
    // and title; root, key and value name; then the type and the data before and after the
    // change. The type is "sz", "expand", "dword" (data in decimal), "binary" (hex pairs), or
    // "none" with empty data for a value that is not set. A change made through a System entry
    // adds three fields: the entry's name and Windows' value before and after the change
    // ("true", "false" or a whole number); entries without them are undone through the registry
    // alone, as before. An undone entry keeps its name as "2|N|TOKEN|undone", so that the ring
    // stays unbroken. Entries of the format "1" (eleven fields, no number or token) stood oldest
    // first from the name "0": their number is their name, and they are read and undone as ever.
    // The tests move journalPlace to keys of their own.
    var journalPlace = { root: "HKCU", key: "SOFTWARE\\Lumivanta Manager\\Journal" };
    var journalCap = 500;
    var notSet = { type: "none", data: "" };
    // Two writers (two pages, or lvscript beside the program) can aim at the same number at once.
    // A writer takes a number by making the key of that number under the journal's key "Claims":
    // only one writer makes it anew, the others try the next number, so many times at most. The
    // token tells entries apart.
    var writer = new Date().getTime().toString(36) + "-" + Math.floor(Math.random() * 2147483647).toString(36);
    var entriesWritten = 0;
    var claimAttempts = 10;

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
        return type === "binary" ? binaryState(reg, root, key, name) : null;
    }

    // Binary data as hex pairs, where the Registry object can read it (older builds cannot).
    function binaryState(reg, root, key, name) {
        try {
            return { type: "binary", data: reg.RegReadBinary(root, key, name) };
        } catch (e) {
            return null;
        }
    }

    function sameState(a, b) {
        return a.type === b.type && a.data === b.data;
    }

    // Writes the value with exactly the state's type, or deletes it for "none"; false when a
    // write reports that it failed (older builds report nothing, so callers read back too).
    // RegWriteInt leaves a text value as it is, so a value of another type goes first.
    function putValue(reg, root, key, name, state) {
        var type = reg.RegValueType(root, key, name);
        if (type !== "" && (state.type === "none" || (state.type === "dword" && type !== "dword")) &&
            !reg.RegDeleteValue(root, key, name))
            return false;
        switch (state.type) {
        case "dword":
            return reg.RegWriteInt(root, key, name, state.data) !== false;
        case "expand":
            return reg.RegWriteExpandString(root, key, name, state.data) !== false;
        case "sz":
            return reg.RegWriteString(root, key, name, state.data) !== false;
        case "binary":
            return reg.RegWriteBinary(root, key, name, state.data) !== false;
        default:
            return true;
        }
    }

    // An entry's fields after its number, escaped once for every name it may be written under.
    function entryFields(entry) {
        var fields = [entry.token, entry.time, entry.id, entry.title, entry.root, entry.key, entry.name,
                      entry.before.type, entry.before.data, entry.after.type, entry.after.data], i;
        if (entry.system)
            fields.push(entry.system.name, String(entry.system.before), String(entry.system.after));
        for (i = 0; i < fields.length; i++)
            fields[i] = escapeField(fields[i]);
        return fields.join("|");
    }

    function undoneText(entry) {
        return "2|" + entry.number + "|" + escapeField(entry.token) + "|undone";
    }

    function stateOf(type, data) {
        return { type: type, data: type === "dword" ? parseInt(data, 10) : data };
    }

    function isNumberText(text) {
        return /^(0|[1-9][0-9]{0,14})$/.test(text);
    }

    function systemValue(text) {
        return text === "true" || (text !== "false" && Number(text));
    }

    // An entry's fields end in a System entry's name and Windows' values before and after.
    function hasSystemFields(fields) {
        var value = /^(true|false|-?[0-9]{1,10})$/;
        return fields.length === 16 && value.test(fields[14]) && value.test(fields[15]);
    }

    // The entry that the value name holds, or null when the text is not one. Its ref,
    // "NUMBER:TOKEN", names it for undo as long as it is in the journal.
    function entryFromText(text, name) {
        var fields = String(text).split("|"), undone = fields.length === 4 && fields[3] === "undone", i, entry;
        if (/%/.test(text)) {
            for (i = 0; i < fields.length; i++)
                fields[i] = unescapeField(fields[i]);
        }
        if (fields[0] === "1" && fields.length === 11)
            fields.splice(1, 0, name, "");
        else if (fields[0] !== "2" || !isNumberText(fields[1]) ||
                 (fields.length !== 13 && !undone && !hasSystemFields(fields)))
            return null;
        entry = undone ? { number: Number(fields[1]), token: fields[2], undone: true }
                       : { number: Number(fields[1]), token: fields[2], time: Number(fields[3]), id: fields[4],
                           title: fields[5], root: fields[6], key: fields[7], name: fields[8],
                           before: stateOf(fields[9], fields[10]), after: stateOf(fields[11], fields[12]) };
        if (hasSystemFields(fields))
            entry.system = { name: fields[13], before: systemValue(fields[14]), after: systemValue(fields[15]) };
        entry.ref = entry.number + ":" + entry.token;
        return entry.number % journalCap === Number(name) ? entry : null;
    }

    function journalText(reg, name) {
        return reg.RegReadString(journalPlace.root, journalPlace.key, name);
    }

    // The text under the name numbered slot, read once for all the questions that one step
    // asks (seen): "" when there is none, "?" when it is not text.
    function slotText(reg, seen, slot) {
        var name = String(slot);
        if (!Object.prototype.hasOwnProperty.call(seen, name)) {
            try {
                seen[name] = journalText(reg, name);
            } catch (e) {
                seen[name] = "?";
            }
        }
        return seen[name];
    }

    // The entry under the name numbered slot: null for none, { damaged: true } for a text that
    // is no entry.
    function slotEntry(reg, seen, slot) {
        var text = slotText(reg, seen, slot);
        return text === "" ? null : entryFromText(text, String(slot)) || { damaged: true };
    }

    // Only the number of the entry under that name, null for none: the script engine takes
    // long to take a whole entry apart, and bisection needs nothing else.
    function slotNumber(reg, seen, slot) {
        var text = slotText(reg, seen, slot), number = /^2\|(0|[1-9][0-9]{0,14})\|/.exec(text), entry;
        if (number !== null)
            return Number(number[1]) % journalCap === Number(slot) ? Number(number[1]) : null;
        entry = text === "" ? null : entryFromText(text, String(slot));
        return entry === null ? null : entry.number;
    }

    // The journal's value names, by listing the key: one trip to the registry for each name.
    function journalNames(reg) {
        var count = reg.ValuesNames(journalPlace.root, journalPlace.key, -1), names = [], i, name;
        for (i = 0; i < count; i++) {
            name = reg.ValuesNames("", "", i);
            if (isNumberText(name) && Number(name) < journalCap)
                names.push(name);
        }
        return names;
    }

    function scannedNewest(reg, seen) {
        var names = journalNames(reg), newest = -1, i, number;
        for (i = 0; i < names.length; i++) {
            number = slotNumber(reg, seen, names[i]);
            if (number !== null && number > newest)
                newest = number;
        }
        return newest;
    }

    // The newest entry's number, -1 for none. In the ring every name from "0" up to the newest
    // holds an entry at least as new as "0" does, and every name after it an older one or none,
    // so bisection finds it in ten reads. When "0" holds no entry (an empty journal, or one
    // broken by hand) or the name after the newest holds more than the oldest, the names are
    // listed and every one is read.
    function newestNumber(reg, seen) {
        var first = slotNumber(reg, seen, 0), low = 0, high = journalCap - 1, middle, number, next;
        if (first === null)
            return scannedNewest(reg, seen);
        while (low < high) {
            middle = Math.ceil((low + high) / 2);
            number = slotNumber(reg, seen, middle);
            if (number !== null && number >= first)
                low = middle;
            else
                high = middle - 1;
        }
        next = slotNumber(reg, seen, (low + 1) % journalCap);
        return next !== null && next > slotNumber(reg, seen, low) + 1 - journalCap ? scannedNewest(reg, seen)
                                                                                  : slotNumber(reg, seen, low);
    }

    function claimKey(number) {
        return journalPlace.key + "\\Claims\\" + number;
    }

    // Takes the number when this writer makes its key anew (making the journal's key with it),
    // and lets go of the key of the number whose name it takes over. A writer that counted long
    // ago may make anew the key of a number let go of: a name that holds that number or a later
    // one is not taken.
    function takeNumber(reg, number) {
        var held;
        if (!reg.RegCreateNewKey(journalPlace.root, claimKey(number)))
            return false;
        reg.RegDeleteKey(journalPlace.root, claimKey(number - journalCap), false);
        held = slotNumber(reg, {}, number % journalCap);
        return held === null || held < number;
    }

    // Takes the next number, writes the entry under its name and reads the whole of it back.
    // A writer of an older build, which takes no number, may leave its own entry there: this
    // one takes the next number. Gives the entry as written, or null when the journal does not
    // keep it; the number is then let go of.
    function claim(reg, entry) {
        var attempt, number = -1, name, kept;
        for (attempt = 0; attempt < claimAttempts; attempt++) {
            number = Math.max(newestNumber(reg, {}), number) + 1;
            if (!takeNumber(reg, number))
                continue;
            name = String(number % journalCap);
            entry.text = "2|" + number + "|" + entry.fields;
            kept = reg.RegWriteString(journalPlace.root, journalPlace.key, name, entry.text) !== false &&
                   journalText(reg, name);
            if (kept === entry.text) {
                entry.number = number;
                entry.ref = number + ":" + entry.token;
                return entry;
            }
            if (kept === false || entryFromText(kept, name) === null) {
                reg.RegDeleteKey(journalPlace.root, claimKey(number), false);
                return null;
            }
        }
        return null;
    }

    function unrecorded(def) {
        return failure(def, "not changed, because the change could not be recorded in the history (" +
                       journalPlace.root + "\\" + journalPlace.key + " cannot be written)");
    }

    // Records one change before it is made and gives its entry; a change that cannot be
    // recorded is refused. system: Windows' values for a change through a System entry.
    function record(reg, def, name, before, after, system) {
        var claimed;
        if (before === null)
            throw failure(def, "its value is of a type that could not be put back, so it is left as it is");
        claimed = { token: writer + "." + (++entriesWritten), time: new Date().getTime(), id: def.id, title: def.title,
                    root: def.root, key: def.key, name: name, before: before, after: after, system: system };
        claimed.fields = entryFields(claimed);
        try {
            claimed = claim(reg, claimed);
        } catch (e) {
            claimed = null;
        }
        if (claimed === null)
            throw unrecorded(def);
        return claimed;
    }

    // A writer of an older build, which takes no number, can still have written over the entry
    // after the read-back. Once the change is made the entry is read again, and recorded anew
    // if it is gone; if even that fails, the change is taken back.
    function confirmRecord(reg, def, claimed) {
        var again;
        try {
            again = journalText(reg, String(claimed.number % journalCap)) === claimed.text || claim(reg, claimed);
        } catch (e) {
            again = null;
        }
        if (again === null) {
            putValue(reg, claimed.root, claimed.key, claimed.name, claimed.before);
            throw unrecorded(def);
        }
    }

    // Makes a change; when it fails without touching the value, its entry is taken out again.
    function changedOrForgotten(reg, claimed, change) {
        var done = false;
        try {
            done = change();
        } finally {
            if (!done)
                forgetIfUnchanged(reg, claimed);
        }
        return done;
    }

    function forgetIfUnchanged(reg, claimed) {
        var now;
        try {
            now = valueState(reg, claimed.root, claimed.key, claimed.name);
            if (now !== null && sameState(now, claimed.before))
                markUndone(reg, claimed);
        } catch (e) {
            // The entry stays; its undo will find the value not as it says and refuse.
        }
    }

    // Takes an entry out of the history in its place; false when the journal cannot be written.
    function markUndone(reg, entry) {
        var name = String(entry.number % journalCap), text = undoneText(entry);
        var held = slotEntry(reg, {}, name);
        if (held === null || held.ref !== entry.ref || held.undone)
            return false;
        return reg.RegWriteString(journalPlace.root, journalPlace.key, name, text) !== false &&
               journalText(reg, name) === text;
    }

    // The recorded changes, newest first; an entry that cannot be read is { damaged: true }
    // and stands last, since its place is unknown.
    function journal(reg) {
        var names = journalNames(reg), seen = {}, entries = [], damaged = [], i, entry;
        for (i = 0; i < names.length; i++) {
            entry = slotEntry(reg, seen, names[i]);
            if (entry !== null && entry.damaged)
                damaged.push({ damaged: true });
            else if (entry !== null && !entry.undone)
                entries.push(entry);
        }
        entries.sort(function (a, b) {
            return b.number - a.number;
        });
        return entries.concat(damaged);
    }

    // Data as a setting's page words it: On or Off, a choice's label, the text itself.
    // A setting of bits is said by its own bits, not by the whole value that holds them.
    function dataWords(def, data) {
        var choice, on = def && def.bit ? valueOfState(def, { type: def.type, data: data }) : null;
        if (def && def.kind === "toggle" && typeof data === "boolean")
            return data ? "On" : "Off";
        if (on !== null)
            return on ? "On" : "Off";
        if (def && def.kind === "toggle" && (data === def.on || data === def.off))
            return data === def.on ? "On" : "Off";
        if (def && def.kind === "choice") {
            choice = choiceOf(def, data);
            return choice ? choice.label : String(data);
        }
        return data === "" ? "(empty)" : String(data);
    }

    function stateWords(def, state) {
        if (state.type !== "none")
            return dataWords(def, state.data);
        if (def && def.kind === "entries")
            return "Not in the list";
        return def && def.dflt !== undefined ? "Not set (Windows default: " + dataWords(def, def.dflt) + ")" : "Not set";
    }

    // The setting an entry changed, as the Changes page names it.
    function subject(entry, def) {
        return entry.title + (def && def.kind === "entries" ? ": \"" + entry.name + "\"" : "");
    }

    function sameValue(a, b) {
        return a.root.toUpperCase() === b.root.toUpperCase() && a.key.toLowerCase() === b.key.toLowerCase() &&
               a.name.toLowerCase() === b.name.toLowerCase();
    }

    function putBack(reg, entry) {
        var now;
        try {
            if (entry.before.type !== "none" && !reg.RegKeyExists(entry.root, entry.key))
                reg.RegCreateKey(entry.root, entry.key);
            if (!putValue(reg, entry.root, entry.key, entry.name, entry.before))
                return false;
            now = valueState(reg, entry.root, entry.key, entry.name);
            return now !== null && sameState(now, entry.before);
        } catch (e) {
            return false;
        }
    }

    // Windows' value through the System entry that a change went through; setting it also writes
    // the registry, so the registry's exact data is written after it. Gives why Windows did not
    // take the value, "" when it did.
    function toWindows(system, value) {
        try {
            return systemObject().SetSystemParameter(system.name, value) === false ? "Windows refused it" : "";
        } catch (e) {
            return e.message;
        }
    }

    function asFound(reg, entry) {
        if (entry.system)
            toWindows(entry.system, entry.system.after);
        putValue(reg, entry.root, entry.key, entry.name, entry.after);
    }

    function systemWords(def, value) {
        if (typeof value === "boolean")
            return value ? "On" : "Off";
        return def ? dataWords(def, spiSetting(def, value)) : String(value);
    }

    // "" when Windows holds its value from before the change again; otherwise what it keeps
    // until the next sign-in, when it reads the registry's data, which is the earlier one again.
    function heldUntilSignIn(entry, def, why) {
        var now;
        try {
            now = systemObject().GetSystemParameter(entry.system.name);
        } catch (e) {
            now = null;
            why = why || e.message;
        }
        if (now === entry.system.before)
            return "";
        return subject(entry, def) + ": undone in the registry, but Windows keeps " +
               (now === null ? "the changed value" : systemWords(def, now)) + " until you sign out and sign in again, " +
               "since it did not take back " + systemWords(def, entry.system.before) + (why ? " (" + why + ")." : ".");
    }

    // Puts back the state before one change, only while the value is still what the change
    // made it, and takes its entry out. Anything that fails leaves the value as it was found.
    // Gives "" when Windows, too, holds the earlier state again, else what holds until sign-in.
    function undoEntry(reg, entry, defs) {
        var def = defs ? definition(defs, entry.id) : null, held = slotEntry(reg, {}, entry.number % journalCap), now, why;
        if (held === null || held.ref !== entry.ref || held.undone)
            throw new Error(subject(entry, def) + ": this change is no longer in the history.");
        now = valueState(reg, entry.root, entry.key, entry.name);
        if (now === null || !sameState(now, entry.after))
            throw new Error(subject(entry, def) + " was changed since: it is now " +
                            (now === null ? "a value of another type" : stateWords(def, now)));
        why = entry.system ? toWindows(entry.system, entry.system.before) : "";
        if (!putBack(reg, entry)) {
            asFound(reg, entry);
            throw new Error(subject(entry, def) + ": the earlier state could not be put back.");
        }
        if (!markUndone(reg, entry)) {
            asFound(reg, entry);
            throw new Error(subject(entry, def) + ": not undone, because its entry could not be taken out of " +
                            "the history (" + journalPlace.root + "\\" + journalPlace.key + " cannot be written).");
        }
        if (entry.system)
            return heldUntilSignIn(entry, def, why);
        takeUpRestored(reg, entry, def);
        return "";
    }

    // For an entry that does not keep Windows' values: Windows holds a System setting in memory
    // too, and the data put back takes effect at once. A value put back as absent is left absent
    // (setting it through Windows would write it).
    function takeUpRestored(reg, entry, def) {
        if (def === null || def.value !== entry.name || entry.before.type === "none")
            return;
        try {
            takeUp(reg, def);
        } catch (e) {
            // The registry holds the earlier data all the same; Windows reads it at the next sign-in.
        }
    }

    function positionOf(entries, ref) {
        var i;
        for (i = 0; i < entries.length; i++) {
            if (entries[i].ref === ref)
                return i;
        }
        return -1;
    }

    // Undoes the change that ref (from journal) names. A newer change of the same value has to
    // be undone first; defs, the definitions, word the data in a refusal as their pages do.
    // Gives "" or what Windows keeps until sign-in (see undoEntry).
    function undo(reg, ref, defs) {
        var entries = journal(reg), i = positionOf(entries, ref), j;
        if (i < 0)
            throw new Error("This change is no longer in the history.");
        for (j = 0; j < i; j++) {
            if (!entries[j].damaged && sameValue(entries[j], entries[i]))
                throw new Error(subject(entries[i], defs ? definition(defs, entries[i].id) : null) +
                                " was changed again afterwards: undo the newer change first.");
        }
        return undoEntry(reg, entries[i], defs);
    }

    // Undoes the changes listed when it starts, newest first, and gives their number; stops at
    // the first that cannot be undone, saying how far it got and why. What Windows keeps until
    // sign-in is added to held, when given.
    function undoAll(reg, defs, held) {
        var entries = journal(reg), i, note;
        for (i = 0; i < entries.length; i++) {
            try {
                if (entries[i].damaged)
                    throw new Error("An entry of the history cannot be read, so it cannot be undone.");
                note = undoEntry(reg, entries[i], defs);
            } catch (e) {
                throw new Error("Undo all stopped after " + i + " of " + entries.length + " changes. " + e.message);
            }
            if (note && held)
                held.push(note);
        }
        return entries.length;
    }

    function clearJournal(reg) {
        reg.RegDeleteKey(journalPlace.root, journalPlace.key, true);
        if (journalNames(reg).length > 0)
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

    // When Windows acts on a change: a definition's "takesEffect", "now" for one made through
    // SystemParametersInfo. Windows reads a setting of the whole computer at start, and most of
    // the user's at sign-in; Explorer reads its own when it starts. null for a definition that
    // does not say.
    var effects = {
        now: "Takes effect now.",
        explorer: "Takes effect when File Explorer restarts.",
        signout: "Takes effect after you sign out and sign in again.",
        restart: "Takes effect when Windows restarts.",
        shutdown: "Takes effect when Windows next shuts down."
    };

    function effectText(def) {
        var when = def.spi ? "now" : def.takesEffect;
        return Object.prototype.hasOwnProperty.call(effects, when) ? effects[when] : null;
    }

    function versionText(version) {
        return Math.floor(version / 100) + "." + version % 100;
    }

    // The running Windows, as its registry describes it; read once for each place, which the
    // tests move to keys of their own.
    var windowsPlace = { root: "HKLM", key: "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion" };
    var windowsSeen = {};

    function windowsText(reg, name) {
        try {
            return reg.RegReadString(windowsPlace.root, windowsPlace.key, name);
        } catch (e) {
            return "";
        }
    }

    function runningWindows(reg) {
        var where = windowsPlace.root + "\\" + windowsPlace.key, build;
        if (!Object.prototype.hasOwnProperty.call(windowsSeen, where)) {
            build = parseInt(windowsText(reg, "CurrentBuildNumber"), 10);
            windowsSeen[where] = { build: isNaN(build) ? null : build, product: windowsText(reg, "ProductName"),
                                   update: reg.RegReadInt(windowsPlace.root, windowsPlace.key, "UBR"),
                                   version: windowsText(reg, "DisplayVersion") };
        }
        return windowsSeen[where];
    }

    // A build as "windows" gives it, 22621 or "22621.1631" (build and update), as a pair.
    function buildPair(build) {
        var parts = String(build).split(".");
        return [parseInt(parts[0], 10), parts.length > 1 ? parseInt(parts[1], 10) : 0];
    }

    function isBefore(a, b) {
        return a[0] < b[0] || (a[0] === b[0] && a[1] < b[1]);
    }

    // Whether a definition acts on the running Windows: builds from "windows.from" up to, not
    // including, "windows.before". A Windows whose build cannot be read is taken to be one.
    function isAvailable(reg, def) {
        var running = runningWindows(reg), here;
        if (!def.windows || running.build === null)
            return true;
        here = [running.build, running.update];
        return !isBefore(here, buildPair(def.windows.from)) &&
               (def.windows.before === undefined || isBefore(here, buildPair(def.windows.before)));
    }

    function unavailableReason(reg, def) {
        if (isAvailable(reg, def))
            return null;
        return def.windows.why || "This setting does nothing on this version of Windows.";
    }

    // "Windows 11 Pro, 23H2": ProductName still says Windows 10 on Windows 11, whose builds
    // start at 22000, so the name is made from the build, the edition that ProductName names
    // and DisplayVersion. Any other Windows goes by its ProductName.
    function windowsName(reg) {
        var running = runningWindows(reg), name;
        if (running.build === null || !/^Windows 1[01]\b/.test(running.product))
            return running.product;
        name = (running.build >= 22000 ? "Windows 11" : "Windows 10") + running.product.substr(10);
        return running.version ? name + ", " + running.version : name;
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
        valueOfState: valueOfState,
        valueState: valueState,
        colorFromText: colorFromText,
        textFromColor: textFromColor,
        choiceOf: choiceOf,
        journal: journal,
        undo: undo,
        undoAll: undoAll,
        clearJournal: clearJournal,
        journalPlace: journalPlace,
        stateWords: stateWords,
        listEntries: listEntries,
        removeEntry: removeEntry,
        listItems: listItems,
        prepareList: prepareList,
        effectText: effectText,
        takeUp: takeUp,
        isAvailable: isAvailable,
        unavailableReason: unavailableReason,
        windowsName: windowsName,
        runningWindows: runningWindows,
        windowsPlace: windowsPlace,
        programVersion: programVersion,
        versionText: versionText
    };
}());
