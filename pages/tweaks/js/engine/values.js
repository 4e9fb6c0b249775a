// The tweak engine's values: a definition's "raw" value is what the registry holds (a number for
// "dword", a text for "sz" and "expand"); its "value" is what a page shows and sets: true/false
// for a toggle, a number for a range, one of the choices, six hex digits RRGGBB for a colour, a
// path for a file or folder. A "bit" setting is bits of a whole value. And a registry value's
// state, { type, data }, as the journal keeps it and puts it back. ES3, like the whole engine.
var TweakParts = TweakParts || {};

TweakParts.values = (function () {
    function failure(def, text) {
        return new Error(def.title + ": " + text);
    }

    function isText(def) {
        return def.type === "sz" || def.type === "expand";
    }

    // A value that is not set, as the journal and the registry files write it.
    var notSet = { type: "none", data: "" };

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

    function hex2(n) {
        var digits = "0123456789ABCDEF";
        return digits.charAt((n >> 4) & 15) + digits.charAt(n & 15);
    }

    // A field of the texts the engine keeps in the registry (the journal's entries, the kept
    // settings): "%", "|" and line breaks are written as %25, %7C, %0D and %0A.
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

    // The value itself, once the definition's bounds and choices allow it.
    function allowedValue(def, value) {
        rawFromValue(def, value);
        return value;
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

    // The registry's state that holds value for def, a bit setting's other bits as they are now:
    // what a kept value is put back as. For a System switch whose data the definition does not
    // name, and binary data without bits, the state as it is now.
    function stateOfValue(reg, def, value) {
        var whole, raw;
        if (def.bit) {
            whole = readWhole(reg, def);
            return stateOfWhole(def, withBits(def, whole === null ? baseWhole(def) : whole, value ? def.bit.mask >>> 0 : 0));
        }
        raw = def.type === "binary" ? undefined : rawFromValue(def, value);
        return raw === undefined ? valueState(reg, def.root, def.key, def.value) : { type: def.type, data: raw };
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

    // The value Windows acts as by default: a toggle's state where "dflt" gives that (a bit, or a
    // System switch whose data has no "on" and "off"), otherwise the registry's data.
    function defaultValue(def) {
        return def.bit || typeof def.dflt === "boolean" ? def.dflt : valueFromRaw(def, def.dflt);
    }

    function definition(defs, id) {
        var i;
        for (i = 0; i < defs.length; i++) {
            if (defs[i].id === id)
                return defs[i];
        }
        return null;
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

    // A key's named values (its default value left out). Listing costs a trip to the registry for
    // each name.
    function valueNames(reg, root, key) {
        var count = reg.ValuesNames(root, key, -1), names = [], i, name;
        for (i = 0; i < count; i++) {
            name = reg.ValuesNames("", "", i);
            if (name !== "")
                names.push(name);
        }
        return names;
    }

    return {
        valueNames: valueNames,
        failure: failure,
        isText: isText,
        notSet: notSet,
        readRaw: readRaw,
        effectiveRaw: effectiveRaw,
        hex2: hex2,
        escapeField: escapeField,
        unescapeField: unescapeField,
        colorFromText: colorFromText,
        textFromColor: textFromColor,
        choiceOf: choiceOf,
        valueFromRaw: valueFromRaw,
        rawFromValue: rawFromValue,
        readWhole: readWhole,
        withBits: withBits,
        baseWhole: baseWhole,
        readBits: readBits,
        stateOfWhole: stateOfWhole,
        registryValue: registryValue,
        allowedValue: allowedValue,
        valueOfState: valueOfState,
        defaultValue: defaultValue,
        definition: definition,
        valueState: valueState,
        stateOfValue: stateOfValue,
        sameState: sameState,
        putValue: putValue
    };
}());
