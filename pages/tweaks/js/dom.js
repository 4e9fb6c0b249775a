// What the page scripts draw with: elements holding a text, buttons, and the page's message line.
// ES5 and the DOM of the browser control in its standards mode.
var PageDom = (function () {
    function element(tag, className, text) {
        var node = document.createElement(tag);
        if (className)
            node.className = className;
        if (text !== undefined)
            node.appendChild(document.createTextNode(text));
        return node;
    }

    function button(text, className, onClick) {
        var node = element("button", className, text);
        node.type = "button";
        node.onclick = onClick;
        return node;
    }

    // The program's failures arrive with their text in message (and in description, for JScript).
    function errorText(e) {
        return (e && (e.message || e.description)) || String(e);
    }

    // An empty text hides the message line; a note tells of a success, not a failure.
    function showMessage(box, text, isNote) {
        box.innerHTML = "";
        box.appendChild(document.createTextNode(text));
        box.className = text ? (isNote ? "message note" : "message") : "message hidden";
    }

    return { element: element, button: button, errorText: errorText, showMessage: showMessage };
}());
