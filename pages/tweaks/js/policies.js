// The policies of Windows' Administrative Templates, as the program's Policies object lists them,
// and their states in the registry. A change goes through the tweak engine, one registry value at
// a time, so that it is journaled and can be undone like any setting. No page is touched here,
// so lvscript runs it as the page does; ES3, like the engine.
//
// A policy of class "Both" stands under the computer and under users alike: "side" says which
// ("machine" writes under HKLM, "user" under HKCU).
/* global TweakEngine, external */
var Policies = (function () {
    function unescapeField(text) {
        return text.replace(/%([0-9A-F]{2})/g, function (all, code) {
            return String.fromCharCode(parseInt(code, 16));
        });
    }

    // The object's lines of "|"-separated fields, unescaped.
    function records(text) {
        var lines = String(text || "").split("\n"), result = [], fields, i, j;
        for (i = 0; i < lines.length; i++) {
            if (lines[i] === "")
                continue;
            fields = lines[i].split("|");
            for (j = 0; j < fields.length; j++)
                fields[j] = unescapeField(fields[j]);
            result.push(fields);
        }
        return result;
    }

    function categories(object, folder) {
        var rows = records(object.CategoryList(folder)), result = { list: [], refused: [] }, i, r;
        for (i = 0; i < rows.length; i++) {
            r = rows[i];
            if (r[0] === "category")
                result.list.push({ id: r[1], parent: r[2], name: r[3], machine: +r[4], user: +r[5], children: [] });
            else if (r[0] === "refused")
                result.refused.push({ file: r[1], reason: r[2] });
        }
        return result;
    }

    // The categories as the Group Policy editor shows them on one side: a tree of those that hold
    // a policy of that side, themselves or below; a category whose parent is missing is a root.
    function tree(list, side) {
        var byId = {}, roots = [], i, c, parent;
        for (i = 0; i < list.length; i++) {
            list[i].children = [];
            list[i].count = 0;
            byId["#" + list[i].id] = list[i];
        }
        for (i = 0; i < list.length; i++) {
            c = list[i];
            parent = c.parent ? byId["#" + c.parent] : null;
            if (parent && parent !== c)
                parent.children.push(c);
            else
                roots.push(c);
        }
        function counted(node, depth) {
            var total = side === "machine" ? node.machine : node.user, kept = [], k;
            for (k = 0; depth < 32 && k < node.children.length; k++) {
                if (counted(node.children[k], depth + 1) > 0)
                    kept.push(node.children[k]);
            }
            node.children = kept;
            for (k = 0; k < kept.length; k++)
                total += kept[k].count;
            node.count = total;
            return total;
        }
        return filterRoots(roots, counted);
    }

    function filterRoots(roots, counted) {
        var kept = [], i;
        for (i = 0; i < roots.length; i++) {
            if (counted(roots[i], 0) > 0)
                kept.push(roots[i]);
        }
        kept.sort(function (a, b) {
            return a.name < b.name ? -1 : a.name > b.name ? 1 : 0;
        });
        return kept;
    }

    function onSide(cls, side) {
        return cls === "Both" || (cls === "Machine") === (side === "machine");
    }

    function policyList(object, folder, category, side) {
        var rows = records(object.PolicyList(folder, category)), result = [], i;
        for (i = 0; i < rows.length; i++) {
            if (rows[i][0] === "policy" && onSide(rows[i][3], side))
                result.push({ id: rows[i][1], name: rows[i][2], cls: rows[i][3], readOnly: rows[i][4] });
        }
        return result;
    }

    function item(r) {
        return { key: r[1], value: r[2], type: r[3], data: r[4] };
    }

    function option(r) {
        var o = { id: r[1], kind: r[2], label: r[3], key: r[4], value: r[5], dflt: r[6], required: r[7] === "1",
                  choices: [] };
        if (o.kind === "decimal") {
            o.min = +r[8];
            o.max = +r[9];
            o.asText = r[10] === "1";
        } else if (o.kind === "text") {
            o.maxLength = +r[8];
            o.expandable = r[9] === "1";
        } else if (o.kind === "boolean") {
            o.on = { key: o.key, value: o.value, type: r[8], data: r[9] };
            o.off = { key: o.key, value: o.value, type: r[10], data: r[11] };
        }
        return o;
    }

    // One policy: texts, what Enabled and Disabled write, its options; null for an unknown id.
    function detail(object, folder, id) {
        var rows = records(object.PolicyDetail(folder, id)), p = null, i, r, last = null;
        for (i = 0; i < rows.length; i++) {
            r = rows[i];
            if (r[0] === "policy")
                p = { id: r[1], name: r[2], cls: r[3], key: r[4], value: r[5], supported: r[6], explain: r[7],
                      readOnly: r[8], enabled: [], disabled: [], options: [] };
            else if (p && (r[0] === "enabled" || r[0] === "disabled"))
                p[r[0]].push(item(r));
            else if (p && r[0] === "option")
                p.options.push(last = option(r));
            else if (last && r[0] === "choice")
                last.choices.push({ key: last.key, value: last.value, name: r[1], type: r[2], data: r[3] });
        }
        return p;
    }

    function rootOf(side) {
        return side === "machine" ? "HKLM" : "HKCU";
    }

    // An engine definition for one registry value of the policy. It is journaled but not kept:
    // the kept settings are read back through the pages' own definitions, which it is not one of.
    function definition(policy, side, place, extra) {
        var def = { id: "policy:" + side + ":" + policy.id + ":" + place.key + "\\" + place.value,
                    title: policy.name + " (" + (place.value || "default value") + ")", root: rootOf(side),
                    key: place.key, value: place.value, makeKey: true, dfltAbsent: true, kind: "choice", type: "dword",
                    choices: [], notKept: true }, name;
        for (name in extra)
            def[name] = extra[name];
        return def;
    }

    function dataOf(it) {
        return it.type === "dword" ? parseInt(it.data, 10) | 0 : it.data;
    }

    function removeValue(reg, policy, side, place) {
        TweakEngine.restore(reg, definition(policy, side, place, {}));
    }

    // One value as the template gives it; "delete" removes it.
    function writeItem(reg, policy, side, it) {
        if (it.type === "delete") {
            removeValue(reg, policy, side, it);
            return;
        }
        if (it.type !== "dword" && it.type !== "sz" && it.type !== "expand")
            throw new Error(policy.name + ": values of type " + it.type + " are not changed here");
        TweakEngine.apply(reg, definition(policy, side, it, { type: it.type, choices: [{ value: dataOf(it) }] }),
                          dataOf(it));
    }

    function matches(reg, side, it) {
        var now = TweakEngine.valueState(reg, rootOf(side), it.key, it.value);
        if (now === null)
            return false;
        if (it.type === "delete")
            return now.type === "none";
        return now.type === it.type && String(now.data) === String(dataOf(it));
    }

    function allMatch(reg, side, items) {
        var i;
        for (i = 0; i < items.length; i++) {
            if (!matches(reg, side, items[i]))
                return false;
        }
        return items.length > 0;
    }

    function hasValue(reg, side, place) {
        return reg.RegValueExists(rootOf(side), place.key, place.value);
    }

    function onlyDeletes(items) {
        for (var i = 0; i < items.length; i++) {
            if (items[i].type !== "delete")
                return false;
        }
        return true;
    }

    // "enabled", "disabled" or "notConfigured", as the registry holds the policy's values. A
    // policy of options alone is enabled while any of its values is set.
    function state(reg, policy, side) {
        var i;
        if (policy.enabled.length > 0 && allMatch(reg, side, policy.enabled))
            return "enabled";
        if (!onlyDeletes(policy.disabled) && allMatch(reg, side, policy.disabled))
            return "disabled";
        for (i = 0; policy.enabled.length === 0 && i < policy.options.length; i++) {
            if (hasValue(reg, side, policy.options[i]))
                return "enabled";
        }
        return "notConfigured";
    }

    // An option's value now: true/false for a check box, a number, a text, a choice's number; null
    // when it is not set.
    function optionValue(reg, side, o) {
        var now = TweakEngine.valueState(reg, rootOf(side), o.key, o.value), i;
        if (now === null || now.type === "none")
            return null;
        if (o.kind === "boolean")
            return matches(reg, side, o.on);
        if (o.kind === "decimal")
            return parseInt(now.data, 10);
        if (o.kind === "enum") {
            for (i = 0; i < o.choices.length; i++) {
                if (matches(reg, side, o.choices[i]))
                    return i;
            }
            return null;
        }
        return String(now.data);
    }

    function writeOption(reg, policy, side, o, value) {
        var empty = value === null || value === undefined || value === "";
        if (empty && o.required)
            throw new Error(policy.name + ": \"" + o.label + "\" is needed");
        if (empty || o.kind === "list" || o.kind === "multiText")
            return removeValue(reg, policy, side, o);
        if (o.kind === "boolean")
            return writeItem(reg, policy, side, value ? o.on : o.off);
        if (o.kind === "enum") {
            if (!o.choices[value])
                throw new Error(policy.name + ": that choice is not offered");
            return writeItem(reg, policy, side, o.choices[value]);
        }
        if (o.kind === "decimal")
            return TweakEngine.apply(reg, definition(policy, side, o, { kind: "range", type: o.asText ? "sz" : "dword",
                                                                        min: o.min, max: o.max }), value);
        if (String(value).length > o.maxLength)
            throw new Error(policy.name + ": \"" + o.label + "\" takes at most " + o.maxLength + " characters");
        TweakEngine.apply(reg, definition(policy, side, o, { kind: "path", type: o.expandable ? "expand" : "sz" }),
                          String(value));
    }

    function sameValue(a, b) {
        return a.key.toLowerCase() === b.key.toLowerCase() && a.value.toLowerCase() === b.value.toLowerCase();
    }

    // Values of the other state that this one does not write go, as the policy client removes them.
    function removeOthers(reg, policy, side, others, kept) {
        var i, j, found;
        for (i = 0; i < others.length; i++) {
            for (j = 0, found = false; j < kept.length && !found; j++)
                found = sameValue(others[i], kept[j]);
            if (!found)
                removeValue(reg, policy, side, others[i]);
        }
    }

    // Programs that read policies take a change up when told of it, as after a policy refresh.
    function announce() {
        external.System.NotifySettingChange("Policy");
    }

    function refuseReadOnly(policy) {
        if (policy.readOnly)
            throw new Error(policy.name + ": " + policy.readOnly);
    }

    // values: each option's value by its id, as optionValue gives them.
    function enable(reg, policy, side, values) {
        var i;
        refuseReadOnly(policy);
        removeOthers(reg, policy, side, policy.disabled, policy.enabled);
        for (i = 0; i < policy.enabled.length; i++)
            writeItem(reg, policy, side, policy.enabled[i]);
        for (i = 0; i < policy.options.length; i++)
            writeOption(reg, policy, side, policy.options[i], values ? values[policy.options[i].id] : null);
        announce();
    }

    // Disabled: what the template writes for it; the options' values go.
    function disable(reg, policy, side) {
        var i;
        refuseReadOnly(policy);
        removeOthers(reg, policy, side, policy.enabled, policy.disabled);
        for (i = 0; i < policy.disabled.length; i++)
            writeItem(reg, policy, side, policy.disabled[i]);
        for (i = 0; i < policy.options.length; i++)
            removeValue(reg, policy, side, policy.options[i]);
        announce();
    }

    // Not configured: every value the policy names goes.
    function unset(reg, policy, side) {
        var places = policy.enabled.concat(policy.disabled, policy.options), i;
        refuseReadOnly(policy);
        for (i = 0; i < places.length; i++)
            removeValue(reg, policy, side, places[i]);
        announce();
    }

    // Whether this user may change the policy here: a machine's policies need an administrator.
    function canChange(reg, policy, side) {
        return TweakEngine.canChange(reg, definition(policy, side, { key: policy.key, value: policy.value }, {}));
    }

    return {
        records: records,
        categories: categories,
        tree: tree,
        policyList: policyList,
        detail: detail,
        state: state,
        optionValue: optionValue,
        enable: enable,
        disable: disable,
        unset: unset,
        canChange: canChange,
        rootOf: rootOf
    };
}());
