// "Show only changed settings" of a category page: hides every setting that holds its Windows
// default. Lists and start-up entries have no Windows default, so they count as unchanged, as
// does a setting that does nothing on this Windows; a setting that cannot be read stays shown,
// with its error. The choice is applied when it is
// made, so that a setting restored meanwhile does not vanish under the pointer.
// ES5 and the DOM of the browser control.
(function () {
    var onlyChanged = document.getElementById("only-changed");
    var nothingBox = document.getElementById("nothing-changed");
    var registry = null;

    function definition(id) {
        return TweakEngine.definition(TweakDefinitions, id);
    }

    function isChanged(def) {
        if (def.kind === "entries" || def.kind === "list")
            return false;
        try {
            return TweakEngine.isAvailable(registry, def) && !TweakEngine.isDefault(registry, def);
        } catch (e) {
            return true;
        }
    }

    function applyFilter() {
        var boxes = document.querySelectorAll("#tweaks .tweak"), shown = 0, i, hide;
        for (i = 0; i < boxes.length; i++) {
            hide = onlyChanged.checked && !isChanged(definition(boxes[i].getAttribute("data-tweak")));
            boxes[i].className = boxes[i].className.replace(/ hidden/g, "") + (hide ? " hidden" : "");
            shown += hide ? 0 : 1;
        }
        nothingBox.className = onlyChanged.checked && shown === 0 ? "empty" : "empty hidden";
    }

    try {
        registry = window.external.Registry;
    } catch (e) {
        registry = null;
    }
    onlyChanged.checked = false;
    onlyChanged.disabled = !registry;
    onlyChanged.onclick = applyFilter;
}());
