// The tweak engine's kept settings: a setting the user changes through the engine (on a page, by
// an import, from the command line) is kept, its chosen value stored for the user beside the
// journal, so that the program can tell when Windows or another program changes it back.
// Restoring the Windows default, undoing that change and "Stop keeping" forget it. ES3.
//
// The store: one string value under keepPlace.key for each kept setting, named by the
// definition's id, of fields joined by "|" and escaped as the journal's are: the format "1"; the
// value's type, "boolean", "number" or "string"; the value ("true" or "false", a number in
// decimal, the text); when it was kept, in milliseconds since 1970 (UTC); the setting's title,
// which names it when a later build no longer has its definition. A later build may add fields
// after these. keepPlace.checkKey, beside it (not below it, so that the program's watch on the
// store does not wake at its own writes), holds what the checks remember: the Windows build
// last seen ("Windows build", text such as "26100.2605"), the user's choice "Put back without
// asking" (a DWORD, 1 for on), and for each setting found enforced a value named by its id:
// "1|TIME|WHAT ENFORCES IT". The tests move keepPlace to keys of their own.
var TweakParts = TweakParts || {};

TweakParts.keep = (function () {
    var values = TweakParts.values, failure = values.failure, escapeField = values.escapeField,
        unescapeField = values.unescapeField, rawFromValue = values.rawFromValue, definition = values.definition;

    var keepPlace = { root: "HKCU", key: "SOFTWARE\\Lumivanta Manager\\Kept",
                      checkKey: "SOFTWARE\\Lumivanta Manager\\Kept checks" };

    // A list's items are the user's own notes and start-up entries name programs that come and
    // go with their installers: neither has one value to hold. Binary data without named bits
    // has no value a page sets. A definition made on the spot (notKept, a template's policy) is
    // not among the pages' definitions, through which a check reads the store back.
    function isKeepable(def) {
        return def.kind !== "list" && def.kind !== "entries" && (def.type !== "binary" || !!def.bit) && !def.notKept;
    }

    function storeText(def, value, time) {
        return ["1", typeof value, escapeField(String(value)), String(time), escapeField(def.title)].join("|");
    }

    // Keeps the value the user chose for def. A store that cannot be written is a failure: the
    // change stands (it is in the history), but the user is told it will not be watched.
    function keep(reg, def, value) {
        var text;
        if (!isKeepable(def))
            return;
        text = storeText(def, value, new Date().getTime());
        if (!reg.RegCreateKey(keepPlace.root, keepPlace.key) ||
            reg.RegWriteString(keepPlace.root, keepPlace.key, def.id, text) === false ||
            reg.RegReadString(keepPlace.root, keepPlace.key, def.id) !== text)
            throw failure(def, "changed, but it cannot be kept, since " + keepPlace.root + "\\" + keepPlace.key +
                          " cannot be written");
    }

    // Forgets the setting and what the checks remember of it; false when it stays in the store.
    function forget(reg, id) {
        if (reg.RegValueExists(keepPlace.root, keepPlace.checkKey, id))
            reg.RegDeleteValue(keepPlace.root, keepPlace.checkKey, id);
        if (!reg.RegValueExists(keepPlace.root, keepPlace.key, id))
            return true;
        return reg.RegDeleteValue(keepPlace.root, keepPlace.key, id) !== false &&
               !reg.RegValueExists(keepPlace.root, keepPlace.key, id);
    }

    // The stored value of the type named, or undefined when the text is not one.
    function valueOfText(type, text) {
        if (type === "boolean")
            return text === "true" ? true : text === "false" ? false : undefined;
        if (type === "number")
            return /^-?[0-9]{1,15}$/.test(text) ? Number(text) : undefined;
        return type === "string" ? text : undefined;
    }

    // A value that the definition offers: a toggle's true or false, else what rawFromValue takes.
    function isOffered(def, value) {
        if (def.kind === "toggle" || def.bit)
            return typeof value === "boolean";
        try {
            rawFromValue(def, value);
            return true;
        } catch (e) {
            return false;
        }
    }

    // The kept setting under the value name, or { name, why } for a damaged one.
    function entryOf(reg, defs, name) {
        var def = definition(defs, name), text, fields, value, i;
        if (reg.RegValueType(keepPlace.root, keepPlace.key, name) !== "sz")
            return { name: name, why: "it is not text" };
        text = reg.RegReadString(keepPlace.root, keepPlace.key, name);
        fields = text.split("|");
        for (i = 0; i < fields.length; i++)
            fields[i] = unescapeField(fields[i]);
        value = fields.length >= 5 && fields[0] === "1" && /^[0-9]{1,15}$/.test(fields[3]) ?
                valueOfText(fields[1], fields[2]) : undefined;
        if (value === undefined)
            return { name: name, why: "its text is damaged" };
        if (def === null)
            return { name: name, title: fields[4], why: "this version of the program has no such setting" };
        if (!isKeepable(def) || !isOffered(def, value))
            return { name: name, title: fields[4], why: "its value is not one the setting offers" };
        return { def: def, value: value, time: Number(fields[3]) };
    }

    // The kept settings of defs, and the store's entries that cannot be read (damaged), each
    // with why; a damaged entry is skipped, never a failure.
    function kept(reg, defs) {
        var result = { settings: [], damaged: [] }, names, i, entry;
        if (!reg.RegKeyExists(keepPlace.root, keepPlace.key))
            return result;
        names = values.valueNames(reg, keepPlace.root, keepPlace.key);
        for (i = 0; i < names.length; i++) {
            try {
                entry = entryOf(reg, defs, names[i]);
            } catch (e) {
                entry = { name: names[i], why: e.message };
            }
            if (entry.def)
                result.settings.push(entry);
            else
                result.damaged.push(entry);
        }
        return result;
    }

    return { keepPlace: keepPlace, isKeepable: isKeepable, keep: keep, forget: forget, kept: kept };
}());
