// A policy of policies.sh's own template set, changed through the page's code in the real script
// engine; policies.sh reads the registry back with "reg export" after each step.
// host.args: the PolicyDefinitions folder, the step, the test's own key under HKCU.
/* global external, host, Policies, TweakEngine, check, failure, passed, failed */
var reg = external.Registry, object = external.Policies;
var folder = host.args[0], step = host.args[1];
TweakEngine.journalPlace.key = host.args[2] + "\\Journal";
TweakEngine.keepPlace.key = host.args[2] + "\\Kept";
TweakEngine.keepPlace.checkKey = host.args[2] + "\\Kept checks";
var found = Policies.categories(object, folder);
var every = Policies.detail(object, folder, "Lv.App:Every");
var machine = Policies.detail(object, folder, "Lv.App:Machine");
var values = { Box: true, Num: 12, Txt: "%TEMP%\\lv", Pick: 1 };

if (step === "enable") {
    check("the refused template is named with its reason", found.refused.length + " " + found.refused[0].reason,
          "1 it declares a document type (DTD), which no template has");
    check("the user's tree: the root of one file holds the category of another",
          Policies.tree(found.list, "user")[0].name + "/" + Policies.tree(found.list, "user")[0].children[0].name, "Root/Sub");
    check("each side's list holds its own policies", Policies.policyList(object, folder, "Lv.App:Sub", "machine")[0].name +
          " " + Policies.policyList(object, folder, "Lv.App:Sub", "user").length, "Sub 1");
    check("the list of a category", Policies.policyList(object, folder, "Lv.App:Sub", "user")[0].name, "Every option");
    check("a number out of the template's bounds is refused",
          failure(function () { Policies.enable(reg, every, "user", { Box: true, Num: 99, Txt: "x", Pick: 0 }); }),
          "Every option (Num): choose a whole number from 2 to 20");
    Policies.enable(reg, every, "user", values);
    check("enabled", Policies.state(reg, every, "user"), "enabled");
    check("options read back", [Policies.optionValue(reg, "user", every.options[0]),
                                Policies.optionValue(reg, "user", every.options[1]),
                                Policies.optionValue(reg, "user", every.options[2]),
                                Policies.optionValue(reg, "user", every.options[3])].join(","), "true,12,%TEMP%\\lv,1");
    check("each value is one entry of the history", TweakEngine.journal(reg).length, 6);
    check("and none is kept, since no definition of the pages reads it back",
          TweakEngine.kept(reg, []).settings.length + TweakEngine.kept(reg, []).damaged.length, 0);
    check("a machine's policy asks for an administrator's rights, which Wine gives", Policies.canChange(reg, machine, "machine"), true);
    Policies.enable(reg, machine, "machine", {});
} else if (step === "disable") {
    Policies.disable(reg, every, "user");
    Policies.disable(reg, machine, "machine");
    check("disabled", Policies.state(reg, every, "user"), "disabled");
} else if (step === "unset") {
    Policies.unset(reg, every, "user");
    Policies.unset(reg, machine, "machine");
    check("not configured", Policies.state(reg, every, "user"), "notConfigured");
} else if (step === "undo") {
    TweakEngine.undoAll(reg);
    check("undoing every change leaves it not configured", Policies.state(reg, every, "user"), "notConfigured");
}
host.echo(step + ": " + passed + " passed, " + failed + " failed");
