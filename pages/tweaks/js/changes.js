// The "Changes" page: the engine's journal, newest first, each change with the state before and
// after it in the words of its setting's page and an "Undo"; and the whole history undone or
// cleared at once. ES5 and the DOM of the browser control in its standards mode.
(function () {
    var registry = null;
    var rows = document.getElementById("changes").tBodies[0];
    var messageBox = document.getElementById("message");

    var element = PageDom.element;

    function showMessage(text) {
        PageDom.showMessage(messageBox, text);
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

    // Command lines and paths in the type of the setting's page, which breaks them anywhere.
    function stateNode(def, state) {
        var isPath = def && (def.kind === "entries" || def.kind === "file" || def.kind === "folder");
        return isPath && state.type !== "none" ? element("code", "", String(state.data))
                                               : document.createTextNode(TweakEngine.stateWords(def, state));
    }

    // Every change is followed by the list drawn again from the journal, also when it failed.
    function act(action) {
        return function () {
            try {
                action();
                showMessage("");
            } catch (e) {
                showMessage(PageDom.errorText(e));
            }
            render();
        };
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
    function undoButton(entry) {
        var node = PageDom.button("Undo", "small", act(function () {
            TweakEngine.undo(registry, entry.ref, TweakDefinitions);
        }));
        node.setAttribute("aria-label", "Undo the change of " + entry.title);
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
        row.insertCell(-1).appendChild(document.createTextNode(timeText(entry.time)));
        setting = row.insertCell(-1);
        setting.appendChild(settingTitle(entry, def));
        if (def && def.kind === "entries")
            setting.appendChild(document.createTextNode(": \"" + entry.name + "\""));
        row.insertCell(-1).appendChild(stateNode(def, entry.before));
        row.insertCell(-1).appendChild(stateNode(def, entry.after));
        row.insertCell(-1).appendChild(undoButton(entry));
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
    }

    document.getElementById("undo-all").onclick = act(function () {
        if (window.confirm("Undo all changes, newest first? Every setting goes back to what it was before."))
            TweakEngine.undoAll(registry, TweakDefinitions);
    });
    document.getElementById("clear-history").onclick = act(function () {
        if (window.confirm("Clear the history? The settings stay as they are, but these changes can no longer be undone."))
            TweakEngine.clearJournal(registry);
    });

    // Outside the program window.external has no Registry; the page then says so.
    try {
        registry = window.external.Registry;
    } catch (e) {
        registry = null;
    }
    if (registry) {
        render();
    } else {
        showMessage("The history of changes can only be shown and undone inside Lumivanta Manager.");
        document.getElementById("actions").className = "actions hidden";
        document.getElementById("changes").className = "journal hidden";
    }
}());
