// One change through the tweak engine with a full journal (500 entries) against one with an empty
// journal, on a value and journal keys of its own under HKCU, all removed at the end. Prints the
// median time of a change in batches of each kind, their ratio, and the Registry-object calls of
// one change: all of them, and the writes among them (a value written or deleted, a key made or
// removed), each of which opens, writes, flushes and closes a key.
var registry = external.Registry;
var base = "Software\\LumivantaJournalBench-" + Math.floor(Math.random() * 1e9);
var setting = { id: "bench", title: "Benchmark value", kind: "toggle", root: "HKCU", key: base, value: "Value",
                type: "dword", on: 1, off: 0, dflt: 0 };
var batch = 25, rounds = 9, full = 500;

function journalAt(name) {
    TweakEngine.journalPlace.key = base + "\\" + name;
}

function now() {
    return new Date().getTime();
}

// The Registry object with its calls counted into counts.calls and counts.writes.
function counted(counts) {
    var writes = { RegWriteString: 1, RegWriteInt: 1, RegWriteBool: 1, RegWriteExpandString: 1, RegWriteBinary: 1,
                   RegDeleteValue: 1, RegDeleteKey: 1, RegCreateKey: 1, RegCreateNewKey: 1 };
    var names = ["RegReadString", "RegReadInt", "RegReadBool", "RegValueExists", "RegValueType", "RegKeyExists",
                 "ValuesNames", "ValuesCount", "HasFullAccess"], wrapped = {}, name, i;
    function passOn(method) {
        return function (a, b, c, d) {
            counts.calls++;
            counts.writes += writes[method] ? 1 : 0;
            return arguments.length === 2 ? registry[method](a, b) : arguments.length === 3 ? registry[method](a, b, c)
                                                                     : registry[method](a, b, c, d);
        };
    }
    for (name in writes)
        names.push(name);
    for (i = 0; i < names.length; i++)
        wrapped[names[i]] = passOn(names[i]);
    return wrapped;
}

// Journals of their own, each made empty (its key there, no entries) before the timed changes.
function emptyJournalChange() {
    var i, start;
    for (i = 0; i < batch; i++) {
        journalAt("Empty " + i);
        TweakEngine.clearJournal(registry);
        registry.RegCreateKey("HKCU", TweakEngine.journalPlace.key);
    }
    start = now();
    for (i = 0; i < batch; i++) {
        journalAt("Empty " + i);
        TweakEngine.toggle(registry, setting);
    }
    return (now() - start) / batch;
}

function fullJournalChange() {
    var i, start = now();
    journalAt("Full");
    for (i = 0; i < batch; i++)
        TweakEngine.toggle(registry, setting);
    return (now() - start) / batch;
}

function median(list) {
    list.sort(function (a, b) {
        return a - b;
    });
    return list[Math.floor(list.length / 2)];
}

function countsOfOneChange(journal) {
    var counts = { calls: 0, writes: 0 };
    journalAt(journal);
    if (journal !== "Full") {
        TweakEngine.clearJournal(registry);
        registry.RegCreateKey("HKCU", TweakEngine.journalPlace.key);
    }
    TweakEngine.toggle(counted(counts), setting);
    return counts.calls + " calls, " + counts.writes + " writes";
}

registry.RegCreateKey("HKCU", base);
try {
    var emptyTimes = [], fullTimes = [], i;
    journalAt("Full");
    for (i = 0; i < full; i++)
        TweakEngine.toggle(registry, setting);
    host.echo("journal entries before the timed changes: " + TweakEngine.journal(registry).length);
    for (i = 0; i < rounds; i++) {
        emptyTimes.push(emptyJournalChange());
        fullTimes.push(fullJournalChange());
    }
    host.echo("one change, empty journal: " + median(emptyTimes).toFixed(2) + " ms; full journal: " +
              median(fullTimes).toFixed(2) + " ms (medians of " + rounds + " batches of " + batch + ")");
    host.echo("full / empty: " + (median(fullTimes) / median(emptyTimes)).toFixed(2));
    host.echo("Registry-object calls of one change, empty journal: " + countsOfOneChange("Counted") +
              "; full journal: " + countsOfOneChange("Full"));
} finally {
    registry.RegDeleteKey("HKCU", base, true);
}
