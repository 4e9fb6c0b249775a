// The tweak engine: reads, applies and restores one tweak definition through the program's
// Registry object, and its System object for what Windows keeps through SystemParametersInfo.
// It never touches a page, so lvscript runs it exactly as the pages do; it keeps to ES3
// because that is the level of the platform's script engine. Each concern has a file of its
// own under engine/, loaded before this one in this order: values.js (values and bits),
// access.js (availability and access), system.js (System entries), keep.js (the settings
// kept for the user), journal.js (the journal);
// they add themselves to TweakParts, and this file puts TweakEngine together from them.
/* global TweakParts */
var TweakEngine = (function () {
    var values = TweakParts.values, failure = values.failure, notSet = values.notSet,
        readRaw = values.readRaw, effectiveRaw = values.effectiveRaw, rawFromValue = values.rawFromValue,
        readWhole = values.readWhole, withBits = values.withBits, baseWhole = values.baseWhole,
        stateOfWhole = values.stateOfWhole, registryValue = values.registryValue,
        allowedValue = values.allowedValue, defaultValue = values.defaultValue, valueState = values.valueState,
        sameState = values.sameState, putValue = values.putValue;
    var access = TweakParts.access, refuseUnavailable = access.refuseUnavailable;
    var system = TweakParts.system, spiSetting = system.spiSetting, systemObject = system.systemObject,
        writeSpi = system.writeSpi, announce = system.announce;
    var keep = TweakParts.keep;
    var journal = TweakParts.journal, record = journal.record, confirmRecord = journal.confirmRecord,
        changedOrForgotten = journal.changedOrForgotten;

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

    function writeBits(reg, def, on) {
        var whole = readWhole(reg, def), wanted;
        wanted = withBits(def, whole === null ? baseWhole(def) : whole, on ? def.bit.mask >>> 0 : 0);
        writeState(reg, def, stateOfWhole(def, wanted), function () {
            return readWhole(reg, def) === wanted;
        });
    }

    function read(reg, def) {
        return def.spi ? spiSetting(def, systemObject().GetSystemParameter(def.spi)) : registryValue(reg, def);
    }

    function change(reg, def, value) {
        refuseUnavailable(reg, def);
        if (def.spi)
            writeSpi(reg, def, allowedValue(def, value));
        else if (def.bit)
            writeBits(reg, def, !!value);
        else
            writeRaw(reg, def, rawFromValue(def, value));
    }

    // The value the user chose is kept (see engine/keep.js), also when the setting already held it.
    function apply(reg, def, value) {
        change(reg, def, value);
        keep.keep(reg, def, def.kind === "toggle" || def.bit ? !!value : value);
    }

    function toggle(reg, def) {
        var on = !read(reg, def);
        apply(reg, def, on);
        return on;
    }

    function restore(reg, def) {
        refuseUnavailable(reg, def);
        if (def.dfltAbsent)
            removeValue(reg, def);
        else if (def.bit || def.spi)
            change(reg, def, defaultValue(def));
        else
            writeRaw(reg, def, def.dflt);
        keep.forget(reg, def.id);
    }

    function isDefault(reg, def) {
        if (def.dfltAbsent)
            return !reg.RegValueExists(def.root, def.key, def.value);
        if (def.bit || def.spi)
            return read(reg, def) === defaultValue(def);
        return effectiveRaw(reg, def) === def.dflt;
    }

    // The entries of a Run-style key: every named value with its command line.
    function listEntries(reg, def) {
        var names = values.valueNames(reg, def.root, def.key), entries = [], i, command;
        for (i = 0; i < names.length; i++) {
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

    return {
        read: read,
        apply: apply,
        toggle: toggle,
        restore: restore,
        isDefault: isDefault,
        definition: values.definition,
        valueNames: values.valueNames,
        allowedValue: values.allowedValue,
        canChange: access.canChange,
        readRaw: values.readRaw,
        valueOfState: values.valueOfState,
        valueState: values.valueState,
        colorFromText: values.colorFromText,
        textFromColor: values.textFromColor,
        choiceOf: values.choiceOf,
        journal: journal.journal,
        undo: journal.undo,
        undoAll: journal.undoAll,
        clearJournal: journal.clearJournal,
        journalPlace: journal.journalPlace,
        recordOutside: journal.recordOutside,
        keepPlace: keep.keepPlace,
        isKeepable: keep.isKeepable,
        kept: keep.kept,
        stopKeeping: keep.forget,
        stateWords: journal.stateWords,
        listEntries: listEntries,
        removeEntry: removeEntry,
        listItems: listItems,
        prepareList: prepareList,
        effectText: access.effectText,
        takeUp: system.takeUp,
        isAvailable: access.isAvailable,
        unavailableReason: access.unavailableReason,
        windowsName: access.windowsName,
        runningWindows: access.runningWindows,
        windowsPlace: access.windowsPlace,
        programVersion: access.programVersion,
        versionText: access.versionText
    };
}());
