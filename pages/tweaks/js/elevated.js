// The changes that the program's copy started as administrator makes for the user who asked:
// one item a line, "set ID TYPE:VALUE" (TYPE b for true/false, n for a whole number, s for text
// with %XX escapes), "restore ID" or "undo NUMBER:TOKEN", in the form the program has already
// checked. Every item is checked against its definition, or the history, before anything is
// written: a request that names no setting of the pages, a value the setting does not offer, or
// a change no longer in the history is refused whole. Registry places, types and data come from
// the definitions alone. ES3, as the engine.
/* global TweakEngine, TweakDefinitions */
var ElevatedChanges = (function () {
    // What a toggle, a range, a choice, a colour or a path takes; lists and entries are changed
    // through their own editors, never this way.
    function typedValue(def, typed) {
        var type = typed.charAt(0), data = typed.substr(2), isSwitch = def.kind === "toggle" || !!def.bit, value;
        if (def.kind === "list" || def.kind === "entries" || isSwitch !== (type === "b"))
            throw new Error(def.title + ": that is not a value this setting takes.");
        value = type === "b" ? data === "true" : type === "n" ? Number(data) : decodeURIComponent(data);
        return TweakEngine.allowedValue(def, value);
    }

    function refsOf(entries) {
        var refs = {}, i;
        for (i = 0; i < entries.length; i++) {
            if (!entries[i].damaged)
                refs[entries[i].ref] = true;
        }
        return refs;
    }

    function itemOf(reg, line, refs) {
        var parts = line.split(" "), def;
        if (parts[0] === "undo") {
            if (!Object.prototype.hasOwnProperty.call(refs, parts[1]))
                throw new Error("This change is no longer in the history.");
            return { ref: parts[1] };
        }
        def = TweakEngine.definition(TweakDefinitions, parts[1]);
        if (def === null)
            throw new Error("No setting of this program is named \"" + parts[1] + "\".");
        if (!TweakEngine.isAvailable(reg, def))
            throw new Error(def.title + ": " + TweakEngine.unavailableReason(reg, def));
        return parts[0] === "restore" ? { def: def, restore: true } : { def: def, value: typedValue(def, parts[2]) };
    }

    function itemsOf(reg, text) {
        var lines = String(text).split("\n"), items = [], refs = refsOf(TweakEngine.journal(reg)), i;
        for (i = 0; i < lines.length; i++) {
            if (lines[i] !== "")
                items.push(itemOf(reg, lines[i], refs));
        }
        return items;
    }

    // Gives what the item did, in words.
    function make(reg, item) {
        if (item.ref)
            return TweakEngine.undo(reg, item.ref, TweakDefinitions) || "Undone.";
        if (item.restore) {
            TweakEngine.restore(reg, item.def);
            return item.def.title + ": the Windows default is restored.";
        }
        TweakEngine.apply(reg, item.def, item.value);
        return item.def.title + ": changed.";
    }

    // Makes every item, or none when one is refused (3); out.echo gives each line to the asking
    // copy. 2 when an item failed on the way, 0 when all were made.
    function run(reg, text, out) {
        var items, failed = 0, i;
        try {
            items = itemsOf(reg, text);
        } catch (e) {
            out.echo("Refused, nothing was changed: " + e.message);
            return 3;
        }
        for (i = 0; i < items.length; i++) {
            try {
                out.echo(make(reg, items[i]));
            } catch (e) {
                failed++;
                out.echo("Failed: " + e.message);
            }
        }
        return failed > 0 ? 2 : 0;
    }

    return { run: run };
}());
