// The tweak engine's journal: every change recorded before it is made, claimed by one writer
// among several, read back newest first, and undone exactly. ES3.
var TweakParts = TweakParts || {};

TweakParts.journal = (function () {
    var values = TweakParts.values, failure = values.failure, escapeField = values.escapeField,
        unescapeField = values.unescapeField, valueState = values.valueState,
        sameState = values.sameState, putValue = values.putValue, definition = values.definition,
        valueOfState = values.valueOfState, choiceOf = values.choiceOf,
        stateOfValue = values.stateOfValue;
    var systemPart = TweakParts.system, systemObject = systemPart.systemObject, spiSetting = systemPart.spiSetting,
        takeUp = systemPart.takeUp, spiArgument = systemPart.spiArgument;
    var forget = TweakParts.keep.forget;

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

    // Two writers (two pages, or lvscript beside the program) can aim at the same number at once.
    // A writer takes a number by making the key of that number under the journal's key "Claims":
    // only one writer makes it anew, the others try the next number, so many times at most. The
    // token tells entries apart.
    var writer = new Date().getTime().toString(36) + "-" + Math.floor(Math.random() * 2147483647).toString(36);

    var entriesWritten = 0;

    var claimAttempts = 10;

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
        entry.outside = entry.token.substring(0, outsideMark.length) === outsideMark;
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
        var listed = values.valueNames(reg, journalPlace.root, journalPlace.key), names = [], i;
        for (i = 0; i < listed.length; i++) {
            if (isNumberText(listed[i]) && Number(listed[i]) < journalCap)
                names.push(listed[i]);
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
    // mark: before the token, for a change from outside.
    function record(reg, def, name, before, after, system, mark) {
        var claimed;
        if (before === null)
            throw failure(def, "its value is of a type that could not be put back, so it is left as it is");
        claimed = { token: (mark || "") + writer + "." + (++entriesWritten), time: new Date().getTime(), id: def.id,
                    title: def.title, root: def.root, key: def.key, name: name, before: before, after: after,
                    system: system };
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

    // A change from outside (Windows or another program changed a kept setting back) is recorded
    // when it is noticed, as an entry of the format "2" whose token starts with outsideMark, so
    // that older builds read it as any change: before it, the kept value as the registry holds
    // it; after it, the registry as it is now; for a System setting Windows' value for each.
    // Undoing it puts the kept value back. Gives the entry.
    var outsideMark = "outside.";

    function recordOutside(reg, def, kept) {
        var before = stateOfValue(reg, def, kept), system = null, current;
        if (def.spi) {
            current = systemObject().GetSystemParameter(def.spi);
            system = { name: def.spi, before: spiArgument(def, kept, typeof current === "boolean"), after: current };
        }
        return record(reg, def, def.value, before, valueState(reg, def.root, def.key, def.value), system, outsideMark);
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
    // made it, and takes its entry out; a change made through the engine is then no longer
    // kept, while undoing one from outside gives back the kept value, which stays kept. Anything
    // that fails leaves the value as it was found.
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
        if (!entry.outside)
            forget(reg, entry.id);
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

    return {
        journalPlace: journalPlace,
        record: record,
        confirmRecord: confirmRecord,
        recordOutside: recordOutside,
        changedOrForgotten: changedOrForgotten,
        journal: journal,
        stateWords: stateWords,
        undo: undo,
        undoAll: undoAll,
        clearJournal: clearJournal
    };
}());
