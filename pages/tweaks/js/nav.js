// The side menu of every page: in a narrow window (the style sheet's narrow layout) it folds
// under a "Pages" button above the content, so that the page itself starts on the first screen.
// Without this script the list simply stays open there. ES5 and the DOM of the browser control.
(function () {
    var nav = document.getElementById("nav");
    var toggle = document.getElementById("menu-button");

    function show(open) {
        nav.className = open ? "folding open" : "folding";
        toggle.setAttribute("aria-expanded", open ? "true" : "false");
    }

    toggle.onclick = function () {
        show(nav.className.indexOf("open") < 0);
    };
    // Escape folds the open menu and gives the focus back to its button.
    nav.onkeydown = function (event) {
        if ((event || window.event).keyCode !== 27 || nav.className.indexOf("open") < 0)
            return true;
        show(false);
        toggle.focus();
        return false;
    };
    show(false);
}());
