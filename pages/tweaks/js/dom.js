// What the page scripts draw with: elements holding a text, buttons, the page's message line, the
// focus and what screen readers announce.
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

    // An empty text hides the message line; any other is also said by screen readers. A note
    // tells of a success, not a failure.
    function showMessage(box, text, isNote) {
        box.innerHTML = "";
        box.appendChild(document.createTextNode(text));
        box.className = text ? (isNote ? "message note" : "message") : "message hidden";
        if (text)
            announce(text);
    }

    // The first control of a part of the page that takes the focus, or the part itself.
    function firstControl(box) {
        var controls = box.querySelectorAll("button, select, input"), i;
        for (i = 0; i < controls.length; i++) {
            if (!controls[i].disabled)
                return controls[i];
        }
        box.setAttribute("tabindex", "-1");
        return box;
    }

    // Screen readers say a text put into the page's live region at once, wherever the focus
    // is. It is put there a moment after the region is emptied, so that the same text twice in
    // a row is said twice.
    function announce(text) {
        var region = document.getElementById("announce");
        region.innerHTML = "";
        window.setTimeout(function () {
            region.appendChild(document.createTextNode(text));
        }, 100);
    }

    return { element: element, button: button, errorText: errorText, showMessage: showMessage,
             firstControl: firstControl, announce: announce };
}());
