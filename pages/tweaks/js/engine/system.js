// The tweak engine's System entries: a "spi" setting is read and changed through the System
// object's entry of that name (SystemParametersInfo), and Windows is told of registry changes
// that programs take from WM_SETTINGCHANGE. ES3.
// external: the root object, as lvscript and the browser control give it to page scripts.
/* global external */
var TweakParts = TweakParts || {};

TweakParts.system = (function () {
    var values = TweakParts.values, failure = values.failure, valueState = values.valueState,
        putValue = values.putValue, registryValue = values.registryValue;

    // The journal is loaded after this part, and records the changes made here.
    function record() {
        return TweakParts.journal.record.apply(null, arguments);
    }

    function confirmRecord() {
        return TweakParts.journal.confirmRecord.apply(null, arguments);
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

    return {
        systemObject: systemObject,
        spiArgument: spiArgument,
        spiSetting: spiSetting,
        writeSpi: writeSpi,
        announce: announce,
        takeUp: takeUp
    };
}());
