// Settings carried to other computers and back: the definitions' values written as a registry
// file, and a registry file read back as the changes it would make to the settings, which are
// then made through the engine, each one recorded in its journal. It touches no page; ES3.
// Lists and start-up entries are left out: a list is the user's own notes, and start-up
// entries name programs that the other computer may not have.
var SettingsTransfer = (function () {
    var notSet = { type: "none", data: "" };

    function hasDefault(def) {
        return def.kind !== "list" && def.kind !== "entries";
    }

    // Binary data tells a setting's state only where the definition names its bits.
    function isCarried(def) {
        return hasDefault(def) && (def.type !== "binary" || !!def.bit);
    }

    function keyPath(key) {
        return RegFile.bareKey(key).toLowerCase();
    }

    // parentPath is the keyPath of the parent with a "\\" after it, worked out once for all keys.
    function isBelow(key, parentPath) {
        return (keyPath(key) + "\\").substring(0, parentPath.length) === parentPath;
    }

    // A key path holds no empty part, so the first "\\" after it ends it. (JScript's property
    // names end at a NUL, so that cannot part them.)
    function placeOf(root, key, name) {
        return root.toUpperCase() + "\\" + keyPath(key) + "\\\\" + String(name).toLowerCase();
    }

    function twoDigits(n) {
        return (n < 10 ? "0" : "") + n;
    }

    function dateText(at) {
        return at.getFullYear() + "-" + twoDigits(at.getMonth() + 1) + "-" + twoDigits(at.getDate()) + " " +
               twoDigits(at.getHours()) + ":" + twoDigits(at.getMinutes());
    }

    // A setting that cannot be read as its definition says differs from the default.
    function atDefault(reg, def) {
        try {
            return TweakEngine.isDefault(reg, def);
        } catch (e) {
            return false;
        }
    }

    // For every definition whose setting differs from the Windows default, its value as it is
    // now; for one whose default is that the value is absent and that is at its default, the
    // value's deletion. text is "" when no setting differs; skipped names the settings whose
    // value a registry file of ours does not carry (of another type, or binary data whose bits of
    // the setting no documentation names). Settings that are bits of one value share its line,
    // written once, with the whole value.
    function exportText(reg, defs, version, now) {
        var values = [], written = {}, skipped = [], count = 0, build = TweakEngine.runningWindows(reg).build, i, def,
            state, place;
        for (i = 0; i < defs.length; i++) {
            def = defs[i];
            if (!hasDefault(def))
                continue;
            if (atDefault(reg, def)) {
                state = def.dfltAbsent ? notSet : null;
            } else {
                state = isCarried(def) ? TweakEngine.valueState(reg, def.root, def.key, def.value) : null;
                if (state === null)
                    skipped.push(def.title);
                else
                    count++;
            }
            place = placeOf(def.root, def.key, def.value);
            if (state !== null && !written[place])
                written[place] = values.push({ root: def.root, key: def.key, name: def.value, state: state });
        }
        return { count: count, skipped: skipped, text: count === 0 ? "" : RegFile.format(values, [
            "Lumivanta Manager " + version + ": the settings that differ from the Windows default",
            "Exported " + dateText(now) + " on " + (TweakEngine.windowsName(reg) || "Windows") + ", build " +
            (build === null ? "unknown" : build)]) };
    }

    function titles(defs) {
        var result = [], i;
        for (i = 0; i < defs.length; i++)
            result.push(defs[i].title);
        return result;
    }

    // The settings' states that the file leaves, by definition id, last line winning, and the
    // lines that name no setting. Several settings may share a value (each its bits of it). A
    // key deletion is taken as the deletion of the settings' values below it, which its line
    // names (clears); the key itself is never deleted.
    function fileStates(defs, entries) {
        var wanted = {}, others = [], byPlace = {}, i, j, entry, found, where, place;
        for (i = 0; i < defs.length; i++) {
            place = placeOf(defs[i].root, defs[i].key, defs[i].value);
            if (isCarried(defs[i]))
                byPlace[place] = (byPlace[place] || []).concat([defs[i]]);
        }
        for (i = 0; i < entries.length; i++) {
            entry = entries[i];
            where = entry.root + (entry.key ? "\\" + entry.key : "");
            found = [];
            if (entry.deletesKey) {
                place = keyPath(entry.key) + "\\";
                for (j = 0; j < defs.length; j++) {
                    if (isCarried(defs[j]) && defs[j].root.toUpperCase() === entry.root && isBelow(defs[j].key, place))
                        found.push(defs[j]);
                }
                others.push({ line: entry.line, where: where, what: "the deletion of this key and all it holds",
                              clears: titles(found) });
            } else {
                found = byPlace[placeOf(entry.root, entry.key, entry.name)] || [];
                if (found.length === 0)
                    others.push({ line: entry.line, where: where, what: (entry.state.type === "none" ? "the deletion of " : "") +
                                  (entry.name === "" ? "the default value" : "\"" + entry.name + "\"") });
            }
            for (j = 0; j < found.length; j++)
                wanted[found[j].id] = { def: found[j], line: entry.line, then: entry.deletesKey ? notSet : entry.state };
        }
        return { wanted: wanted, others: others };
    }

    // A path to a file or folder that is not on this computer ("elsewhere") or not found
    // ("missing"), as the System object finds it; null for one that is here, and for no path.
    function pathPlace(system, def, value) {
        var place;
        if ((def.kind !== "file" && def.kind !== "folder") || typeof value !== "string" || value === "")
            return null;
        place = system.PathPlace(value);
        return place === "here" ? null : place;
    }

    // A change that "Apply all" leaves for its own tick, as the pages ask before it: a setting
    // with a caution, or a path that is not on this computer or not found.
    function needsOwnTick(change) {
        return !!change.def.caution || change.place !== null;
    }

    // What importing would do to one setting: the states now and then, and a problem that
    // keeps it from being imported; null when the setting already is as the file has it.
    // A setting of bits is compared by its own bits, so that a value whose other bits differ
    // changes nothing of it.
    function planned(reg, system, want) {
        var def = want.def, change = { def: def, line: want.line, then: want.then, value: null, problem: null };
        change.now = TweakEngine.valueState(reg, def.root, def.key, def.value);
        if (want.then.type === "none") {
            if (atDefault(reg, def))
                return null;
        } else {
            change.value = TweakEngine.valueOfState(def, want.then);
            if (change.value === null)
                change.problem = "Not a value this setting offers";
            else if (isAlready(reg, def, change.value, want.then))
                return null;
        }
        change.problem = change.problem || TweakEngine.unavailableReason(reg, def) ||
                         (TweakEngine.canChange(reg, def) ? null : "Needs administrator rights");
        change.place = change.problem ? null : pathPlace(system, def, change.value);
        return change;
    }

    // A setting that Windows does not give is compared by the registry's data.
    function isAlready(reg, def, value, then) {
        var now;
        try {
            return TweakEngine.read(reg, def) === value;
        } catch (e) {
            now = TweakEngine.valueState(reg, def.root, def.key, def.value);
            return now !== null && now.type === then.type && now.data === then.data;
        }
    }

    // The changes that importing text would make, in the order of the definitions; the lines
    // that it leaves alone because they name none of the settings (others); and the lines that
    // Windows would skip too (skipped). A file without the header of a registry file, or above
    // the bound, fails with the reason.
    function importPlan(external, defs, text) {
        var reg = external.Registry, system = external.System, read, states, changes = [], same = 0;
        var i, want, change;
        read = RegFile.parse(text, function (pairs) {
            return system.AnsiText(pairs);
        });
        states = fileStates(defs, read.entries);
        for (i = 0; i < defs.length; i++) {
            if (!Object.prototype.hasOwnProperty.call(states.wanted, defs[i].id))
                continue;
            want = states.wanted[defs[i].id];
            change = planned(reg, system, want);
            if (change === null)
                same++;
            else
                changes.push(change);
        }
        return { changes: changes, same: same, others: states.others, skipped: read.skipped };
    }

    // The number of the journal's newest entry, -1 when it holds none.
    function newestNumber(reg) {
        var entries = TweakEngine.journal(reg);
        return entries.length > 0 && !entries[0].damaged ? entries[0].number : -1;
    }

    // Undoes, newest first, the changes recorded after the entry numbered since, but never more
    // than most, so that nothing recorded before the import is taken. Gives what Windows keeps
    // until sign-in, "" when it took every earlier value back.
    function takeBack(reg, since, most, defs) {
        var entries = TweakEngine.journal(reg), held = [], i, note;
        for (i = 0; i < entries.length && i < most && !entries[i].damaged && entries[i].number > since; i++) {
            note = TweakEngine.undo(reg, entries[i].ref, defs);
            if (note)
                held.push(note);
        }
        return held.join(" ");
    }

    // One change of an import, through the engine: journaled, and kept for the user, or forgotten
    // where the file restores the Windows default.
    function applyChange(reg, change) {
        if (change.then.type === "none")
            TweakEngine.restore(reg, change.def);
        else
            TweakEngine.apply(reg, change.def, change.value);
    }

    // Makes the changes through the engine, all of them or none: when one fails, those made
    // before it are undone and the failure says so, and what Windows keeps until sign-in.
    function applyImport(reg, changes) {
        var since = newestNumber(reg), defs = [], i, held;
        for (i = 0; i < changes.length; i++) {
            if (changes[i].problem)
                throw new Error(changes[i].def.title + ": " + changes[i].problem + ". Nothing was imported.");
            defs.push(changes[i].def);
        }
        try {
            for (i = 0; i < changes.length; i++)
                applyChange(reg, changes[i]);
        } catch (e) {
            try {
                held = takeBack(reg, since, i + 1, defs);
            } catch (undoFailure) {
                throw new Error(e.message + ". The settings imported before it could not all be put back (" +
                                undoFailure.message + "): the Changes page lists them.");
            }
            throw new Error(e.message + (held ? ". The settings imported before it were undone; " + held
                                              : ". Nothing was imported."));
        }
        return changes.length;
    }

    // Makes each change that has no problem through the engine, one after another, as the command
    // line applies a file to many computers: one that fails leaves the others. Gives the number
    // made, and the changes that failed, each { change, why }.
    function applyEach(reg, changes) {
        var applied = 0, failed = [], i;
        for (i = 0; i < changes.length; i++) {
            if (changes[i].problem)
                continue;
            try {
                applyChange(reg, changes[i]);
                applied++;
            } catch (e) {
                failed.push({ change: changes[i], why: e.message });
            }
        }
        return { applied: applied, failed: failed };
    }

    // Asks where to save the export of defs and writes it there; gives the sentence for the
    // page, "" when the user cancelled.
    function exportToFile(external, defs, suggestedName) {
        var version = TweakEngine.programVersion(external), exported, path;
        exported = exportText(external.Registry, defs, version === null ? "" : TweakEngine.versionText(version),
                              new Date());
        if (exported.count === 0)
            return "No setting here differs from the Windows default, so there is nothing to export.";
        path = external.Dialogs.SaveTextFile("Export settings", "Registry files", "*.reg", suggestedName, exported.text);
        if (!path)
            return "";
        return "Exported " + exported.count + (exported.count === 1 ? " setting" : " settings") + " to " + path + "." +
               (exported.skipped.length === 0 ? "" : " Left out, since a registry file of this program " +
                "cannot carry them: " + exported.skipped.join(", ") + ".");
    }

    return { exportText: exportText, exportToFile: exportToFile, importPlan: importPlan, needsOwnTick: needsOwnTick,
             applyImport: applyImport, applyEach: applyEach };
}());
