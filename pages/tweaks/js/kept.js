// The settings kept for the user (see engine/keep.js), checked against what Windows holds now.
// One that no longer holds was changed back, by a Windows update or another program: a check
// records that in the history as a change from outside, names the Windows build when it
// differs from the one seen last, and puts the setting back itself only when the user chose
// "Put my settings back without asking". A setting changed back again and again is enforced
// (a policy, a management tool) and is never put back in a loop. It touches no page; ES3, since
// the program's own script host runs it as well as the Changes page.
var KeptSettings = (function () {
    var minute = 60000;
    var enforcedAfter = 5;
    var buildName = "Windows build", putBackName = "Put back without asking";
    // Where Group Policy keeps what it enforces: the mirror of a setting's own key under
    // Software\Policies, and Explorer's and the system's policies of old.
    var policyKeys = ["Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                      "Software\\Policies\\Microsoft\\Windows\\Explorer"];

    function place() {
        return TweakEngine.keepPlace;
    }

    function checkText(reg, name) {
        var at = place();
        return reg.RegValueType(at.root, at.checkKey, name) === "sz" ? reg.RegReadString(at.root, at.checkKey, name) : "";
    }

    function remember(reg, name, text) {
        var at = place();
        reg.RegCreateKey(at.root, at.checkKey);
        reg.RegWriteString(at.root, at.checkKey, name, text);
    }

    // The names of what the checks remember, listed once for a check rather than asked for each setting.
    function markNames(reg) {
        var at = place(), names = {}, listed, i;
        if (!reg.RegKeyExists(at.root, at.checkKey))
            return names;
        listed = TweakEngine.valueNames(reg, at.root, at.checkKey);
        for (i = 0; i < listed.length; i++)
            names[listed[i]] = true;
        return names;
    }

    function putBackWithoutAsking(reg) {
        var at = place();
        return reg.RegValueType(at.root, at.checkKey, putBackName) === "dword" &&
               reg.RegReadInt(at.root, at.checkKey, putBackName) === 1;
    }

    function setPutBackWithoutAsking(reg, on) {
        var at = place();
        reg.RegCreateKey(at.root, at.checkKey);
        reg.RegWriteInt(at.root, at.checkKey, putBackName, on ? 1 : 0);
        if (putBackWithoutAsking(reg) !== !!on)
            throw new Error("The choice cannot be kept, since " + at.root + "\\" + at.checkKey + " cannot be written.");
    }

    // The setting's value now; undefined when it cannot be read as its definition says.
    function valueNow(reg, def) {
        try {
            return TweakEngine.read(reg, def);
        } catch (e) {
            return undefined;
        }
    }

    // Paths and colours are the same in any letter case.
    function isSame(a, b) {
        return typeof a === "string" && typeof b === "string" ? a.toLowerCase() === b.toLowerCase() : a === b;
    }

    // A setting whose value cannot be read now (Windows gives no value for its System entry) is not
    // told as changed back: nothing is known of it.
    function holds(now, kept) {
        return now === undefined || isSame(now, kept);
    }

    // What the checks remember of an enforced setting, { time, by }, or null.
    function enforcedMark(reg, id) {
        var fields = checkText(reg, id).split("|");
        return fields.length >= 3 && fields[0] === "1" ? { time: Number(fields[1]), by: fields.slice(2).join("|") } : null;
    }

    // A policy that holds the setting's value, as "a policy (ROOT\KEY\NAME)"; "" when none is found.
    function enforcer(reg, def) {
        var keys = [def.key.replace(/^software\\(policies\\)?/i, "Software\\Policies\\")].concat(policyKeys),
            roots = ["HKLM", "HKCU"], i, j;
        for (i = 0; i < roots.length; i++) {
            for (j = 0; j < keys.length; j++) {
                if (reg.RegValueExists(roots[i], keys[j], def.value))
                    return "a policy (" + roots[i] + "\\" + keys[j] + "\\" + def.value + ")";
            }
        }
        return "";
    }

    // Every kept setting of defs with its value now ({ def, value, time, now, holds, enforced }),
    // and the store's entries that cannot be read (damaged: { name, title, why }).
    function list(reg, defs) {
        var found = TweakEngine.kept(reg, defs), i, setting;
        for (i = 0; i < found.settings.length; i++) {
            setting = found.settings[i];
            setting.now = valueNow(reg, setting.def);
            setting.holds = holds(setting.now, setting.value);
            setting.enforced = enforcedMark(reg, setting.def.id);
        }
        return found;
    }

    function sameState(a, b) {
        return a !== null && b !== null && a.type === b.type && a.data === b.data;
    }

    // Whether a setting that does not hold is news. Not when the newest change of it in the
    // history is newer than the keeping and left it as it is now: either a change from outside
    // noticed before, or a change through an engine that has not kept its value yet (a page
    // between its write and its keeping, or an older build, which keeps nothing).
    function isNews(reg, setting, entries) {
        var def = setting.def, i, entry;
        for (i = 0; i < entries.length; i++) {
            entry = entries[i];
            if (entry.damaged || entry.id !== def.id)
                continue;
            if (entry.time < setting.time || !sameState(entry.after, TweakEngine.valueState(reg, def.root, def.key, def.value)))
                return true;
            try {
                return !!entry.system && external.System.GetSystemParameter(entry.system.name) !== entry.system.after;
            } catch (e) {
                return false;
            }
        }
        return true;
    }

    // The changes from outside of the setting in the history within a minute of time.
    function recentOutside(entries, id, time) {
        var count = 0, i;
        for (i = 0; i < entries.length; i++) {
            if (!entries[i].damaged && entries[i].outside && entries[i].id === id && entries[i].time > time - minute)
                count++;
        }
        return count;
    }

    // Records a setting changed back, marks it enforced on the fifth time within a minute, and
    // puts it back when the user chose that and it is not enforced.
    function notice(reg, setting, entries, time, withoutAsking) {
        var def = setting.def, event = { def: def, enforced: enforcedMark(reg, def.id), newlyEnforced: false,
                                         putBack: false, failed: "" };
        try {
            TweakEngine.recordOutside(reg, def, setting.value);
        } catch (e) {
            event.failed = e.message;
            return event;
        }
        if (!event.enforced && recentOutside(entries, def.id, time) + 1 >= enforcedAfter) {
            event.enforced = { time: time, by: enforcer(reg, def) };
            event.newlyEnforced = true;
            remember(reg, def.id, "1|" + time + "|" + event.enforced.by);
        }
        if (withoutAsking && !event.enforced) {
            try {
                TweakEngine.apply(reg, def, setting.value);
                event.putBack = true;
            } catch (e) {
                event.failed = e.message;
            }
        }
        return event;
    }

    // The build Windows runs now, as "26100.2605"; the one seen last is remembered. Gives
    // { from, to } when it differs from the one seen last, else null.
    function buildChange(reg) {
        var running = TweakEngine.runningWindows(reg), now, last;
        if (running.build === null)
            return null;
        now = running.build + "." + (running.update || 0);
        last = checkText(reg, buildName);
        if (last === now)
            return null;
        remember(reg, buildName, now);
        return last === "" ? null : { from: last, to: now };
    }

    function quoted(def) {
        return "'" + def.title + "'";
    }

    // The one notification for the events of one check.
    function tell(events, build) {
        var subject = events.length === 1 ? quoted(events[0].def) : events.length + " of your settings",
            text = build ? "Windows changed " + subject + " back after updating from build " + build.from + " to " + build.to
                         : "Something changed " + subject + " back", more = [], putBackCount = 0, i, event;
        for (i = 0; i < events.length; i++) {
            event = events[i];
            putBackCount += event.putBack ? 1 : 0;
            if (event.newlyEnforced)
                more.push(quoted(event.def) + " was changed back " + enforcedAfter + " times within a minute: it is " +
                          "enforced" + (event.enforced.by ? " by " + event.enforced.by : "") +
                          ", and is not put back without asking");
            if (event.failed)
                more.push(quoted(event.def) + ": " + event.failed);
        }
        if (putBackCount > 0)
            more.unshift(events.length === 1 ? "It was put back" : putBackCount + " of them were put back");
        return more.length === 0 ? text : text + ". " + more.join(". ") + ".";
    }

    // Checks every kept setting of defs; reason: "start", "resume", "registry" or "setting".
    // Gives the text of the one notification to show, "" when there is nothing to tell. A
    // damaged entry of the store is skipped, and named once, at the program's start.
    function check(reg, defs, reason) {
        var found = TweakEngine.kept(reg, defs), build = buildChange(reg), time = new Date().getTime(),
            withoutAsking = putBackWithoutAsking(reg), marks = markNames(reg), events = [], entries = null, i, setting,
            text;
        for (i = 0; i < found.settings.length; i++) {
            setting = found.settings[i];
            if (holds(valueNow(reg, setting.def), setting.value)) {
                if (Object.prototype.hasOwnProperty.call(marks, setting.def.id))
                    reg.RegDeleteValue(place().root, place().checkKey, setting.def.id);
                continue;
            }
            entries = entries || TweakEngine.journal(reg);
            if (isNews(reg, setting, entries))
                events.push(notice(reg, setting, entries, time, withoutAsking));
        }
        text = events.length > 0 ? tell(events, build) : "";
        if (reason === "start" && found.damaged.length > 0)
            text += (text ? " " : "") + found.damaged.length + (found.damaged.length === 1 ? " kept setting cannot" :
                    " kept settings cannot") + " be read; the Changes page lists " + (found.damaged.length === 1 ? "it." : "them.");
        return text;
    }

    // The setting's kept value put back, journaled and kept like any change.
    function putBack(reg, defs, id) {
        var found = TweakEngine.kept(reg, defs).settings, i;
        for (i = 0; i < found.length; i++) {
            if (found[i].def.id === id) {
                TweakEngine.apply(reg, found[i].def, found[i].value);
                return found[i];
            }
        }
        throw new Error("This setting is no longer kept.");
    }

    // "Stop keeping" and "Keep Windows' value": the setting is forgotten, as it is now.
    function stopKeeping(reg, id) {
        if (!TweakEngine.stopKeeping(reg, id))
            throw new Error("The setting could not be forgotten, since " + place().root + "\\" + place().key +
                            " cannot be written.");
    }

    // A value as the setting's page words it.
    function valueWords(def, value) {
        var choice;
        if (value === undefined)
            return "Cannot be read";
        if (typeof value === "boolean")
            return value ? "On" : "Off";
        choice = def.kind === "choice" ? TweakEngine.choiceOf(def, value) : null;
        return choice ? choice.label : value === "" ? "(empty)" : String(value);
    }

    // The registry keys that hold the kept settings, and the store's own key (made here, so that
    // it can be watched before anything is kept), each once: "ROOT\tKEY" lines.
    function watchedKeys(reg, defs) {
        var settings = TweakEngine.kept(reg, defs).settings, lines = [], seen = {}, i, line;
        reg.RegCreateKey(place().root, place().key);
        lines.push(place().root + "\t" + place().key);
        seen[lines[0].toLowerCase()] = true;
        for (i = 0; i < settings.length; i++) {
            line = settings[i].def.root.toUpperCase() + "\t" + settings[i].def.key;
            if (!seen[line.toLowerCase()]) {
                seen[line.toLowerCase()] = true;
                lines.push(line);
            }
        }
        return lines.join("\n");
    }

    return { list: list, check: check, putBack: putBack, stopKeeping: stopKeeping, valueWords: valueWords,
             putBackWithoutAsking: putBackWithoutAsking, setPutBackWithoutAsking: setPutBackWithoutAsking,
             watchedKeys: watchedKeys };
}());
