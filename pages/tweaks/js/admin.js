// Changes that need an administrator, made by the program started as one after the user's
// consent (external.System.ChangeAsAdministrator), and the system's shield that marks them.
// ES5 and the DOM of the browser control.
var AdminChanges = (function () {
    var shieldUrl = null;

    // The request's form of a page's value: a switch, a whole number, or text with %XX escapes.
    function typed(value) {
        if (typeof value === "boolean")
            return "b:" + value;
        if (typeof value === "number")
            return "n:" + value;
        return "s:" + encodeURIComponent(value);
    }

    function setLine(def, value) {
        return "set " + def.id + " " + typed(value);
    }

    function restoreLine(def) {
        return "restore " + def.id;
    }

    // Makes the changes of lines ("set ...", "restore ...", "undo REF", one a line) with one
    // consent prompt. Gives what the program said of them; a declined prompt, a refused request
    // or a change that failed is an error that says so.
    function ask(lines) {
        var answer = String(window.external.System.ChangeAsAdministrator(lines.join("\n"))).split("\n");
        var said = answer.slice(1).join(" ").replace(/\s+$/, "");
        if (answer[0] === "declined")
            throw new Error("Nothing was changed: the administrator's consent was not given.");
        if (answer[0] !== "exit 0")
            throw new Error(said || "The change as administrator failed.");
        return said;
    }

    // The shield as a picture, or null where the program cannot give it.
    function shield() {
        if (shieldUrl === null) {
            try {
                shieldUrl = String(window.external.System.ShieldIcon());
            } catch (e) {
                shieldUrl = "";
            }
        }
        if (shieldUrl === "")
            return null;
        var picture = PageDom.element("img", "shield");
        picture.src = shieldUrl;
        picture.alt = "";
        return picture;
    }

    // A button marked with the shield: what it does needs the administrator's consent.
    function shieldButton(text, className, onClick) {
        var node = PageDom.button(text, className + " admin", onClick), picture = shield();
        if (picture)
            node.insertBefore(picture, node.firstChild);
        return node;
    }

    return { setLine: setLine, restoreLine: restoreLine, ask: ask, shieldButton: shieldButton };
}());
