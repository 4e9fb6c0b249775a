// Changes as administrator, for real: external.System.ChangeAsAdministrator starts this runner's
// own file with the "runas" verb (Wine asks nothing), which makes the changes from the archive's
// definitions beside it, for this user: the same registry, history and kept settings as the
// direct path. Requests that a page could never make right are refused whole, with nothing
// written. lvscript runs this after Checks.js and the engine's files; args: the archive's
// definition of a setting of the whole computer is read from the engine as the pages load it.
/* global TweakEngine, TweakDefinitions */
var reg = external.Registry, system = external.System;
var policy = TweakEngine.definition(TweakDefinitions, "continue-experiences");
var services = TweakEngine.definition(TweakDefinitions, "service-timeout");

function keptValue(def) {
    var settings = TweakEngine.kept(reg, TweakDefinitions).settings, i;
    for (i = 0; i < settings.length; i++) {
        if (settings[i].def === def)
            return settings[i].value;
    }
    return null;
}

function ask(lines) {
    return system.ChangeAsAdministrator(lines);
}

function placesNow() {
    return [reg.RegValueType(policy.root, policy.key, policy.value), reg.RegReadString(services.root, services.key, services.value),
            TweakEngine.journal(reg).length].join("|");
}

var before = placesNow();
check("a setting no definition has: refused whole",
      ask("set continue-experiences b:false\nset no-such-setting b:true").split("\n")[0], "exit 3");
check("a value out of the setting's bounds: refused whole", ask("set service-timeout n:999999\n").split("\n")[0], "exit 3");
check("a value of another kind: refused whole", ask("set continue-experiences n:0\n").split("\n")[0], "exit 3");
check("an undo of a change not in the history: refused whole", ask("undo 99999:nobody.1\n").split("\n")[0], "exit 3");
check("a registry path is refused before anyone is asked",
      failure(function () { ask("set HKLM\\SOFTWARE\\Run s:x"); }).indexOf("refused") >= 0, true);
check("nothing was written by a refused request", placesNow(), before);

var answer = ask("set continue-experiences b:false\nset service-timeout n:12000\n");
check("the copy made both changes", answer.split("\n")[0], "exit 0");
check("the policy is as asked", reg.RegReadInt(policy.root, policy.key, policy.value), 0);
check("the range is as asked", reg.RegReadString(services.root, services.key, services.value), "12000");
var newest = TweakEngine.journal(reg)[0];
check("the user's own history has the change", newest.id, "service-timeout");
check("and keeps the setting", keptValue(services), 12000);
check("undone through the copy, in one request", ask("undo " + newest.ref + "\nrestore continue-experiences\n").split("\n")[0], "exit 0");
check("the range is back", reg.RegReadString(services.root, services.key, services.value), before.split("|")[1]);
check("the policy is back to not set", reg.RegValueType(policy.root, policy.key, policy.value), "");
host.echo(passed + " passed, " + failed + " failed");
