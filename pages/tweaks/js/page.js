// The page layer of a category page: renders the tweak definitions of the page's category
// (the body's data-category) and wires their controls to the engine. ES5 and the DOM of the
// browser control in its standards mode; no newer syntax.
(function () {
    var registry = null;
    var dialogs = null;
    var tweaksBox = document.getElementById("tweaks");
    var messageBox = document.getElementById("message");
    var changedHere = {};

    var element = PageDom.element;
    var button = PageDom.button;
    var errorText = PageDom.errorText;

    function showMessage(text) {
        PageDom.showMessage(messageBox, text);
    }

    function stateText(def, value) {
        if (def.kind === "color")
            return value ? TweakEngine.textFromColor(value) : "Not a colour";
        return value === "" ? "(none)" : value;
    }

    // Every change goes through here: the tweak is drawn again from the registry afterwards,
    // so what the page shows is what the registry holds, also when the change failed.
    function change(def, action) {
        return function () {
            var before = document.getElementById("tweak-" + def.id).getAttribute("data-state");
            try {
                action();
                showMessage("");
            } catch (e) {
                showMessage(errorText(e));
            }
            render(def);
            remember(def, before);
        };
    }

    function toggleControl(def, value, writable) {
        var node = button(value ? "On" : "Off", value ? "switch on" : "switch", change(def, function () {
            TweakEngine.toggle(registry, def);
        }));
        node.setAttribute("aria-pressed", value ? "true" : "false");
        node.disabled = !writable;
        return node;
    }

    function choiceControl(def, value, writable) {
        var select = element("select", "choice"), option, i;
        for (i = 0; i < def.choices.length; i++) {
            option = element("option", "", def.choices[i].label);
            option.value = String(i);
            option.selected = def.choices[i].value === value;
            select.appendChild(option);
        }
        if (TweakEngine.choiceOf(def, value) === null) {
            option = element("option", "", "Other (" + value + ")");
            option.selected = true;
            select.appendChild(option);
        }
        select.disabled = !writable;
        select.onchange = change(def, function () {
            if (select.selectedIndex < def.choices.length)
                TweakEngine.apply(registry, def, def.choices[select.selectedIndex].value);
        });
        return select;
    }

    function rangeControl(def, value, writable) {
        var box = element("span", "range");
        var input = element("input", "number");
        input.type = "text";
        input.value = isNaN(value) ? "" : String(value);
        input.title = def.min + " to " + def.max;
        input.disabled = !writable;
        var set = button("Set", "small", change(def, function () {
            var text = input.value.replace(/^\s+|\s+$/g, "");
            TweakEngine.apply(registry, def, /^\d+$/.test(text) ? parseInt(text, 10) : NaN);
        }));
        set.disabled = !writable;
        input.onkeydown = function (event) {
            if ((event || window.event).keyCode === 13)
                set.click();
        };
        box.appendChild(input);
        box.appendChild(set);
        box.appendChild(element("span", "hint", def.min + " - " + def.max));
        return box;
    }

    function colorControl(def, value, writable) {
        var box = element("span", "color");
        var swatch = element("span", "swatch");
        swatch.style.backgroundColor = value ? "#" + value : "transparent";
        box.appendChild(swatch);
        box.appendChild(button("Choose...", "small", change(def, function () {
            var chosen = dialogs.GetColor(value ? parseInt(value, 16) : 0);
            if (typeof chosen === "string")
                TweakEngine.apply(registry, def, chosen);
        })));
        box.lastChild.disabled = !writable;
        return box;
    }

    function pathControl(def, value, writable) {
        var node = button("Browse...", "small", change(def, function () {
            var chosen = def.kind === "file" ? dialogs.GetFile(value, def.typeDescr, def.typeExt)
                                             : dialogs.GetDirectory(value);
            if (typeof chosen === "string")
                TweakEngine.apply(registry, def, chosen);
        }));
        node.disabled = !writable;
        return node;
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
        var writable = TweakEngine.canChange(registry, def);
        var atDefault = TweakEngine.isDefault(registry, def);
        var controls = element("div", "controls");
        var restore = button("Restore the Windows default", "restore", change(def, function () {
            TweakEngine.restore(registry, def);
        }));
        box.setAttribute("data-state", String(value));
        // Toggles, ranges and choices show their state in their own control; the others in text.
        if (def.kind === "file" || def.kind === "folder")
            controls.appendChild(element("span", "state path", stateText(def, value)));
        controls.appendChild(valueControl(def, value, writable));
        if (def.kind === "color")
            controls.appendChild(element("span", "state", stateText(def, value)));
        if (atDefault)
            controls.appendChild(element("span", "badge", "Windows default"));
        if (!writable)
            controls.appendChild(element("span", "badge locked", "Needs administrator rights"));
        restore.disabled = atDefault || !writable;
        controls.appendChild(restore);
        box.appendChild(controls);
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
        return node;
    }

    function fillList(def, box) {
        var items = TweakEngine.listItems(registry, def), list = element("ul", "items"), i;
        box.setAttribute("data-state", String(items.length));
        for (i = 0; i < items.length; i++)
            list.appendChild(element("li", "", items[i]));
        box.appendChild(items.length ? list : element("p", "empty", "The list is empty."));
        box.appendChild(button("Edit the list...", "small", change(def, function () {
            TweakEngine.prepareList(registry, def);
            dialogs.StrListEditor1(def.root, def.key, def.title);
        })));
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

    // Screen readers name each control after its setting: the switch, list and number box by
    // the title, every button by its own text and the title (IE 11 knows aria-label and
    // aria-labelledby).
    function nameControls(def, box) {
        var titleId = "title-" + def.id, controls = box.querySelectorAll("button, select, input"), i, node;
        box.setAttribute("role", "group");
        box.setAttribute("aria-labelledby", titleId);
        for (i = 0; i < controls.length; i++) {
            node = controls[i];
            if (node.getAttribute("aria-label"))
                continue;
            if (node.tagName !== "BUTTON" || /\bswitch\b/.test(node.className))
                node.setAttribute("aria-labelledby", titleId);
            else
                node.setAttribute("aria-label", node.textContent.replace(/\.+$/, "") + ": " + def.title);
        }
    }

    function render(def) {
        var box = document.getElementById("tweak-" + def.id);
        box.innerHTML = "";
        box.appendChild(element("h2", "", def.title)).id = "title-" + def.id;
        box.appendChild(element("p", "description", def.description));
        try {
            if (def.kind === "entries")
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

    function renderCategory(category) {
        var i, box, count = 0;
        for (i = 0; i < TweakDefinitions.length; i++) {
            if (TweakDefinitions[i].category !== category)
                continue;
            box = element("div", "tweak");
            box.id = "tweak-" + TweakDefinitions[i].id;
            box.setAttribute("data-tweak", TweakDefinitions[i].id);
            tweaksBox.appendChild(box);
            render(TweakDefinitions[i]);
            count++;
        }
        return count;
    }

    // Outside the program window.external has no Registry; the page then says so.
    try {
        registry = window.external.Registry;
        dialogs = window.external.Dialogs;
    } catch (e) {
        registry = null;
    }
    function exportCategory(category) {
        var defs = [], i;
        for (i = 0; i < TweakDefinitions.length; i++) {
            if (TweakDefinitions[i].category === category)
                defs.push(TweakDefinitions[i]);
        }
        try {
            PageDom.showMessage(messageBox, SettingsTransfer.exportToFile(window.external, defs,
                "Lumivanta settings (" + category + ").reg"), true);
        } catch (e) {
            showMessage(errorText(e));
        }
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
