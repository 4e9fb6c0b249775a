// The start page: the program's version, found through CheckVer, and a word about Windows.
(function () {
    var versionBox = document.getElementById("version");
    var windowsBox = document.getElementById("windows");

    function say(node, text) {
        node.innerHTML = "";
        node.appendChild(document.createTextNode(text));
    }

    try {
        var version = TweakEngine.programVersion(window.external);
        if (version !== null)
            say(versionBox, "Version " + TweakEngine.versionText(version));
        var product = window.external.Registry.RegReadString("HKLM",
            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName");
        if (product)
            say(windowsBox, "Running on " + product + ".");
    } catch (e) {
        say(versionBox, "Open these pages in Lumivanta Manager to change your settings.");
    }
}());
