// What the program itself asks of the engine, through its own script host (no browser): the
// keys to watch for the kept settings, a check of them, and the command-line forms "/apply",
// "/export" and "/check". The host loads the files that tweaks/js/host.txt lists, this one last,
// and gives two named items: "external", the program's root object as pages get it, and "host",
// with echo(line) for a line to the user and write(text) for the exported file. ES3.
// Exit codes of command: 0 done or compliant, 1 not compliant, 2 partly applied, 3 file refused
// (nothing written); the program adds 4 (could not run) and 5 (command line not understood).
/* global external, host, TweakDefinitions */
var ProgramHost = (function () {
    // Where the lines and the exported file go (ProgramHost.out); the tests put their own there.
    var self = {
        out: {
            echo: function (line) {
                host.echo(line);
            },
            write: function (text) {
                host.write(text);
            }
        }
    };

    function registry() {
        return external.Registry;
    }

    function watchedKeys() {
        return KeptSettings.watchedKeys(registry(), TweakDefinitions);
    }

    function check(reason) {
        return KeptSettings.check(registry(), TweakDefinitions, reason);
    }

    function plural(count, one, many) {
        return count + " " + (count === 1 ? one : many);
    }

    function stateText(def, state) {
        return state === null ? "a value of another type" : TweakEngine.stateWords(def, state);
    }

    // A refused file (not a registry file, too large) is refused before anything is written.
    function applyFile(text) {
        var plan, done, i, change, problems = 0;
        try {
            plan = SettingsTransfer.importPlan(external, TweakDefinitions, text);
        } catch (e) {
            self.out.echo("The file is refused, nothing was changed: " + e.message);
            return 3;
        }
        for (i = 0; i < plan.skipped.length; i++)
            self.out.echo("Not applied: line " + plan.skipped[i].line + ": " + plan.skipped[i].reason);
        for (i = 0; i < plan.others.length; i++)
            self.out.echo("Not applied: line " + plan.others[i].line + ": " + plan.others[i].where + ", " + plan.others[i].what +
                     ": not one of this program's settings");
        done = SettingsTransfer.applyEach(registry(), plan.changes);
        for (i = 0; i < plan.changes.length; i++) {
            change = plan.changes[i];
            if (change.problem) {
                problems++;
                self.out.echo("Not applied: " + change.def.title + ": " + change.problem);
            }
        }
        for (i = 0; i < done.failed.length; i++)
            self.out.echo("Failed: " + done.failed[i].why);
        for (i = 0; i < plan.changes.length; i++) {
            change = plan.changes[i];
            if (!change.problem && !failedIn(done.failed, change))
                self.out.echo("Applied: " + change.def.title + ": " + stateText(change.def, change.now) + " to " +
                         stateText(change.def, change.then));
        }
        self.out.echo(plural(done.applied, "setting", "settings") + " applied, " + plural(plan.same, "setting", "settings") +
                 " already as the file has them, " + plural(problems + done.failed.length, "setting", "settings") +
                 " not applied.");
        return problems + done.failed.length > 0 ? 2 : 0;
    }

    function failedIn(failed, change) {
        var i;
        for (i = 0; i < failed.length; i++) {
            if (failed[i].change === change)
                return true;
        }
        return false;
    }

    function exportFile() {
        var version = TweakEngine.programVersion(external), exported, i;
        exported = SettingsTransfer.exportText(registry(), TweakDefinitions,
                                               version === null ? "" : TweakEngine.versionText(version), new Date());
        for (i = 0; i < exported.skipped.length; i++)
            self.out.echo("Not exported, since a registry file of this program cannot carry it: " + exported.skipped[i]);
        if (exported.count === 0) {
            self.out.echo("No setting differs from the Windows default, so there is nothing to export.");
            return 0;
        }
        self.out.write(exported.text);
        self.out.echo("Exported " + plural(exported.count, "setting", "settings") + ".");
        return 0;
    }

    // One line for each kept setting that does not hold, and for each entry of the store that
    // cannot be read; it records nothing, so that a detection script may run it as often as it likes.
    function checkKept() {
        var found = KeptSettings.list(registry(), TweakDefinitions), changed = 0, i, setting;
        for (i = 0; i < found.damaged.length; i++)
            self.out.echo("Skipped: the kept setting \"" + found.damaged[i].name + "\" cannot be read: " + found.damaged[i].why);
        for (i = 0; i < found.settings.length; i++) {
            setting = found.settings[i];
            if (setting.holds)
                continue;
            changed++;
            self.out.echo("Changed back: " + setting.def.title + ": yours " + KeptSettings.valueWords(setting.def, setting.value) +
                     ", now " + KeptSettings.valueWords(setting.def, setting.now) +
                     (setting.enforced ? " (enforced" + (setting.enforced.by ? " by " + setting.enforced.by : "") + ")" : ""));
        }
        self.out.echo(changed > 0 ? plural(changed, "kept setting does", "kept settings do") + " not hold." :
                 found.settings.length === 0 ? "No setting is kept." : "Every kept setting holds (" + found.settings.length + ").");
        return changed === 0 ? 0 : 1;
    }

    function command(name, text) {
        if (name === "apply")
            return applyFile(text);
        if (name === "export")
            return exportFile();
        if (name === "check")
            return checkKept();
        if (name === "elevated")
            return ElevatedChanges.run(registry(), text, self.out);
        self.out.echo("Not a command of this program: " + name);
        return 5;
    }

    self.watchedKeys = watchedKeys;
    self.check = check;
    self.command = command;
    return self;
}());
