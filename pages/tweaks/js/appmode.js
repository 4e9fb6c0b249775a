// Windows' app mode on every page: dark when the user has chosen dark for apps
// (AppsUseLightTheme 0 under HKCU ...\Themes\Personalize), light when it is 1 or missing. It runs
// in the head, before anything is drawn, so that a dark page never shows white first. When the
// mode changes while a page is shown, the program calls appModeChanged(dark). ES5.
function appModeChanged(dark) {
    document.documentElement.className = dark ? "dark" : "";
}

(function () {
    var key = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    var dark = false;
    // Outside the program there is no registry to read: the pages are light there.
    try {
        var registry = window.external.Registry;
        dark = registry.RegValueType("HKCU", key, "AppsUseLightTheme") === "dword" &&
               registry.RegReadInt("HKCU", key, "AppsUseLightTheme") === 0;
    } catch (e) {
        dark = false;
    }
    appModeChanged(dark);
}());
