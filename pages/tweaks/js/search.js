// The search box of every page: finds settings of every category by the words of their title
// and description, ignoring letter case and the accents of Latin letters, and lists them with
// their category. A setting found opens its category page at that setting (page.html#tweak-id),
// which this script then scrolls to and focuses. The categories' names are the side menu's.
// ES5 and the DOM of the browser control; the control has no String.prototype.normalize.
(function () {
    var searchBox = document.getElementById("search-box");
    var registry = null;
    var resultsBox = document.getElementById("search-results");
    // The small letters with accents of the Latin alphabets, by the letters they fold to.
    var folded = {
        a: "\u00e0\u00e1\u00e2\u00e3\u00e4\u00e5\u0101\u0103\u0105", c: "\u00e7\u0107\u0109\u010b\u010d",
        d: "\u010f\u0111", e: "\u00e8\u00e9\u00ea\u00eb\u0113\u0115\u0117\u0119\u011b", g: "\u011d\u011f\u0121\u0123",
        h: "\u0125\u0127", i: "\u00ec\u00ed\u00ee\u00ef\u0129\u012b\u012d\u012f\u0131", j: "\u0135", k: "\u0137",
        l: "\u013a\u013c\u013e\u0140\u0142", n: "\u00f1\u0144\u0146\u0148\u0149",
        o: "\u00f2\u00f3\u00f4\u00f5\u00f6\u00f8\u014d\u014f\u0151", r: "\u0155\u0157\u0159",
        s: "\u015b\u015d\u015f\u0161\u0219", t: "\u0163\u0165\u0167\u021b",
        u: "\u00f9\u00fa\u00fb\u00fc\u0169\u016b\u016d\u016f\u0171\u0173", w: "\u0175", y: "\u00fd\u00ff\u0177",
        z: "\u017a\u017c\u017e", ae: "\u00e6", oe: "\u0153", ss: "\u00df", th: "\u00fe"
    };
    var plain = {};

    function buildFolding() {
        var base, i;
        for (base in folded) {
            for (i = 0; i < folded[base].length; i++)
                plain[folded[base].charAt(i)] = base;
        }
    }

    function fold(text) {
        return String(text).toLowerCase().replace(/[\u00c0-\u024f]/g, function (letter) {
            return plain[letter] || letter;
        });
    }

    function words(text) {
        return fold(text).split(/[\s.,;:!?()"']+/).filter(function (word) { return word !== ""; });
    }

    // The category pages as the side menu names them: "explorer" -> "File Explorer".
    function categoryNames() {
        var names = {}, links = document.querySelectorAll("#nav a"), i, match;
        for (i = 0; i < links.length; i++) {
            match = /^([a-z]+)\.html$/.exec(links[i].getAttribute("href"));
            if (match)
                names[match[1]] = links[i].textContent;
        }
        return names;
    }

    // The settings whose title and description hold every word of the query, those with all
    // of them in the title first.
    function find(query) {
        var wanted = words(query), inTitle = [], elsewhere = [], i, def, title, text;
        function holdsAll(haystack) {
            return wanted.every(function (word) { return haystack.indexOf(word) >= 0; });
        }
        if (wanted.length === 0)
            return [];
        for (i = 0; i < TweakDefinitions.length; i++) {
            def = TweakDefinitions[i];
            title = fold(def.title);
            text = title + " " + fold(def.description);
            if (holdsAll(title))
                inTitle.push(def);
            else if (holdsAll(text))
                elsewhere.push(def);
        }
        return inTitle.concat(elsewhere);
    }

    var element = PageDom.element;

    // Without the program's objects every setting is taken to act on this Windows.
    function isAvailable(def) {
        try {
            return !registry || TweakEngine.isAvailable(registry, def);
        } catch (e) {
            return true;
        }
    }

    function resultLink(def, names) {
        var link = document.createElement("a");
        link.href = def.category + ".html#tweak-" + def.id;
        link.appendChild(element("strong", "search-title", def.title));
        link.appendChild(element("span", "search-category", names[def.category] || def.category));
        if (!isAvailable(def))
            link.appendChild(element("span", "search-note", "Not available on this Windows"));
        // The setting already in the address: no hashchange would come to show it again.
        link.onclick = function () {
            if (link.href !== window.location.href)
                return true;
            reveal();
            return false;
        };
        return link;
    }

    function showResults() {
        var query = searchBox.value, found = find(query), names = categoryNames(), list, item, i;
        resultsBox.innerHTML = "";
        if (words(query).length === 0) {
            resultsBox.className = "search-results hidden";
            return;
        }
        resultsBox.className = "search-results";
        resultsBox.appendChild(element("p", "search-count", found.length === 0 ? "No setting matches \"" + query + "\"."
            : found.length === 1 ? "1 setting found" : found.length + " settings found"));
        list = document.createElement("ul");
        for (i = 0; i < found.length; i++) {
            item = document.createElement("li");
            item.appendChild(resultLink(found[i], names));
            list.appendChild(item);
        }
        resultsBox.appendChild(list);
    }

    function hideResults() {
        resultsBox.className = "search-results hidden";
    }

    function onSearchKey(event) {
        var key = (event || window.event).keyCode, first = resultsBox.querySelector("a");
        if (key === 13 && first)
            first.click();
        else if (key === 40 && first)
            first.focus();
        else if (key === 27)
            hideResults();
    }

    // The arrow keys move through the list as through a drop-down list; Escape goes back to the box.
    function onResultKey(event) {
        var key = (event || window.event).keyCode, links = resultsBox.querySelectorAll("a"), at, i;
        for (at = -1, i = 0; i < links.length; i++) {
            if (links[i] === document.activeElement)
                at = i;
        }
        if (key === 40 && at + 1 < links.length)
            links[at + 1].focus();
        else if (key === 38)
            (at > 0 ? links[at - 1] : searchBox).focus();
        else if (key === 27)
            searchBox.focus();
        else
            return true;
        return false;
    }

    // The setting named by the address's #tweak-id: shown even under "Show only changed
    // settings", marked, scrolled to and focused.
    function reveal() {
        var box = /^#tweak-/.test(window.location.hash) ? document.getElementById(window.location.hash.slice(1)) : null;
        var onlyChanged = document.getElementById("only-changed"), marked = document.querySelectorAll(".tweak.found"), i;
        if (!box)
            return;
        if (onlyChanged && onlyChanged.checked)
            onlyChanged.click();
        for (i = 0; i < marked.length; i++)
            marked[i].className = marked[i].className.replace(" found", "");
        box.className += " found";
        box.scrollIntoView(true);
        PageDom.firstControl(box).focus();
        hideResults();
    }

    try {
        registry = window.external.Registry;
    } catch (e) {
        registry = null;
    }
    buildFolding();
    searchBox.oninput = showResults;
    searchBox.onkeydown = onSearchKey;
    resultsBox.onkeydown = onResultKey;
    // A click anywhere outside the search closes its list, as a drop-down list closes.
    document.addEventListener("click", function (event) {
        if (!document.getElementById("search").contains(event.target))
            hideResults();
    });
    window.addEventListener("hashchange", reveal);
    // After the browser's own move to the address's fragment, which takes the focus away.
    window.addEventListener("load", function () {
        window.setTimeout(reveal, 0);
    });
}());
