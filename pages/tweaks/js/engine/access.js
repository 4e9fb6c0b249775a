// The tweak engine's availability and access: on which Windows builds a definition acts, whether
// the user may change it, when Windows takes a change up, and the program's own version. ES3.
var TweakParts = TweakParts || {};

TweakParts.access = (function () {
    var values = TweakParts.values, failure = values.failure;

    // A setting that does nothing on the running Windows is left alone.
    function refuseUnavailable(reg, def) {
        if (!isAvailable(reg, def))
            throw failure(def, unavailableReason(reg, def));
    }

    // HKCU is the user's own except its policy keys, which Windows lets only administrators write.
    function isPolicyKey(key) {
        return /^software\\(microsoft\\windows\\currentversion\\)?policies(\\|$)/i.test(key);
    }

    // A key that Windows makes lazily ("makeKey") is made under the nearest key that exists.
    function keyToWrite(reg, def) {
        var key = def.key;
        while (def.makeKey && key !== "" && !reg.RegKeyExists(def.root, key))
            key = key.replace(/\\?[^\\]*$/, "");
        return key;
    }

    // Elsewhere than the user's own keys a setting is changed only where the user may write.
    function canChange(reg, def) {
        if (def.root.toUpperCase() === "HKCU" && !isPolicyKey(def.key))
            return true;
        return reg.HasFullAccess(def.root, keyToWrite(reg, def));
    }

    // CheckVer only answers "at least this version?": the version is the largest number it
    // accepts, found by bisection.
    function programVersion(external) {
        var low = 0, high = 99999, middle;
        if (!external.CheckVer(0))
            return null;
        while (low < high) {
            middle = Math.ceil((low + high) / 2);
            if (external.CheckVer(middle))
                low = middle;
            else
                high = middle - 1;
        }
        return low;
    }

    // When Windows acts on a change: a definition's "takesEffect", "now" for one made through
    // SystemParametersInfo. Windows reads a setting of the whole computer at start, and most of
    // the user's at sign-in; Explorer reads its own when it starts. null for a definition that
    // does not say.
    var effects = {
        now: "Takes effect now.",
        explorer: "Takes effect when File Explorer restarts.",
        signout: "Takes effect after you sign out and sign in again.",
        restart: "Takes effect when Windows restarts.",
        shutdown: "Takes effect when Windows next shuts down."
    };

    function effectText(def) {
        var when = def.spi ? "now" : def.takesEffect;
        return Object.prototype.hasOwnProperty.call(effects, when) ? effects[when] : null;
    }

    function versionText(version) {
        return Math.floor(version / 100) + "." + version % 100;
    }

    // The running Windows, as its registry describes it; read once for each place, which the
    // tests move to keys of their own.
    var windowsPlace = { root: "HKLM", key: "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion" };

    var windowsSeen = {};

    function windowsText(reg, name) {
        try {
            return reg.RegReadString(windowsPlace.root, windowsPlace.key, name);
        } catch (e) {
            return "";
        }
    }

    function runningWindows(reg) {
        var where = windowsPlace.root + "\\" + windowsPlace.key, build;
        if (!Object.prototype.hasOwnProperty.call(windowsSeen, where)) {
            build = parseInt(windowsText(reg, "CurrentBuildNumber"), 10);
            windowsSeen[where] = { build: isNaN(build) ? null : build, product: windowsText(reg, "ProductName"),
                                   update: reg.RegReadInt(windowsPlace.root, windowsPlace.key, "UBR"),
                                   version: windowsText(reg, "DisplayVersion") };
        }
        return windowsSeen[where];
    }

    // A build as "windows" gives it, 22621 or "22621.1631" (build and update), as a pair.
    function buildPair(build) {
        var parts = String(build).split(".");
        return [parseInt(parts[0], 10), parts.length > 1 ? parseInt(parts[1], 10) : 0];
    }

    function isBefore(a, b) {
        return a[0] < b[0] || (a[0] === b[0] && a[1] < b[1]);
    }

    // Whether a definition acts on the running Windows: builds from "windows.from" up to, not
    // including, "windows.before". A Windows whose build cannot be read is taken to be one.
    function isAvailable(reg, def) {
        var running = runningWindows(reg), here;
        if (!def.windows || running.build === null)
            return true;
        here = [running.build, running.update];
        return !isBefore(here, buildPair(def.windows.from)) &&
               (def.windows.before === undefined || isBefore(here, buildPair(def.windows.before)));
    }

    function unavailableReason(reg, def) {
        if (isAvailable(reg, def))
            return null;
        return def.windows.why || "This setting does nothing on this version of Windows.";
    }

    // "Windows 11 Pro, 23H2": ProductName still says Windows 10 on Windows 11, whose builds
    // start at 22000, so the name is made from the build, the edition that ProductName names
    // and DisplayVersion. Any other Windows goes by its ProductName.
    function windowsName(reg) {
        var running = runningWindows(reg), name;
        if (running.build === null || !/^Windows 1[01]\b/.test(running.product))
            return running.product;
        name = (running.build >= 22000 ? "Windows 11" : "Windows 10") + running.product.substr(10);
        return running.version ? name + ", " + running.version : name;
    }

    return {
        refuseUnavailable: refuseUnavailable,
        isPolicyKey: isPolicyKey,
        canChange: canChange,
        programVersion: programVersion,
        effectText: effectText,
        versionText: versionText,
        windowsPlace: windowsPlace,
        runningWindows: runningWindows,
        isAvailable: isAvailable,
        unavailableReason: unavailableReason,
        windowsName: windowsName
    };
}());
