// The start-up programs list as its page's engine sees it. startup.sh has added two entries
// with "reg add"; host.args holds their names and commands: NAME1 COMMAND1 NAME2 COMMAND2, and
// PREFIX of the two it imported, whose names differ only in an emoji (the texts below).
// The first is removed through the engine; then the second and the first emoji's, which undo
// brings back (journal in a key of its own).
var registry = external.Registry;

function startupList() {
    var i;
    for (i = 0; i < TweakDefinitions.length; i++) {
        if (TweakDefinitions[i].kind === "entries")
            return TweakDefinitions[i];
    }
    return null;
}

function commandOf(entries, name) {
    var i;
    for (i = 0; i < entries.length; i++) {
        if (same(entries[i].name, name))
            return entries[i].command;
    }
    return undefined;
}

var def = startupList();
// "PREFIX Тест 文档 😀" and "... 😁", started by "C:\Тест\文档\app😀.exe /tray" and "... app😁 ...".
var emoji = ["\uD83D\uDE00", "\uD83D\uDE01"], named = host.args[4] + " \u0422\u0435\u0441\u0442 \u6587\u6863 ";
var commands = ["C:\\\u0422\u0435\u0441\u0442\\\u6587\u6863\\app" + emoji[0] + ".exe /tray",
                "C:\\\u0422\u0435\u0441\u0442\\\u6587\u6863\\app" + emoji[1] + ".exe /tray"];
TweakEngine.journalPlace.key = "Software\\LumivantaTest-" + Math.floor(Math.random() * 1e9);
var entries = TweakEngine.listEntries(registry, def);
check("the first entry is listed with its command", commandOf(entries, host.args[0]), host.args[1]);
check("the second entry is listed with its command, unexpanded", commandOf(entries, host.args[2]), host.args[3]);
TweakEngine.removeEntry(registry, def, host.args[0]);
entries = TweakEngine.listEntries(registry, def);
check("the removed entry is no longer listed", commandOf(entries, host.args[0]), undefined);
check("the other one stays", commandOf(entries, host.args[2]), host.args[3]);
check("removing it again is reported", (function () {
    try {
        TweakEngine.removeEntry(registry, def, host.args[0]);
    } catch (e) {
        return e.message;
    }
    return "no failure";
}()), def.title + ": \"" + host.args[0] + "\" could not be removed");
check("names that differ in an emoji are listed apart", commandOf(entries, named + emoji[0]) + "|" +
      commandOf(entries, named + emoji[1]), commands.join("|"));
TweakEngine.removeEntry(registry, def, named + emoji[0]);
check("and the one removed is the one named", commandOf(TweakEngine.listEntries(registry, def), named + emoji[0]) +
      "|" + commandOf(TweakEngine.listEntries(registry, def), named + emoji[1]), "undefined|" + commands[1]);
TweakEngine.removeEntry(registry, def, host.args[2]);
TweakEngine.undoAll(registry);
entries = TweakEngine.listEntries(registry, def);
check("undo brings all back with their commands", commandOf(entries, host.args[0]) + "|" + commandOf(entries, host.args[2]) +
      "|" + commandOf(entries, named + emoji[0]), host.args[1] + "|" + host.args[3] + "|" + commands[0]);
check("and their types", registry.RegValueType(def.root, def.key, host.args[0]) + " " +
      registry.RegValueType(def.root, def.key, host.args[2]), "sz expand");
TweakEngine.removeEntry(registry, def, host.args[0]);
registry.RegDeleteKey("HKCU", TweakEngine.journalPlace.key, true);
host.echo(passed + " passed, " + failed + " failed");
if (failed > 0)
    throw new Error(failed + " checks failed");
