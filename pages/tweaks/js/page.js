// The page layer of a category page: renders the tweak definitions of the page's category
// (the body's data-category) and wires their controls to the engine. ES5 and the DOM of the
// browser control in its standards mode; no newer syntax.
(function () {
    var registry = null;
    var dialogs = null;
    var tweaksBox = document.getElementById("tweaks");
    var messageBox = document.getElementById("message");
    var changedHere = {};
    var confirmedHere = {};
    // The settings whose changes the user chose to make as administrator on this page.
    var asAdministrator = {};

    var element = PageDom.element;
    var button = PageDom.button;
    var errorText = PageDom.errorText;

    function showMessage(text, isNote) {
        PageDom.showMessage(messageBox, text, isNote);
    }

    // A value that a fresh Windows lacks reads as null while it is absent.
    function stateText(def, value) {
        if (def.kind === "color")
            return value ? TweakEngine.textFromColor(value) : "Not a colour";
        return value === null ? "(not set)" : value === "" ? "(none)" : value;
    }

    // Every change goes through here: the tweak is drawn again from the registry afterwards,
    // so what the page shows is what the registry holds, also when the change failed or was
    // not wanted after all. The control the user used keeps the focus, and a failure is said
    // beside it.
    function change(def, action) {
        return function () {
            var box = document.getElementById("tweak-" + def.id), before = box.getAttribute("data-state");
            var used = usedControl(box), number = box.querySelector("input.number");
            var typed = number ? number.value : null, failure = null;
            try {
                action();
            } catch (e) {
                failure = errorText(e);
            }
            render(def);
            remember(def, before);
            if (failure !== null)
                showFailure(def, box, failure, used === "number" || used === "set" ? typed : null);
            if (used !== null)
                refocus(box, used);
        };
    }

    // Which control of the setting has the focus (by its data-control), or null.
    function usedControl(box) {
        var node = document.activeElement;
        return node && node !== box && box.contains(node) ? node.getAttribute("data-control") : null;
    }

    // The control used has the focus again in the setting drawn anew, or, where it is gone or now
    // disabled (a restored default, a removed entry), the setting's first control.
    function refocus(box, used) {
        var nodes = box.querySelectorAll("[data-control]"), i;
        for (i = 0; i < nodes.length; i++) {
            if (nodes[i].getAttribute("data-control") === used && !nodes[i].disabled) {
                nodes[i].focus();
                return;
            }
        }
        PageDom.firstControl(box).focus();
    }

    // A refused change is said beside the setting and at once to screen readers, and every
    // control of the setting is described by it; a number refused stays in its box (typed),
    // marked invalid.
    function showFailure(def, box, text, typed) {
        var note = element("p", "message", text), number = box.querySelector("input.number");
        var controls = box.querySelectorAll("[data-control]"), i, described;
        note.id = "message-" + def.id;
        box.appendChild(note);
        for (i = 0; i < controls.length; i++) {
            described = controls[i].getAttribute("aria-describedby");
            controls[i].setAttribute("aria-describedby", described ? note.id + " " + described : note.id);
        }
        if (number && typed !== null) {
            number.value = typed;
            number.setAttribute("aria-invalid", "true");
        }
        PageDom.announce(text);
    }

    function controlFor(node, name) {
        node.setAttribute("data-control", name);
        return node;
    }

    // A setting with a caution asks once, before its first change on this page; restoring the
    // Windows default never asks.
    function confirmed(def) {
        if (!def.caution || confirmedHere[def.id])
            return true;
        confirmedHere[def.id] = window.confirm(def.title + "\n\n" + def.caution + "\n\nChange this setting?");
        return confirmedHere[def.id];
    }

    function changeWithCare(def, action) {
        return change(def, function () {
            if (confirmed(def))
                action();
        });
    }

    // A setting the user cannot change is changed by the program started as administrator.
    function applyValue(def, value) {
        if (asAdministrator[def.id])
            AdminChanges.ask([AdminChanges.setLine(def, value)]);
        else
            TweakEngine.apply(registry, def, value);
    }

    function restoreDefault(def) {
        if (asAdministrator[def.id])
            AdminChanges.ask([AdminChanges.restoreLine(def)]);
        else
            TweakEngine.restore(registry, def);
    }

    function toggleControl(def, value, writable) {
        var node = button(value ? "On" : "Off", value ? "switch on" : "switch", changeWithCare(def, function () {
            applyValue(def, !TweakEngine.read(registry, def));
        }));
        node.disabled = !writable;
        return controlFor(node, "switch");
    }

    // A choice made with the pointer is made at once. The keys move through the choices as in
    // any drop-down list, and the choice is made when they rest for a second, at Enter, or when
    // the focus leaves, so that a setting moved over three choices is changed once.
    function choiceControl(def, value, writable) {
        var select = controlFor(element("select", "choice"), "choice"), keyed = false, pending = null, option, i;
        for (i = 0; i < def.choices.length; i++) {
            option = element("option", "", def.choices[i].label);
            option.value = String(i);
            option.selected = def.choices[i].value === value;
            select.appendChild(option);
        }
        if (TweakEngine.choiceOf(def, value) === null) {
            option = element("option", "", value === null ? "Windows default" : "Other (" + value + ")");
            option.selected = true;
            select.appendChild(option);
        }
        select.disabled = !writable;
        var choose = changeWithCare(def, function () {
            if (select.selectedIndex < def.choices.length)
                applyValue(def, def.choices[select.selectedIndex].value);
        });
        // After the delay the focus is where the user put it, so a leaving focus is not pulled back.
        function chooseAfter(delay) {
            window.clearTimeout(pending);
            pending = window.setTimeout(function () {
                pending = null;
                choose();
            }, delay);
        }
        select.onkeydown = function (event) {
            var key = (event || window.event).keyCode;
            keyed = key !== 13 && key !== 9;
            if (key === 13 && pending !== null)
                chooseAfter(0);
        };
        select.onmousedown = function () {
            keyed = false;
        };
        select.onchange = function () {
            if (keyed)
                chooseAfter(1000);
            else
                choose();
        };
        select.onblur = function () {
            if (pending !== null)
                chooseAfter(0);
        };
        return select;
    }

    function rangeControl(def, value, writable) {
        var box = element("span", "range");
        var input = controlFor(element("input", "number"), "number");
        var hint = element("span", "hint", def.min + " - " + def.max);
        input.type = "text";
        input.value = typeof value === "number" && !isNaN(value) ? String(value) : "";
        input.title = def.min + " to " + def.max;
        input.disabled = !writable;
        hint.id = "hint-" + def.id;
        input.setAttribute("aria-describedby", hint.id);
        var set = controlFor(button("Set", "small", changeWithCare(def, function () {
            var text = input.value.replace(/^\s+|\s+$/g, "");
            applyValue(def, /^\d+$/.test(text) ? parseInt(text, 10) : NaN);
        })), "set");
        set.disabled = !writable;
        input.onkeydown = function (event) {
            if ((event || window.event).keyCode === 13)
                set.click();
        };
        box.appendChild(input);
        box.appendChild(set);
        box.appendChild(hint);
        return box;
    }

    function colorControl(def, value, writable) {
        var box = element("span", "color");
        var swatch = element("span", "swatch");
        swatch.style.backgroundColor = value ? "#" + value : "transparent";
        box.appendChild(swatch);
        box.appendChild(controlFor(button("Choose...", "small", changeWithCare(def, function () {
            var chosen = dialogs.GetColor(value ? parseInt(value, 16) : 0);
            if (typeof chosen === "string")
                applyValue(def, chosen);
        })), "choose"));
        box.lastChild.disabled = !writable;
        nameWithValue(box.lastChild, "Choose", def, value);
        return box;
    }

    // A button that opens a dialog for the value says the value it starts from, which is shown
    // only beside it: "Choose: Window colour, now 255 128 0".
    function nameWithValue(node, verb, def, value) {
        node.setAttribute("aria-label", verb + ": " + def.title + ", now " + stateText(def, value));
    }

    function pathControl(def, value, writable) {
        var node = button("Browse...", "small", changeWithCare(def, function () {
            var chosen = def.kind === "file" ? dialogs.GetFile(value, def.typeDescr, def.typeExt)
                                             : dialogs.GetDirectory(value);
            if (typeof chosen === "string")
                applyValue(def, chosen);
        }));
        node.disabled = !writable;
        nameWithValue(node, "Browse", def, value);
        return controlFor(node, "browse");
    }

    function valueControl(def, value, writable) {
        switch (def.kind) {
        case "toggle":
            return toggleControl(def, value, writable);
        case "choice":
            return choiceControl(def, value, writable);
        case "range":
            return rangeControl(def, value, writable);
        case "color":
            return colorControl(def, value, writable);
        default:
            return pathControl(def, value, writable);
        }
    }

    function fillValueTweak(def, box) {
        var value = TweakEngine.read(registry, def);
        var needsAdministrator = !TweakEngine.canChange(registry, def);
        var writable = !needsAdministrator || asAdministrator[def.id] === true;
        var atDefault = TweakEngine.isDefault(registry, def);
        var controls = element("div", "controls");
        var restore = controlFor(button("Restore the Windows default", "restore", change(def, function () {
            restoreDefault(def);
        })), "restore");
        box.setAttribute("data-state", String(value));
        // Toggles, ranges and choices show their state in their own control; the others in text.
        if (def.kind === "file" || def.kind === "folder")
            controls.appendChild(element("span", "state path", stateText(def, value)));
        controls.appendChild(valueControl(def, value, writable));
        if (def.kind === "color")
            controls.appendChild(element("span", "state", stateText(def, value)));
        if (atDefault)
            controls.appendChild(element("span", "badge", "Windows default"));
        if (needsAdministrator)
            controls.appendChild(element("span", "badge locked", "Needs administrator rights"));
        if (!writable)
            controls.appendChild(administratorButton(def));
        restore.disabled = atDefault || !writable;
        controls.appendChild(restore);
        box.appendChild(controls);
    }

    // Opens the setting's controls; each change then asks for the administrator's consent.
    function administratorButton(def) {
        return controlFor(AdminChanges.shieldButton("Change as administrator", "small", function () {
            var box = document.getElementById("tweak-" + def.id);
            asAdministrator[def.id] = true;
            render(def);
            PageDom.firstControl(box).focus();
        }), "administrator");
    }

    function fillEntries(def, box) {
        var entries = TweakEngine.listEntries(registry, def);
        var table = element("table", "entries"), row, i;
        box.setAttribute("data-state", String(entries.length));
        if (entries.length === 0)
            box.appendChild(element("p", "empty", "No programs start at logon for you."));
        for (i = 0; i < entries.length; i++) {
            row = table.insertRow(-1);
            row.setAttribute("data-entry", entries[i].name);
            row.insertCell(-1).appendChild(element("strong", "", entries[i].name));
            row.insertCell(-1).appendChild(element("code", "", entries[i].command === null
                ? "(not a text value)" : entries[i].command));
            row.insertCell(-1).appendChild(removeButton(def, entries[i].name));
        }
        if (entries.length > 0)
            box.appendChild(table);
    }

    function removeButton(def, name) {
        var node = button("Remove", "small", change(def, function () {
            if (window.confirm("Stop starting \"" + name + "\" at logon?"))
                TweakEngine.removeEntry(registry, def, name);
        }));
        node.setAttribute("aria-label", "Remove " + name);
        return controlFor(node, "remove:" + name);
    }

    function fillList(def, box) {
        var items = TweakEngine.listItems(registry, def), list = element("ul", "items"), i;
        box.setAttribute("data-state", String(items.length));
        for (i = 0; i < items.length; i++)
            list.appendChild(element("li", "", items[i]));
        box.appendChild(items.length ? list : element("p", "empty", "The list is empty."));
        box.appendChild(controlFor(button("Edit the list...", "small", change(def, function () {
            TweakEngine.prepareList(registry, def);
            dialogs.StrListEditor1(def.root, def.key, def.title);
        })), "edit"));
    }

    // A change that Windows acts on later says when, so that it is not taken for a failure.
    function effectNote(def) {
        var note = element("p", "effect", TweakEngine.effectText(def) || "");
        note.setAttribute("role", "status");
        return note;
    }

    // A setting whose state a change altered says from then on when Windows acts on it; a
    // cancelled dialog or a refused value changes nothing and says nothing.
    function remember(def, before) {
        var box = document.getElementById("tweak-" + def.id);
        if (changedHere[def.id] || box.getAttribute("data-state") === before)
            return;
        changedHere[def.id] = true;
        box.appendChild(effectNote(def));
    }

    // Screen readers name each control after its setting: the list and the number box by the
    // title, the switch by the title and the state it shows ("Show hidden files: On"), every other
    // button by its own text and the title. A plain button named so reads as it looks in IE 11 and
    // any screen reader; IE 11 predates role="switch", and aria-pressed beside a visible "On"
    // would read "On, pressed" (IE 11 knows aria-label and aria-labelledby).
    function nameControls(def, box) {
        var titleId = "title-" + def.id, controls = box.querySelectorAll("button, select, input"), i, node;
        box.setAttribute("role", "group");
        box.setAttribute("aria-labelledby", titleId);
        for (i = 0; i < controls.length; i++) {
            node = controls[i];
            if (node.getAttribute("aria-label"))
                continue;
            if (node.tagName !== "BUTTON")
                node.setAttribute("aria-labelledby", titleId);
            else if (/\bswitch\b/.test(node.className))
                node.setAttribute("aria-label", def.title + ": " + node.textContent);
            else
                node.setAttribute("aria-label", node.textContent.replace(/\.+$/, "") + ": " + def.title);
        }
    }

    // A setting that does nothing on this Windows says why, in place of its controls.
    function fillUnavailable(box, reason) {
        box.setAttribute("data-state", "unavailable");
        box.appendChild(element("p", "unavailable", reason));
    }

    function render(def) {
        var box = document.getElementById("tweak-" + def.id), reason;
        box.innerHTML = "";
        box.appendChild(element("h2", "", def.title)).id = "title-" + def.id;
        box.appendChild(element("p", "description", def.description));
        try {
            reason = TweakEngine.unavailableReason(registry, def);
            if (reason === null && def.caution)
                box.appendChild(element("p", "caution", def.caution));
            if (reason !== null)
                fillUnavailable(box, reason);
            else if (def.kind === "entries")
                fillEntries(def, box);
            else if (def.kind === "list")
                fillList(def, box);
            else
                fillValueTweak(def, box);
        } catch (e) {
            box.setAttribute("data-state", "error");
            box.appendChild(element("p", "error", "Cannot read this setting: " + errorText(e)));
        }
        if (changedHere[def.id])
            box.appendChild(effectNote(def));
        nameControls(def, box);
    }

    function definitionsOf(category) {
        var defs = [], i;
        for (i = 0; i < TweakDefinitions.length; i++) {
            if (TweakDefinitions[i].category === category)
                defs.push(TweakDefinitions[i]);
        }
        return defs;
    }

    function renderCategory(category) {
        var defs = definitionsOf(category), i, box;
        for (i = 0; i < defs.length; i++) {
            box = element("div", "tweak");
            box.id = "tweak-" + defs[i].id;
            box.setAttribute("data-tweak", defs[i].id);
            tweaksBox.appendChild(box);
            render(defs[i]);
        }
    }

    function exportCategory(category) {
        try {
            showMessage(SettingsTransfer.exportToFile(window.external, definitionsOf(category),
                "Lumivanta settings (" + category + ").reg"), true);
        } catch (e) {
            showMessage(errorText(e));
        }
    }

    // Outside the program window.external has no Registry; the page then says so.
    try {
        registry = window.external.Registry;
        dialogs = window.external.Dialogs;
    } catch (e) {
        registry = null;
    }

    var category = document.body.getAttribute("data-category");
    document.getElementById("export-settings").disabled = !registry;
    if (!registry) {
        showMessage("These settings can only be shown and changed inside Lumivanta Manager.");
    } else {
        renderCategory(category);
        document.getElementById("export-settings").onclick = function () {
            exportCategory(category);
        };
    }
}());
