// The Policies page: the categories of one side (computer or users) as a tree, a category's
// policies, and one policy opened with its explanation, "Supported on", state and options. Only
// the category opened is listed; texts of the templates are put in as text, never as markup.
// ES5 and the DOM of the browser control.
(function () {
    var reg = null, object = null, folder = "";
    var side = document.getElementById("policy-side");
    var tree = document.getElementById("policy-categories");
    var list = document.getElementById("policy-list");
    var message = document.getElementById("message");
    var stateNames = { notConfigured: "Not configured", enabled: "Enabled", disabled: "Disabled" };
    var element = PageDom.element;

    function fail(e) {
        PageDom.showMessage(message, PageDom.errorText(e));
    }

    function drawTree(box, nodes) {
        var ul = element("ul"), i, li;
        for (i = 0; i < nodes.length; i++) {
            li = element("li");
            li.appendChild(PageDom.button(nodes[i].name + " (" + nodes[i].count + ")", "link", openerOf(nodes[i])));
            if (nodes[i].children.length > 0)
                drawTree(li, nodes[i].children);
            ul.appendChild(li);
        }
        box.appendChild(ul);
    }

    function openerOf(category) {
        return function () {
            openCategory(category);
        };
    }

    function openCategory(category) {
        var policies, i;
        list.innerHTML = "";
        list.appendChild(element("h2", "", category.name));
        try {
            policies = Policies.policyList(object, folder, category.id, side.value);
        } catch (e) {
            return fail(e);
        }
        for (i = 0; i < policies.length; i++)
            list.appendChild(policyItem(policies[i]));
        if (policies.length === 0)
            list.appendChild(element("p", "empty", "This category holds only categories."));
        PageDom.firstControl(list).focus();
    }

    function policyItem(summary) {
        var box = element("div", "policy"), body = element("div", "policy-body hidden");
        box.appendChild(PageDom.button(summary.name, "policy-name", function () {
            if (body.className.indexOf("hidden") >= 0) {
                body.className = "policy-body";
                drawPolicy(body, summary.id);
            } else {
                body.className = "policy-body hidden";
            }
        }));
        box.appendChild(body);
        return box;
    }

    function labelled(text, control) {
        var label = element("label", "", text + " ");
        label.appendChild(control);
        return label;
    }

    function optionControl(o, value) {
        var control, i, choice;
        if (o.kind === "boolean") {
            control = element("input");
            control.type = "checkbox";
            control.checked = value === null ? o.dflt === "1" : value;
            return control;
        }
        if (o.kind === "enum") {
            control = element("select");
            for (i = 0; i < o.choices.length; i++) {
                choice = element("option", "", o.choices[i].name);
                choice.value = String(i);
                control.appendChild(choice);
            }
            control.value = String(value === null ? (o.dflt || 0) : value);
            return control;
        }
        control = element("input");
        control.type = o.kind === "decimal" ? "number" : "text";
        control.readOnly = o.kind === "list" || o.kind === "multiText";
        control.value = value === null ? o.dflt : String(value);
        return control;
    }

    function controlValue(o, control) {
        if (o.kind === "boolean")
            return control.checked;
        if (o.kind === "enum")
            return parseInt(control.value, 10);
        if (o.kind === "decimal")
            return control.value === "" ? null : Number(control.value);
        return control.value;
    }

    function drawPolicy(body, id) {
        var policy, current, controls = {}, i, o, select, name, choice;
        body.innerHTML = "";
        try {
            policy = Policies.detail(object, folder, id);
            current = Policies.state(reg, policy, side.value);
        } catch (e) {
            return fail(e);
        }
        body.appendChild(element("p", "supported", "Supported on: " + (policy.supported || "not said")));
        body.appendChild(element("p", "explain", policy.explain));
        select = element("select");
        for (name in stateNames) {
            choice = element("option", "", stateNames[name]);
            choice.value = name;
            select.appendChild(choice);
        }
        select.value = current;
        body.appendChild(element("p")).appendChild(labelled("State", select));
        for (i = 0; i < policy.options.length; i++) {
            o = policy.options[i];
            controls[o.id] = optionControl(o, Policies.optionValue(reg, side.value, o));
            body.appendChild(element("p", "option")).appendChild(labelled(o.label || o.id, controls[o.id]));
        }
        if (policy.readOnly) {
            body.appendChild(element("p", "note", policy.readOnly));
            return;
        }
        if (!Policies.canChange(reg, policy, side.value)) {
            body.appendChild(element("p", "note", "Only an administrator can change this policy."));
            return;
        }
        body.appendChild(PageDom.button("Apply", "apply", function () {
            var values = {}, k;
            for (k = 0; k < policy.options.length; k++)
                values[policy.options[k].id] = controlValue(policy.options[k], controls[policy.options[k].id]);
            try {
                if (select.value === "enabled")
                    Policies.enable(reg, policy, side.value, values);
                else if (select.value === "disabled")
                    Policies.disable(reg, policy, side.value);
                else
                    Policies.unset(reg, policy, side.value);
                PageDom.showMessage(message, policy.name + ": " + stateNames[select.value] + ".", true);
            } catch (e) {
                fail(e);
            }
            drawPolicy(body, id);
        }));
    }

    function showRefused(refused) {
        var box = document.getElementById("policy-refused"), i;
        box.innerHTML = "";
        for (i = 0; i < refused.length; i++)
            box.appendChild(element("li", "", refused[i].file + ": not read, because " + refused[i].reason + "."));
        box.className = refused.length ? "others" : "others hidden";
    }

    function showSide() {
        var found;
        tree.innerHTML = "";
        list.innerHTML = "";
        try {
            found = Policies.categories(object, folder);
        } catch (e) {
            return fail(e);
        }
        drawTree(tree, Policies.tree(found.list, side.value));
        if (found.list.length === 0)
            tree.appendChild(element("p", "empty", "No Administrative Templates are installed on this computer."));
        showRefused(found.refused);
    }

    // Outside the program (or in one without the Policies object) there is nothing to read.
    try {
        reg = window.external.Registry;
        object = window.external.Policies;
    } catch (e) {
        object = null;
    }
    side.disabled = !object;
    if (!object) {
        PageDom.showMessage(message, "Policies can only be shown and changed inside Lumivanta Manager.");
        return;
    }
    side.onchange = showSide;
    showSide();
}());
