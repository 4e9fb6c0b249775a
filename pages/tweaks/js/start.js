// The start page: the program's version, found through CheckVer, a word about Windows, and
// how many settings of each category differ from the Windows default.
(function () {
    var versionBox = document.getElementById("version");
    var windowsBox = document.getElementById("windows");

    function say(node, text) {
        node.innerHTML = "";
        node.appendChild(document.createTextNode(text));
    }

    // Lists and start-up entries have no Windows default, and a setting that does nothing on
    // this Windows does not count; a setting that cannot be read counts as differing, since its
    // page has something to say about it.
    function changedIn(registry, category) {
        var count = 0, def;
        for (var i = 0; i < TweakDefinitions.length; i++) {
            def = TweakDefinitions[i];
            if (def.category !== category || def.kind === "list" || def.kind === "entries" ||
                !TweakEngine.isAvailable(registry, def))
                continue;
            try {
                count += TweakEngine.isDefault(registry, def) ? 0 : 1;
            } catch (e) {
                count++;
            }
        }
        return count;
    }

    // Each category's card is found by its link, so a new category needs no change here.
    function showChangedCounts(registry) {
        var links = document.querySelectorAll(".categories a"), count, note;
        for (var i = 0; i < links.length; i++) {
            count = changedIn(registry, links[i].getAttribute("href").replace(/\.html$/, ""));
            note = document.createElement("em");
            note.className = count ? "changed" : "changed none";
            links[i].appendChild(note);
            say(note, count === 0 ? "All settings at the Windows default"
                : count + (count === 1 ? " setting differs" : " settings differ") + " from the Windows default");
        }
    }

    try {
        var version = TweakEngine.programVersion(window.external);
        if (version !== null)
            say(versionBox, "Version " + TweakEngine.versionText(version));
        var windows = TweakEngine.windowsName(window.external.Registry);
        if (windows)
            say(windowsBox, "Running on " + windows + ".");
        showChangedCounts(window.external.Registry);
    } catch (e) {
        say(versionBox, "Open these pages in Lumivanta Manager to change your settings.");
    }
}());
