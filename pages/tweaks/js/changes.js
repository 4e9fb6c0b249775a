// The "Changes" page: the engine's journal, newest first, each change with the state before and
// after it in the words of its setting's page and an "Undo"; the whole history undone or
// cleared at once; and every setting exported to a registry file, or a registry file imported
// after a preview of what it would change; and the settings kept for the user, with those that
// Windows or another program changed back, which are put back or let go. After every action the
// focus lands on a control that is still there and the result is said to screen readers. ES5 and
// the DOM of the browser control in its standards mode.
(function () {
    var registry = null;
    var dialogs = null;
    var rows = document.getElementById("changes").tBodies[0];
    var keptRows = document.getElementById("kept").tBodies[0];
    var backRows = document.getElementById("changed-back-list").tBodies[0];
    var messageBox = document.getElementById("message");
    var importBox = document.getElementById("import");
    var importRows = document.getElementById("import-changes").tBodies[0];
    var plan = null;

    var element = PageDom.element;

    function showMessage(text, isNote) {
        PageDom.showMessage(messageBox, text, isNote);
    }

    function definition(id) {
        return TweakEngine.definition(TweakDefinitions, id);
    }

    function twoDigits(n) {
        return (n < 10 ? "0" : "") + n;
    }

    function timeText(milliseconds) {
        var at = new Date(milliseconds);
        return at.getFullYear() + "-" + twoDigits(at.getMonth() + 1) + "-" + twoDigits(at.getDate()) + " " +
               twoDigits(at.getHours()) + ":" + twoDigits(at.getMinutes());
    }

    function stateText(def, state) {
        return state === null ? "A value of another type" : TweakEngine.stateWords(def, state);
    }

    // Command lines and paths in the type of the setting's page, which breaks them anywhere.
    function stateNode(def, state) {
        var isPath = def && (def.kind === "entries" || def.kind === "file" || def.kind === "folder");
        return isPath && state !== null && state.type !== "none" ? element("code", "", String(state.data))
                                                                 : document.createTextNode(stateText(def, state));
    }

    // A change in words, as a check box or an Undo button is named: "Show hidden files: Off to On".
    function changeText(title, def, before, after) {
        return title + ": " + stateText(def, before) + " to " + stateText(def, after);
    }

    // Every change is followed by the list drawn again from the journal, also when it failed.
    // An action may give a note to show, or { held: text } for an undo that Windows took up only
    // in part: that is shown as no success. The focus stays on the control used while it is still
    // there and enabled; an Undo taken out of the list hands it to the Undo now in its place.
    function act(action) {
        return function () {
            var used = document.activeElement, table = tableOf(used), row = rowOf(table, used), said;
            try {
                said = action() || "";
                showMessage(said.held === undefined ? said : said.held, said.held === undefined);
            } catch (e) {
                showMessage(PageDom.errorText(e));
            }
            render();
            landFocus(used, table, row);
        };
    }

    // The list whose button has the focus: the history, a list of the kept settings, or none.
    function tableOf(node) {
        var lists = [rows, backRows, keptRows], i;
        for (i = 0; node && i < lists.length; i++) {
            if (lists[i].contains(node))
                return lists[i];
        }
        return null;
    }

    // The position in the list of the row whose button has the focus, -1 for any other control.
    function rowOf(table, node) {
        var i;
        for (i = 0; table && i < table.rows.length; i++) {
            if (table.rows[i].contains(node))
                return i;
        }
        return -1;
    }

    function isUsable(node) {
        return node && node !== document.body && document.body.contains(node) && !node.disabled &&
               node.offsetWidth > 0;
    }

    // An action that put the focus somewhere itself (the import preview opened or closed) keeps it
    // there. A button of a row still there keeps it; one taken out of its list hands it to the
    // same button of the row now in its place.
    function landFocus(used, table, row) {
        var next = null, kind = used ? used.getAttribute("data-action") : null, buttons;
        if (document.activeElement !== used && isUsable(document.activeElement))
            return;
        if (isUsable(used)) {
            next = used;
        } else if (row >= 0 && table.rows.length > 0) {
            buttons = table.rows[Math.min(row, table.rows.length - 1)].getElementsByTagName("button");
            next = buttons.length > 0 ? buttons[0] : null;
            for (var i = 0; i < buttons.length; i++)
                next = buttons[i].getAttribute("data-action") === kind ? buttons[i] : next;
        }
        (next || PageDom.firstControl(document.getElementById("actions"))).focus();
    }

    // The setting's title, linked to the setting on its page while its definition exists.
    function settingTitle(entry, def) {
        var link;
        if (!def)
            return element("strong", "", entry.title);
        link = element("a", "", entry.title);
        link.href = def.category + ".html#tweak-" + def.id;
        return link;
    }

    // The button names its entry, not a place in the list, which another page may change meanwhile.
    function undoButton(entry, def) {
        var node = PageDom.button("Undo", "small", act(function () {
            var held = TweakEngine.undo(registry, entry.ref, TweakDefinitions);
            return held ? { held: held } : "Undone: " + entry.title + " is " + stateText(def, entry.before) + " again.";
        }));
        node.setAttribute("aria-label", "Undo " + changeText(entry.title, def, entry.before, entry.after));
        return node;
    }

    function addRow(entry) {
        var row = rows.insertRow(-1), def = definition(entry.id), setting;
        if (entry.damaged) {
            row.insertCell(-1).colSpan = 5;
            row.cells[0].appendChild(element("span", "empty", "An entry that cannot be read"));
            return;
        }
        row.setAttribute("data-tweak", entry.id);
        row.insertCell(-1).appendChild(document.createTextNode((entry.outside ? "Changed from outside, noticed " : "") +
                                                               timeText(entry.time)));
        setting = row.insertCell(-1);
        setting.appendChild(settingTitle(entry, def));
        if (def && def.kind === "entries")
            setting.appendChild(document.createTextNode(": \"" + entry.name + "\""));
        row.insertCell(-1).appendChild(stateNode(def, entry.before));
        row.insertCell(-1).appendChild(stateNode(def, entry.after));
        row.insertCell(-1).appendChild(undoButton(entry, def));
    }

    function render() {
        var entries = [];
        try {
            entries = TweakEngine.journal(registry);
        } catch (e) {
            showMessage("The history cannot be read: " + PageDom.errorText(e));
        }
        while (rows.rows.length > 0)
            rows.deleteRow(0);
        for (var i = 0; i < entries.length; i++)
            addRow(entries[i]);
        document.getElementById("changes").className = entries.length ? "journal" : "journal hidden";
        document.getElementById("empty").className = entries.length ? "empty hidden" : "empty";
        document.getElementById("undo-all").disabled = entries.length === 0;
        document.getElementById("clear-history").disabled = entries.length === 0;
        renderKept();
    }

    function keptButton(text, name, setting, change) {
        var node = PageDom.button(text, "small", act(change));
        node.setAttribute("data-action", name);
        node.setAttribute("aria-label", text + ": " + setting.def.title);
        return node;
    }

    function keptWords(setting, value) {
        return KeptSettings.valueWords(setting.def, value);
    }

    // A kept setting's row: the setting (marked when enforced), your value, the value now, buttons.
    function keptRow(list, setting, buttons) {
        var row = list.insertRow(-1), cell = row.insertCell(-1), enforced = setting.enforced;
        row.setAttribute("data-tweak", setting.def.id);
        cell.appendChild(settingTitle(setting.def, setting.def));
        if (enforced)
            cell.appendChild(element("span", "badge locked", "Enforced" + (enforced.by ? " by " + enforced.by : "")));
        row.insertCell(-1).appendChild(document.createTextNode(keptWords(setting, setting.value)));
        row.insertCell(-1).appendChild(document.createTextNode(keptWords(setting, setting.now)));
        cell = row.insertCell(-1);
        cell.className = "kept-actions";
        for (var i = 0; i < buttons.length; i++)
            cell.appendChild(buttons[i]);
    }

    function putBackButton(setting) {
        return keptButton("Put back", "put-back", setting, function () {
            KeptSettings.putBack(registry, TweakDefinitions, setting.def.id);
            return "Put back: " + setting.def.title + " is " + keptWords(setting, setting.value) + " again.";
        });
    }

    function stopButton(text, action, setting) {
        return keptButton(text, action, setting, function () {
            KeptSettings.stopKeeping(registry, setting.def.id);
            return setting.def.title + " is no longer kept" + (setting.holds ? "." : "; it stays " +
                   keptWords(setting, setting.now) + ".");
        });
    }

    function damagedText(entry) {
        return "A kept setting that cannot be read, skipped: \"" + (entry.title || entry.name) + "\": " + entry.why + ".";
    }

    function clearRows(list) {
        while (list.rows.length > 0)
            list.deleteRow(0);
    }

    // "Changed back" is shown while a kept setting does not hold, and when the page was opened
    // at it (from the notification).
    function renderKept() {
        var found = { settings: [], damaged: [] }, back = [], damaged = document.getElementById("kept-damaged"), i, setting;
        try {
            found = KeptSettings.list(registry, TweakDefinitions);
        } catch (e) {
            showMessage("Your settings cannot be read: " + PageDom.errorText(e));
        }
        clearRows(keptRows);
        clearRows(backRows);
        for (i = 0; i < found.settings.length; i++) {
            setting = found.settings[i];
            keptRow(keptRows, setting, [stopButton("Stop keeping", "stop", setting)]);
            if (!setting.holds) {
                back.push(setting);
                keptRow(backRows, setting, [putBackButton(setting), stopButton("Keep Windows' value", "keep-windows", setting)]);
            }
        }
        damaged.innerHTML = "";
        for (i = 0; i < found.damaged.length; i++)
            damaged.appendChild(element("li", "", damagedText(found.damaged[i])));
        damaged.className = found.damaged.length ? "others" : "others hidden";
        document.getElementById("kept").className = found.settings.length ? "journal" : "journal hidden";
        document.getElementById("kept-empty").className = found.settings.length ? "empty hidden" : "empty";
        document.getElementById("changed-back").className = back.length || window.location.hash === "#changed-back" ?
            "kept-back" : "kept-back hidden";
        document.getElementById("changed-back-list").className = back.length ? "journal" : "journal hidden";
        document.getElementById("changed-back-none").className = back.length ? "empty hidden" : "empty";
        document.getElementById("put-all-back").disabled = back.length === 0;
        document.getElementById("put-back-option").checked = KeptSettings.putBackWithoutAsking(registry);
    }

    document.getElementById("put-all-back").onclick = act(function () {
        var back = KeptSettings.list(registry, TweakDefinitions).settings, count = 0;
        for (var i = 0; i < back.length; i++) {
            if (!back[i].holds) {
                KeptSettings.putBack(registry, TweakDefinitions, back[i].def.id);
                count++;
            }
        }
        return "Put back " + count + (count === 1 ? " setting." : " settings.");
    });
    document.getElementById("put-back-option").onclick = act(function () {
        var on = document.getElementById("put-back-option").checked;
        KeptSettings.setPutBackWithoutAsking(registry, on);
        return on ? "Your settings are put back without asking when something changes them back, unless they are enforced."
                  : "You are asked before your settings are put back.";
    });

    document.getElementById("undo-all").onclick = act(function () {
        var count, held = [], done;
        if (!window.confirm("Undo all changes, newest first? Every setting goes back to what it was before."))
            return "";
        count = TweakEngine.undoAll(registry, TweakDefinitions, held);
        done = "Undid " + count + (count === 1 ? " change." : " changes.");
        return held.length > 0 ? { held: done + " " + held.join(" ") } : done;
    });
    document.getElementById("clear-history").onclick = act(function () {
        if (!window.confirm("Clear the history? The settings stay as they are, but these changes can no longer be undone."))
            return "";
        TweakEngine.clearJournal(registry);
        return "The history is cleared; the settings stay as they are.";
    });

    // The preview acts as a dialog: it takes the focus when it opens, so that screen readers say
    // its name and what it is for; Escape cancels it, and on closing the focus goes back to
    // "Import settings...", which opened it.
    function showImport(shown) {
        var hadFocus = importBox.contains(document.activeElement);
        importBox.className = shown ? "import" : "import hidden";
        if (shown) {
            importBox.focus();
            return;
        }
        plan = null;
        if (hadFocus)
            document.getElementById("import-settings").focus();
    }

    var placeWords = { elsewhere: "On another computer", missing: "Not found on this computer" };

    // A setting's caution is shown as its page shows it; such a setting, and a path that is not
    // here, is applied only when ticked.
    function importRow(change) {
        var row = importRows.insertRow(-1), pick = element("input"), setting = row.insertCell(-1);
        pick.type = "checkbox";
        pick.disabled = change.problem !== null;
        pick.setAttribute("aria-label", changeText(change.def.title, change.def, change.now, change.then));
        setting.className = "pick";
        setting.appendChild(pick);
        setting = row.insertCell(-1);
        setting.appendChild(element("strong", "", change.def.title));
        if (change.problem)
            setting.appendChild(element("span", "badge locked", change.problem));
        if (change.place)
            setting.appendChild(element("span", "badge locked", placeWords[change.place]));
        if (!change.problem && SettingsTransfer.needsOwnTick(change))
            setting.appendChild(element("span", "badge", "Applied only when ticked"));
        if (change.def.caution)
            setting.appendChild(element("p", "caution", change.def.caution));
        row.insertCell(-1).appendChild(stateNode(change.def, change.now));
        row.insertCell(-1).appendChild(stateNode(change.def, change.then));
        row.setAttribute("data-tweak", change.def.id);
    }

    function otherText(other) {
        var text = "Line " + other.line + ": " + other.where + ", " + other.what + ": ";
        if (!other.clears || other.clears.length === 0)
            return text + "not one of this program's settings, never written";
        return text + "the key itself is never deleted; it clears " + (other.clears.length === 1 ? "the setting " :
            "these settings ") + other.clears.join(", ");
    }

    // The lines that name none of the settings and those skipped, as Windows skips them, in the
    // file's order.
    function listOthers(read) {
        var list = document.getElementById("import-others"), others = read.others, skipped = read.skipped;
        var i = 0, j = 0;
        list.innerHTML = "";
        while (i < others.length || j < skipped.length) {
            if (j === skipped.length || (i < others.length && others[i].line < skipped[j].line))
                list.appendChild(element("li", "", otherText(others[i++])));
            else
                list.appendChild(element("li", "", "Not imported: line " + skipped[j].line + ": " + skipped[j++].reason));
        }
        list.className = list.firstChild ? "others" : "others hidden";
    }

    function showPlan() {
        var applicable = 0, forAll = 0, same = document.getElementById("import-same");
        while (importRows.rows.length > 0)
            importRows.deleteRow(0);
        for (var i = 0; i < plan.changes.length; i++) {
            importRow(plan.changes[i]);
            applicable += plan.changes[i].problem ? 0 : 1;
            forAll += plan.changes[i].problem || SettingsTransfer.needsOwnTick(plan.changes[i]) ? 0 : 1;
        }
        document.getElementById("import-changes").className = plan.changes.length ? "journal" : "journal hidden";
        same.innerHTML = "";
        same.appendChild(document.createTextNode(plan.changes.length === 0 ? "The file changes none of these settings." :
            plan.same === 0 ? "" : plan.same + (plan.same === 1 ? " setting is" : " settings are") +
            " already as the file has them."));
        same.className = same.firstChild.nodeValue ? "empty" : "empty hidden";
        listOthers(plan);
        document.getElementById("import-all").disabled = forAll === 0;
        document.getElementById("import-chosen").disabled = applicable === 0;
        showImport(true);
    }

    function isTicked(index) {
        return importRows.rows[index].getElementsByTagName("input")[0].checked;
    }

    // "Apply all" takes every change but those that want their own tick, which then stay in the
    // preview.
    function applyPlan(all) {
        return act(function () {
            var chosen = [], left = [], count, change;
            for (var i = 0; i < plan.changes.length; i++) {
                change = plan.changes[i];
                if (!change.problem && (all ? !SettingsTransfer.needsOwnTick(change) : isTicked(i)))
                    chosen.push(change);
                else if (all && !change.problem)
                    left.push(change);
            }
            if (chosen.length === 0)
                throw new Error("Tick the settings to import first, or choose Apply all.");
            count = SettingsTransfer.applyImport(registry, chosen);
            if (left.length > 0) {
                plan = { changes: left, same: 0, others: [], skipped: [] };
                showPlan();
            } else {
                showImport(false);
            }
            return "Imported " + count + (count === 1 ? " setting" : " settings") +
                   "; each change is listed below and can be undone." + (left.length > 0 ? " Left for you to tick: " +
                   left.length + (left.length === 1 ? " setting" : " settings") + " with a caution or a path not on this computer." : "");
        });
    }

    document.getElementById("export-settings").onclick = act(function () {
        return SettingsTransfer.exportToFile(window.external, TweakDefinitions, "Lumivanta settings.reg");
    });
    document.getElementById("import-settings").onclick = act(function () {
        var text = dialogs.OpenTextFile("Import settings", "Registry files", "*.reg");
        showImport(false);
        if (text === "")
            return "";
        try {
            plan = SettingsTransfer.importPlan(window.external, TweakDefinitions, text);
        } catch (e) {
            throw new Error("This file cannot be imported. " + PageDom.errorText(e));
        }
        showPlan();
        return "";
    });
    document.getElementById("import-all").onclick = applyPlan(true);
    document.getElementById("import-chosen").onclick = applyPlan(false);
    document.getElementById("import-cancel").onclick = act(function () {
        showImport(false);
        return "The import is cancelled; nothing was changed.";
    });
    importBox.onkeydown = function (event) {
        if ((event || window.event).keyCode !== 27)
            return true;
        document.getElementById("import-cancel").click();
        return false;
    };

    // Outside the program window.external has no Registry; the page then says so.
    try {
        registry = window.external.Registry;
        dialogs = window.external.Dialogs;
    } catch (e) {
        registry = null;
    }
    if (registry) {
        render();
        if (window.location.hash === "#changed-back")
            document.getElementById("changed-back").focus();
    } else {
        showMessage("The history of changes can only be shown and undone inside Lumivanta Manager.");
        document.getElementById("actions").className = "actions hidden";
        document.getElementById("changes").className = "journal hidden";
        document.getElementById("kept-settings").className = "hidden";
    }
}());
